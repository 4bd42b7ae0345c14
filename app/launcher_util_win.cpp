// Shared start-up routines: paths beside the program, messages with the
// application title, the window class and the instance probe.
#include "app/launcher_util.h"

#include <cstring>

#include "res/resource.h"

CMutexObject::~CMutexObject() { Close(); }

BOOL CMutexObject::Create(const char* name) {
  Close();
  m_hMutex = ::CreateMutexA(nullptr, FALSE, name);
  return m_hMutex != nullptr;
}

void CMutexObject::Close() {
  if (m_hMutex) {
    ::CloseHandle(m_hMutex);
    m_hMutex = nullptr;
  }
}

BOOL LoadAndFormatWithAppTitle(UINT nID, CString& out) {
  CString title, format;
  if (!title.LoadString(IDS_APP_TITLE) || !format.LoadString(nID)) return FALSE;
  // The string table holds at most one %s; anything else is taken literally
  // so that a stray conversion cannot read past the one argument.
  CString text;
  const char* p = format;
  while (*p) {
    if (p[0] == '%' && p[1] == 's') {
      text += title;
      p += 2;
    } else if (p[0] == '%' && p[1] == '%') {
      text += '%';
      p += 2;
    } else {
      text += *p++;
    }
  }
  out = text;
  return TRUE;
}

int MessageBoxWithAppTitle(UINT nID, UINT type) {
  CString text;
  if (!LoadAndFormatWithAppTitle(nID, text)) text.Empty();
  return AfxMessageBox(text, type);
}

CString GetModuleDirectory() {
  char path[MAX_PATH + 1] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return CString();
  char* slash = strrchr(path, '\\');
  if (slash)
    slash[1] = '\0';
  else
    path[0] = '\0';
  return CString(path);
}

void MakeModulePath(const char* fileName, CString& out) {
  out = GetModuleDirectory();
  out += fileName;
}

BOOL RegisterWindowClass(const char* className, UINT style, HCURSOR cursor, HBRUSH background, HICON icon,
                         HICON smallIcon) {
  HINSTANCE instance = AfxGetInstanceHandle();
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  if (::GetClassInfoExA(instance, className, &wc)) return TRUE;
  wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = AfxWndProc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  wc.hIconSm = smallIcon;
  return ::RegisterClassExA(&wc) != 0;
}

BOOL ActivateRunningInstance(const char* mutexName, const char* windowClass) {
  HANDLE mutex = ::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, mutexName);
  if (!mutex) return FALSE;
  if (windowClass) {
    HWND wnd = ::FindWindowA(windowClass, nullptr);
    if (wnd) {
      if (::IsIconic(wnd)) ::ShowWindow(wnd, SW_RESTORE);
      ::SetForegroundWindow(::GetLastActivePopup(wnd));
    }
  }
  ::CloseHandle(mutex);
  return TRUE;
}
