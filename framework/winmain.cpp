// The program's entry point, in its own object library so that test
// programs (which bring their own main) can link the framework.
#include <windows.h>

#include "framework/afxapp.h"

extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
