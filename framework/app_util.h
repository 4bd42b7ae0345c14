// Small routines of a program's start-up that need no application object:
// messages with the application title, paths beside the program, the window
// class, the instance probe and the named mutex.  Any folder's Win32 code
// may use them.
#pragma once

#include <windows.h>

#include "framework/afxwin.h"
#include "framework/scoped_win.h"

// Owns one named mutex for the life of the object.
class CMutexObject {
 public:
  // CreateMutexA(NULL, FALSE, name); TRUE when a handle came back (also when
  // the mutex already existed).
  BOOL Create(const char* name);
  void Close() { m_mutex.Reset(); }

 private:
  CScopedKernelHandle m_mutex;
};

// Loads string nID and formats it (FormatTableText) with the application
// title (string AFX_IDS_APP_TITLE) for its %s; FALSE (out untouched) when
// either string is missing.
BOOL LoadAndFormatWithAppTitle(UINT nID, CString& out);
// AfxMessageBox of that text with the style as given (an empty text when
// formatting failed).
int MessageBoxWithAppTitle(UINT nID, UINT type);

// The program's folder with its trailing backslash.
CString GetModuleDirectory();
void MakeModulePath(const char* fileName, CString& out);

// TRUE at once when the class is already registered in this module.
BOOL RegisterWindowClass(const char* className, UINT style, HCURSOR cursor, HBRUSH background, HICON icon,
                         HICON smallIcon);
// TRUE when the named mutex exists; with a window class, also brings that
// program's window to the front.
BOOL ActivateRunningInstance(const char* mutexName, const char* windowClass);
