// Threads and the application object: the message loop with idle
// processing, command-line parsing, profile (registry) settings, message
// boxes, worker threads.  Win32 only.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "framework/afxwnd.h"

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class CProfileKeyCache;

// A thread with a message pump.  The application object is one (the UI
// thread); AfxBeginThread makes worker threads.
class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)
 public:
  CWinThread() = default;
  CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
  // Closes the thread handle (does not wait for the thread).
  ~CWinThread() override;
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  CWnd* m_pMainWnd = nullptr;
  BOOL m_bAutoDelete = TRUE;  // worker object deleted when its thread ends
  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;
  operator HANDLE() const { return m_hThread; }  // NOLINT

  // Starts the thread (of a worker made with a procedure).
  BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
  DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
  DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
  BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
  int GetThreadPriority() const { return ::GetThreadPriority(m_hThread); }

  // Overridables of a thread with a message loop.
  virtual BOOL InitInstance() { return FALSE; }
  virtual int ExitInstance();
  // The message loop: while no message waits, OnIdle(0), OnIdle(1), ...
  // until it answers FALSE; then messages are handled; any message but
  // WM_PAINT, the caret-blink timer and a mouse move that did not move
  // starts the idle counting again at 0.  WM_QUIT ends it with
  // ExitInstance's result.
  virtual int Run();
  // Idle work; count 0 does the idle updates, count 1 frees the temporary
  // window and GDI wrappers.  TRUE asks for more idle calls.
  virtual BOOL OnIdle(LONG lCount);
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  // Gets and dispatches one message; FALSE on WM_QUIT (left in m_msgCur).
  virtual BOOL PumpMessage();
  virtual BOOL IsIdleMessage(MSG* pMsg);
  virtual CWnd* GetMainWnd() { return m_pMainWnd; }

  MSG m_msgCur{};

 protected:
  AFX_THREADPROC m_pfnThreadProc = nullptr;
  LPVOID m_pThreadParams = nullptr;
  POINT m_ptCursorLast{-1, -1};
  UINT m_nMsgLast = 0;

  static unsigned __stdcall ThreadEntry(void* pParam);
};

// Starts pfnThreadProc(pParam) on a new thread.  With CREATE_SUSPENDED the
// thread waits for ResumeThread (so that m_bAutoDelete can be changed
// first).  An exception escaping the procedure is caught (exit code -1).
// nullptr when the thread cannot be created.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

