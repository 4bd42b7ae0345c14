// The launcher's application object.  The program defines the one
// instance (app/launcher_main.cpp); GetLauncherApp finds it.
#pragma once

#include <cstdint>

#include "framework/afxwin.h"
#include "app/launcher_names.h"
#include "framework/app_util.h"
#include "app/localize.h"
#include "d3d/launcher_device.h"
#include "skin/graphic_data.h"

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
  const char* GetSetupGuideURL() const;
  const char* GetManualURL() const;
  const char* GetHomePageURL() const;
  const CString& GetProfileName() const { return m_strProfileName; }

  CGraphicData& GetGraphicData() { return m_graphicData; }

  // The device check: TRUE at once once it has passed in this run;
  // otherwise creates the Direct3D device with the application's
  // requirement, on a hidden window of the main window's client size
  // (CQuorlDevice::Initialize).  On failure errorText holds the message
  // (string 22002 with the code).  The device stays for the rest of the run.
  BOOL InitDevice(CString& errorText);
  // InitDevice, and on failure a message box with its text.
  BOOL InitDeviceOrReport();
  CQuorlDevice& GetDevice() { return m_device; }
  CAppDX3DDeviceRequirement& GetDeviceRequirement() { return m_deviceRequirement; }
  BOOL IsDeviceInitialized() const { return m_bDeviceInitialized; }

 protected:
  // Steps of InitInstance, in its order; each answers FALSE when start-up
  // must end (the caller shows the message).
  // COM for this thread, apartment-threaded; the result is kept for exit.
  BOOL InitCom();
  // The localisation record from the id file, else from the resource.
  BOOL LoadLocalizeInfo();
  // HKEY_CURRENT_USER\Software\Halvane\<record's profile> becomes the
  // profile store.
  void UseProfileOfRecord();
  // The skin beside the program; FALSE also when it has no background the
  // launcher screen could show.
  BOOL OpenSkin();

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

// The application object, or null when the running program's application
// is not a launcher (only in tests).
CQuorlLauncherApp* GetLauncherApp();

// Win32 sources of the localisation record (results as CLocalizeInfo's).
int LoadLocalizeInfoResource(CLocalizeInfo& info, UINT id, uint32_t key, const char* type);
int LoadLocalizeInfoScrambledFile(CLocalizeInfo& info, const char* path, uint32_t key);
int LoadLocalizeInfoTextFile(CLocalizeInfo& info, const char* path);
