#include "tests/support/test_app_win.h"

#include <commctrl.h>

#include "framework/afxwin.h"

namespace test_support {

void InitTestApp() {
  static bool done = false;
  if (done) return;
  done = true;
  AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
}

bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (::GetTickCount() - start >= timeoutMs) return false;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::Sleep(5);
  }
}

}  // namespace test_support
