// d3d_check_probe OUTFILE: runs the launcher's device check once in a
// process of its own (the real Direct3D reads its configuration, and the X
// display it draws on, when it starts) and writes to OUTFILE what the
// runtime itself answers there -- "d3d=<1 when Direct3DCreate9 gives an
// object> types=<adapter device types that take the desktop's format>" --
// a line feed, "1" or "0", a line feed and the check's message text (ANSI).
// Exit code 0 when the file was written.
#include <windows.h>

#include <cstdio>

#include "app/launcher_app.h"
#include "tests/d3d/runtime_answer.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
  CWnd window;
  window.CreateEx(0, "STATIC", "Quorl", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr);
  CQuorlLauncherApp* app = GetLauncherApp();
  app->m_pMainWnd = &window;
  // The runtime's own answer, asked before the launcher's check.
  const d3d_test::RuntimeAnswer runtime = d3d_test::AskRuntime();
  CString text;
  BOOL ok = app->InitDevice(text);
  app->m_pMainWnd = nullptr;
  window.DestroyWindow();
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 3;
  std::fprintf(out, "d3d=%d types=%d\n%d\n%s", runtime.direct3d ? 1 : 0, runtime.deviceTypes, ok ? 1 : 0,
               text.GetString());
  return std::fclose(out) == 0 ? 0 : 3;
}
