// The launcher's application object and the small shared routines of
// start-up (module paths, messages with the application title, window
// class and instance probes).
#pragma once

#include <cstdint>

#include "framework/afxwin.h"
#include "app/localize.h"
#include "d3d/launcher_device.h"
#include "skin/graphic_data.h"

// Owns one named mutex for the life of the object.
class CMutexObject {
 public:
  CMutexObject() = default;
  virtual ~CMutexObject();
  CMutexObject(const CMutexObject&) = delete;
  CMutexObject& operator=(const CMutexObject&) = delete;

  // CreateMutexA(NULL, FALSE, name); TRUE when a handle came back (also when
  // the mutex already existed).
  BOOL Create(const char* name);
  void Close();
  HANDLE GetHandle() const { return m_hMutex; }

 private:
  HANDLE m_hMutex = nullptr;
};

// Application base of the game's programs; adds nothing of its own.
class CGameWinApp : public CWinApp {
  DECLARE_DYNCREATE(CGameWinApp)
 public:
  explicit CGameWinApp(const char* appName = nullptr) : CWinApp(appName) {}
};

class CQuorlLauncherApp : public CGameWinApp {
 public:
  CQuorlLauncherApp();
  ~CQuorlLauncherApp() override;

  BOOL InitInstance() override;
  BOOL OnIdle(LONG lCount) override;
  int ExitInstance() override;

  // Localisation record sources, tried file first, then resource.
  virtual BOOL LoadLocalizeInfoFromResource(UINT id, uint32_t key, const char* type);
  virtual BOOL LoadLocalizeInfoFromFile(const char* fileName, uint32_t key);
  virtual const char* GetLocalizeInfoFileName() const;
  // The record is always read with the first region's id: the region is
  // only known once the record is read.
  virtual uint32_t GetLocalizeInfoServiceId() const;
  virtual BOOL GetLocalizeInfoResource(UINT* id, const char** type) const;

  // Per-code-page configuration, by the code page of the record.
  uint32_t GetCodePage() const { return m_nCodePage; }
  uint32_t GetServiceId() const;
  const char* GetDefaultLoginHost() const;
  uint16_t GetDefaultLoginPort() const { return kDefaultLoginPort; }
  uint32_t GetDefaultCodePage() const { return kDefaultCodePage; }
  const char* GetSetupGuideURL() const;
  const char* GetManualURL() const;
  const char* GetHomePageURL() const;
  const CString& GetProfileName() const { return m_strProfileName; }
  int GetStartMode() const { return m_nStartMode; }

  CGraphicData& GetGraphicData() { return m_graphicData; }

  // The device check: TRUE at once once it has passed in this run;
  // otherwise creates the Direct3D device on the main window with the
  // application's requirement.  On failure errorText holds the message
  // (string 22002 with the code).  The device stays for the rest of the run.
  BOOL InitDevice(CString& errorText);
  // InitDevice, and on failure a message box with its text.
  BOOL InitDeviceOrReport();
  CQuorlDevice& GetDevice() { return m_device; }
  CAppDX3DDeviceRequirement& GetDeviceRequirement() { return m_deviceRequirement; }
  BOOL IsDeviceInitialized() const { return m_bDeviceInitialized; }

 private:
  // Takes code page and profile name from a loaded record.
  void AdoptLocalizeInfo(const CLocalizeInfo& info);

  HRESULT m_hrCom = S_FALSE;
  uint32_t m_nCodePage;
  CString m_strProfileName;
  CMutexObject m_instanceMutex;
  CGraphicData m_graphicData;
  int m_nStartMode = kStartModeLauncher;
  CAppDX3DDeviceRequirement m_deviceRequirement;
  CQuorlDevice m_device;
  BOOL m_bDeviceInitialized = FALSE;
};

CQuorlLauncherApp* GetLauncherApp();

// Loads string nID and formats it with the application title (string 57344)
// as its one %s; FALSE (out untouched) when either string is missing.
BOOL LoadAndFormatWithAppTitle(UINT nID, CString& out);
// AfxMessageBox of that text (an empty text when formatting failed).
int MessageBoxWithAppTitle(UINT nID, UINT type);

// The program's folder with its trailing backslash.
CString GetModuleDirectory();
void MakeModulePath(const char* fileName, CString& out);

// TRUE at once when the class is already registered in this module.
BOOL RegisterWindowClass(const char* className, UINT style, HCURSOR cursor, HBRUSH background,
                         HICON icon, HICON smallIcon);
// TRUE when the named mutex exists; with a window class, also brings that
// program's window to the front.
BOOL ActivateRunningInstance(const char* mutexName, const char* windowClass);

// Win32 sources of the localisation record (results as CLocalizeInfo's).
int LoadLocalizeInfoResource(CLocalizeInfo& info, UINT id, uint32_t key, const char* type);
int LoadLocalizeInfoScrambledFile(CLocalizeInfo& info, const char* path, uint32_t key);
int LoadLocalizeInfoTextFile(CLocalizeInfo& info, const char* path);

extern const char kFileCheckerMutexName[];
extern const char kLauncherMutexName[];
extern const char kMainFrameClassName[];
extern const char kSkinFileName[];
