// The shared dialog watcher (tests/support/dialogs_win.h) as the update
// screen's tests use it: the text of a dialog that is not a message box is
// the Retry/Cancel dialog's message.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

#include "res/resource.h"
#include "tests/support/dialogs_win.h"
#include "tests/support/test_app_win.h"

namespace update_test {

using test_support::InitTestApp;
using test_support::Press;
using test_support::PumpUntil;
using test_support::SeenDialog;
using test_support::Widen;
using test_support::WindowTextW;

class DialogWatcher : public test_support::DialogWatcher {
 public:
  explicit DialogWatcher(Handler handler, DWORD thread = ::GetCurrentThreadId())
      : test_support::DialogWatcher(std::move(handler), thread, IDC_RETRY_MESSAGE) {}
};

}  // namespace update_test
