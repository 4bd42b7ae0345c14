#include "tests/support/test_app_win.h"

#include <pthread.h>

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

void PumpPending() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (::GetTickCount() - start >= timeoutMs) return false;
    PumpPending();
    ::Sleep(5);
  }
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

void JoinAnsweringSentMessages(std::thread& thread) {
  // The posix thread model's std::thread is a winpthreads thread; its
  // Win32 handle is the one to wait on beside the message queue.
  HANDLE handle = static_cast<HANDLE>(pthread_gethandle(thread.native_handle()));
  while (::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    // Peeking answers the messages sent from other threads; PM_QS_SENDMESSAGE
    // with PM_NOREMOVE leaves every posted message where it is.
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  thread.join();
}

}  // namespace test_support
