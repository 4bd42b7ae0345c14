// The application object and the UI thread's message loop.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "framework/afxapp.h"
#include "framework/afxcore_win.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

namespace {

CWinApp* g_pApp = nullptr;
HINSTANCE g_hInstance = nullptr;

char* DupString(const char* s) { return s != nullptr ? ::_strdup(s) : nullptr; }

void FreeString(const char*& s) {
  std::free(const_cast<char*>(s));
  s = nullptr;
}

}  // namespace

// ---- global accessors ------------------------------------------------------

CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd() { return g_pApp != nullptr ? g_pApp->GetMainWnd() : nullptr; }

HINSTANCE AfxGetInstanceHandle() { return g_hInstance != nullptr ? g_hInstance : ::GetModuleHandleA(nullptr); }

// ---- message loop ----------------------------------------------------------

int CWinThread::ExitInstance() {
  AfxDeleteTempMaps();
  return static_cast<int>(m_msgCur.wParam);
}

BOOL CWinThread::OnIdle(LONG lCount) {
  if (lCount <= 0) {
    // Idle updates: windows that keep their controls current listen for
    // this broadcast.
    CWnd* pMain = GetMainWnd();
    if (pMain != nullptr && pMain->m_hWnd != nullptr && ::IsWindowVisible(pMain->m_hWnd)) {
      pMain->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    }
    return TRUE;
  }
  AfxDeleteTempMaps();
  return FALSE;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg) {
  // Messages that come by themselves while the user does nothing must not
  // restart the idle work, or it would never end.
  if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
    if (m_ptCursorLast.x == pMsg->pt.x && m_ptCursorLast.y == pMsg->pt.y && pMsg->message == m_nMsgLast) {
      return FALSE;
    }
    m_ptCursorLast = pMsg->pt;
    m_nMsgLast = pMsg->message;
    return TRUE;
  }
  return pMsg->message != WM_PAINT && pMsg->message != 0x0118;  // 0x118: the caret-blink timer
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
  // Offer the message to each bound window from the target up to its top
  // window (dialogs do their keyboard navigation there).
  for (HWND h = pMsg->hwnd; h != nullptr; h = ::GetParent(h)) {
    CWnd* p = CWnd::FromHandlePermanent(h);
    if (p != nullptr && p->PreTranslateMessage(pMsg)) return TRUE;
    if (!(::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return FALSE;
}

BOOL CWinThread::PumpMessage() {
  if (!::GetMessageA(&m_msgCur, nullptr, 0, 0)) return FALSE;
  if (!PreTranslateMessage(&m_msgCur)) {
    ::TranslateMessage(&m_msgCur);
    ::DispatchMessageA(&m_msgCur);
  }
  return TRUE;
}

int CWinThread::Run() {
  BOOL bIdle = TRUE;
  LONG lIdleCount = 0;
  for (;;) {
    while (bIdle && !::PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(lIdleCount++)) bIdle = FALSE;
    }
    do {
      if (!PumpMessage()) return ExitInstance();
      if (IsIdleMessage(&m_msgCur)) {
        bIdle = TRUE;
        lIdleCount = 0;
      }
    } while (::PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE));
  }
}

// ---- command line ----------------------------------------------------------

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) {
  if (bFlag) {
    if (::lstrcmpiA(pszParam, "Embedding") == 0) {
      m_bRunEmbedded = TRUE;
      m_bShowSplash = FALSE;
    } else if (::lstrcmpiA(pszParam, "Automation") == 0) {
      m_bRunAutomated = TRUE;
      m_bShowSplash = FALSE;
    } else if (::lstrcmpiA(pszParam, "Register") == 0 || ::lstrcmpiA(pszParam, "Regserver") == 0) {
      m_nShellCommand = AppRegister;
    } else if (::lstrcmpiA(pszParam, "Unregister") == 0 || ::lstrcmpiA(pszParam, "Unregserver") == 0) {
      m_nShellCommand = AppUnregister;
    } else if (::lstrcmpiA(pszParam, "dde") == 0) {
      m_nShellCommand = FileDDE;
    }
  } else if (m_strFileName.IsEmpty()) {
    m_strFileName = pszParam;
  }
  if (bLast && m_nShellCommand == FileNew && !m_strFileName.IsEmpty()) m_nShellCommand = FileOpen;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* param = argv[i];
    if (param == nullptr) continue;
    BOOL bFlag = FALSE;
    if (param[0] == '-' || param[0] == '/') {
      bFlag = TRUE;
      ++param;
    }
    rCmdInfo.ParseParam(param, bFlag, i == argc - 1);
  }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) { ParseCommandLine(rCmdInfo, __argc, __argv); }

// ---- application -----------------------------------------------------------

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* lpszAppName) {
  if (lpszAppName != nullptr) m_pszAppName = DupString(lpszAppName);
  g_pApp = this;
}

CWinApp::~CWinApp() {
  FreeString(m_pszAppName);
  FreeString(m_pszExeName);
  FreeString(m_pszRegistryKey);
  FreeString(m_pszProfileName);
  if (g_pApp == this) g_pApp = nullptr;
}

