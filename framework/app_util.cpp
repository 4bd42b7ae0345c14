#include "framework/app_util.h"

#include <cstring>

#include "framework/text_format.h"

BOOL CMutexObject::Create(const char* name) {
  m_mutex.Reset(::CreateMutexA(nullptr, FALSE, name));
  return m_mutex.IsValid();
}

BOOL LoadAndFormatWithAppTitle(UINT nID, CString& out) {
  CString title, format;
  if (!title.LoadString(AFX_IDS_APP_TITLE) || !format.LoadString(nID)) return FALSE;
  out = FormatTableText(format, title);
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
  const CScopedKernelHandle mutex(::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, mutexName));
  if (!mutex) return FALSE;
  if (windowClass) {
    HWND wnd = ::FindWindowA(windowClass, nullptr);
    if (wnd) {
      if (::IsIconic(wnd)) ::ShowWindow(wnd, SW_RESTORE);
      ::SetForegroundWindow(::GetLastActivePopup(wnd));
    }
  }
  return TRUE;
}
