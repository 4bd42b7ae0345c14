// Internal: handle -> object maps of the Win32 layer.
#pragma once

#include <windows.h>

#include <mutex>
#include <unordered_map>

class CWnd;
class CDC;
class CMenu;
class CGdiObject;

namespace afx_internal {

// Windows bound to objects (process-wide; windows are used from the
// threads that created them, but SendMessage from workers must see them).
void PermanentInsert(HWND hWnd, CWnd* pWnd);
void PermanentRemove(HWND hWnd);
CWnd* PermanentLookup(HWND hWnd);

// Temporary wrappers of this thread, deleted by AfxDeleteTempMaps.
CWnd* TempWnd(HWND hWnd);
CDC* TempDC(HDC hDC);
CMenu* TempMenu(HMENU hMenu);
CGdiObject* TempGdiObject(HGDIOBJ hObject);
// A temporary DC wrapper dropped when the DC is released (ReleaseDC).
void ForgetTempDC(HDC hDC);

// Message-dispatch nesting of this thread: temporaries live at least until
// the outermost message handler returns.
void EnterDispatch();
void LeaveDispatch();
int DispatchDepth();

}  // namespace afx_internal