int CWinApp::Run() { return CWinThread::Run(); }

int CWinApp::ExitInstance() { return CWinThread::ExitInstance(); }

BOOL CWinApp::OnIdle(LONG lCount) { return CWinThread::OnIdle(lCount); }

void CWinApp::OnAppExit() {
  if (m_pMainWnd != nullptr && m_pMainWnd->m_hWnd != nullptr) {
    m_pMainWnd->SendMessage(WM_CLOSE);
  } else {
    ::PostQuitMessage(0);
  }
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
  return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

HICON CWinApp::LoadIcon(LPCSTR lpszResourceName) const { return ::LoadIconA(AfxGetResourceHandle(), lpszResourceName); }

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const {
  return ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

int CWinApp::DoMessageBox(const char* lpszPrompt, UINT nType, UINT nIDPrompt) {
  // The box belongs to the window the user works in: the main window, or the
  // pop-up (a modal dialog) that is active above it and has disabled it;
  // without an owner it could come up behind that dialog.  A hidden or
  // disabled window owns nothing: the box would hide with it.  Without a
  // main window, this thread's active window takes its place.
  HWND hTop = nullptr;
  CWnd* pMain = GetMainWnd();
  if (pMain != nullptr && pMain->m_hWnd != nullptr)
    hTop = pMain->m_hWnd;
  else
    hTop = ::GetActiveWindow();
  while (hTop != nullptr && (::GetWindowLongA(hTop, GWL_STYLE) & WS_CHILD)) hTop = ::GetParent(hTop);
  HWND hOwner = hTop != nullptr ? ::GetLastActivePopup(hTop) : nullptr;
  if (hOwner != nullptr && (!::IsWindowVisible(hOwner) || !::IsWindowEnabled(hOwner))) hOwner = nullptr;
  // The style goes through as given: a caller that wants an icon names it.
  return ::MessageBoxA(hOwner, lpszPrompt != nullptr ? lpszPrompt : "", m_pszAppName, nType);
}

int AfxMessageBox(const char* lpszText, UINT nType, UINT nIDHelp) {
  CWinApp* pApp = AfxGetApp();
  if (pApp != nullptr) return pApp->DoMessageBox(lpszText, nType, nIDHelp);
  return ::MessageBoxA(nullptr, lpszText != nullptr ? lpszText : "", nullptr, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
  CString text;
  text.LoadString(nIDPrompt);
  CWinApp* pApp = AfxGetApp();
  if (pApp != nullptr) return pApp->DoMessageBox(text, nType, nIDPrompt);
  return ::MessageBoxA(nullptr, text, nullptr, nType);
}

int CFileException::ReportError(unsigned int nType, unsigned int nMessageID) {
  char text[512];
  if (GetErrorMessage(text, sizeof text)) return AfxMessageBox(text, nType);
  if (nMessageID != 0) return AfxMessageBox(nMessageID, nType);
  return AfxMessageBox(CauseText(genericException), nType);
}

// ---- start-up --------------------------------------------------------------

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
  g_hInstance = hInstance != nullptr ? hInstance : ::GetModuleHandleA(nullptr);
  CWinApp* pApp = AfxGetApp();
  if (pApp == nullptr) return FALSE;
  pApp->m_hInstance = g_hInstance;
  pApp->m_lpCmdLine = lpCmdLine;
  pApp->m_nCmdShow = nCmdShow;
  pApp->m_hThread = ::GetCurrentThread();
  pApp->m_nThreadID = ::GetCurrentThreadId();

  // Names: the executable's base name, and the title from string 57344
  // unless the constructor gave one.
  char path[MAX_PATH + 1] = {};
  ::GetModuleFileNameA(g_hInstance, path, MAX_PATH);
  const char* base = std::strrchr(path, '\\');
  base = base != nullptr ? base + 1 : path;
  CString exe(base);
  int dot = exe.ReverseFind('.');
  if (dot > 0) exe = exe.Left(dot);
  if (pApp->m_pszExeName == nullptr) pApp->m_pszExeName = DupString(exe);
  if (pApp->m_pszAppName == nullptr) {
    CString title;
    if (!title.LoadString(AFX_IDS_APP_TITLE)) title = exe;
    pApp->m_pszAppName = DupString(title);
  }
  if (pApp->m_pszProfileName == nullptr) {
    CString ini(pApp->m_pszExeName);
    ini += ".INI";
    pApp->m_pszProfileName = DupString(ini);
  }
  return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  CWinApp* pApp = AfxGetApp();
  if (pApp == nullptr || !AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow)) return -1;
  // A start-up that ends in an exception has failed like one that returns
  // FALSE: the exit still runs, since it undoes what start-up did so far.
  BOOL started = FALSE;
  try {
    started = pApp->InitInstance();
  } catch (...) {
    AfxProcessEntryException("application start");
    started = FALSE;
  }
  int code = -1;
  try {
    code = started ? pApp->Run()  // ends with ExitInstance
                   : pApp->ExitInstance();
  } catch (...) {
    AfxProcessEntryException(started ? "message loop" : "application exit");
    code = -1;
  }
  return code;
}