class CCommandLineInfo : public CObject {
 public:
  enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };

  CCommandLineInfo() = default;
  ~CCommandLineInfo() override = default;
  // One parameter, without its '/' or '-' when bFlag; bLast for the last.
  virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

  BOOL m_bShowSplash = TRUE;
  BOOL m_bRunEmbedded = FALSE;
  BOOL m_bRunAutomated = FALSE;
  int m_nShellCommand = FileNew;
  CString m_strFileName;
};

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)
 public:
  // Becomes the process's application object (one at a time).
  explicit CWinApp(const char* lpszAppName = nullptr);
  ~CWinApp() override;

  // Set up by AfxWinInit.  The strings are malloc'ed and freed with free():
  // an application that replaces one frees the old value with free() and
  // assigns a strdup'ed copy.
  HINSTANCE m_hInstance = nullptr;
  LPSTR m_lpCmdLine = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;
  const char* m_pszAppName = nullptr;      // title: ctor argument, else string 57344, else exe name
  const char* m_pszExeName = nullptr;      // module name without folder and extension
  const char* m_pszRegistryKey = nullptr;  // set by SetRegistryKey
  const char* m_pszProfileName = nullptr;  // registry subkey (or .ini name without a registry key)

  int Run() override;
  int ExitInstance() override;
  BOOL OnIdle(LONG lCount) override;

  // HKEY_CURRENT_USER\Software\<key>\<profile> becomes the profile store;
  // the profile name becomes the application's name.
  void SetRegistryKey(const char* lpszRegistryKey);
  void SetRegistryKey(UINT nIDRegistryKey);
  // The application key (created when missing), or null; caller closes.
  HKEY GetAppRegistryKey();
  // The section's key under it (created when missing), or null.
  HKEY GetSectionKey(const char* lpszSection);
  UINT GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault);
  BOOL WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue);
  CString GetProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszDefault = nullptr);
  // lpszEntry null deletes the section; lpszValue null deletes the entry.
  BOOL WriteProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszValue);
  // *ppData: new[]'ed copy (caller delete[]s), null with *pBytes 0 when
  // missing.
  BOOL GetProfileBinary(const char* lpszSection, const char* lpszEntry, LPBYTE* ppData, UINT* pBytes);
  BOOL WriteProfileBinary(const char* lpszSection, const char* lpszEntry, LPBYTE pData, UINT nBytes);
  // The keys kept by the CProfileKeyCache that lives on this thread, or null.
  CProfileKeyCache* GetProfileKeyCache() const;

  // Hands each argument of the process's command line to ParseParam.
  void ParseCommandLine(CCommandLineInfo& rCmdInfo);
  // The same over a given argument vector (argv[0] is the program).
  static void ParseCommandLine(CCommandLineInfo& rCmdInfo, int argc, char** argv);

  HICON LoadIcon(UINT nIDResource) const;
  HICON LoadIcon(LPCSTR lpszResourceName) const;
  HICON LoadStandardIcon(LPCSTR lpszIconName) const { return ::LoadIconA(nullptr, lpszIconName); }
  HCURSOR LoadCursor(UINT nIDResource) const;
  HCURSOR LoadStandardCursor(LPCSTR lpszCursorName) const { return ::LoadCursorA(nullptr, lpszCursorName); }

  // The message box behind AfxMessageBox.
  virtual int DoMessageBox(const char* lpszPrompt, UINT nType, UINT nIDPrompt);

  // ID_APP_EXIT: closes the main window (WM_CLOSE); its destruction posts
  // WM_QUIT.
  void OnAppExit();

  DECLARE_MESSAGE_MAP()

 private:
  friend class CProfileKeyCache;
  // The living cache and its thread (0: none).  Other threads read only the
  // thread id, so a cache is touched only by the thread that owns it.
  CProfileKeyCache* m_pProfileKeyCache = nullptr;
  std::atomic<DWORD> m_nProfileKeyThread{0};
};

// While it lives, the profile functions of its application, called on the
// thread that made it, keep the keys they open (the application's and each
// section's) and use them again, instead of opening the key path anew for
// every value: one registry call per value read or written.  For a burst
// of profile work (a settings load, a save); the keys are closed when it
// ends.  Another cache made while one lives on the same application does
// nothing, and so does one for an application without a registry key.
class CProfileKeyCache {
 public:
  explicit CProfileKeyCache(CWinApp* pApp);
  ~CProfileKeyCache();
  CProfileKeyCache(const CProfileKeyCache&) = delete;
  CProfileKeyCache& operator=(const CProfileKeyCache&) = delete;

  // The kept key of the application or of a section (created when
  // missing, as the profile functions do), or null when it cannot be had;
  // the cache keeps it, the caller does not close it.
  HKEY AppKey();
  HKEY SectionKey(const char* lpszSection);
  // Closes a kept section key before the section is deleted.
  void ForgetSection(const char* lpszSection);

 private:
  CWinApp* m_pApp = nullptr;  // null: this cache does nothing
  HKEY m_hAppKey = nullptr;
  std::vector<std::pair<std::string, HKEY>> m_sections;  // a handful
};

// The application object, its main window, its module.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hResource);

// Prepares the application object: instance, command line, names.  The
// framework's WinMain calls it; tests call it themselves.
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// The framework's program body: AfxWinInit, InitInstance, then Run (TRUE)
// or ExitInstance (FALSE); returns the exit code.  ExitInstance runs once.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// MessageBoxA with the application's title as caption and the style as
// given (no icon is added).  The owner is the main window's last active
// pop-up (a modal dialog above it) or the main window itself, when that
// window is visible and enabled; else none.
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The same with string nIDPrompt (an empty text when it does not exist).
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
