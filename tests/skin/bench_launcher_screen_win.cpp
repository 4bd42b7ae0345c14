// The launcher screen's drawing, on the real launcher view built from the
// real skin file, without the network: composition and BitBlts against a
// bare copy of the same pixels, the first paint against a bare window, and
// the tooltip's and the hover tick's cost.  Each figure is the median of
// many runs, the first run left out.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "res/resource.h"
#include "skin/graphic_data.h"
#include "skin/launcher_view.h"

#ifndef QUORL_SKIN_FILE
#error "QUORL_SKIN_FILE must name the generated QuorlLnchr.rdl"
#endif

namespace {

class CBenchApp : public CWinApp {
 public:
  CBenchApp() : CWinApp("Quorl screen bench") {}
};
CBenchApp theApp;

double Now() {
  static LARGE_INTEGER f = {};
  if (f.QuadPart == 0) ::QueryPerformanceFrequency(&f);
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Microseconds per call of f: the median of runs, the first left out.
template <typename F>
double MedianMicros(int runs, int callsPerRun, F&& f) {
  std::vector<double> t;
  for (int i = 0; i <= runs; ++i) {
    const double t0 = Now();
    for (int c = 0; c < callsPerRun; ++c) f();
    if (i > 0) t.push_back((Now() - t0) * 1e6 / callsPerRun);
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

struct LauncherWindow {
  CGraphicData skin{20, 1};
  CFrameWnd* frame = nullptr;
  CQuorlLauncherView* view = nullptr;

  bool Create() {
    if (!skin.Open(QUORL_SKIN_FILE)) return false;
    int32_t w = 0, h = 0;
    skin.GetImageSize(0, &w, &h);
    frame = new CFrameWnd;
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CQuorlLauncherView);
    if (!frame->Create(nullptr, "bench", WS_POPUP, CRect(40, 40, 40 + w, 40 + h), nullptr, nullptr, 0, &context))
      return false;
    view =
        dynamic_cast<CQuorlLauncherView*>(CWnd::FromHandlePermanent(::GetDlgItem(frame->m_hWnd, AFX_IDW_PANE_FIRST)));
    if (view == nullptr) return false;
    AfxGetApp()->m_pMainWnd = frame;
    view->SetSkin(&skin);
    view->SetHost(nullptr);
    view->SendMessage(WM_INITIALUPDATE, 0, 0);
    frame->ShowWindow(SW_SHOWNOACTIVATE);
    ::UpdateWindow(frame->m_hWnd);
    return true;
  }
  void Destroy() {
    AfxGetApp()->m_pMainWnd = nullptr;
    if (frame != nullptr) ::DestroyWindow(frame->m_hWnd);
    frame = nullptr;
    view = nullptr;
    Pump();
  }
};

// A bare window whose WM_PAINT BitBlts a ready 16-bit DIB section.
struct BareWindow {
  static HBITMAP s_section;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      HDC mem = ::CreateCompatibleDC(dc);
      HGDIOBJ old = ::SelectObject(mem, s_section);
      RECT rc;
      ::GetClientRect(hwnd, &rc);
      ::BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
      ::SelectObject(mem, old);
      ::DeleteDC(mem);
      ::EndPaint(hwnd, &ps);
      return 0;
    }
    return ::DefWindowProcA(hwnd, msg, wp, lp);
  }
};
HBITMAP BareWindow::s_section = nullptr;

HBITMAP NewSection16(int w, int h, void** bits) {
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = h;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 16;
  return ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, bits, nullptr, 0);
}

void BlitBare(HWND wnd, HBITMAP section, int x, int y, int w, int h) {
  HDC dc = ::GetDC(wnd);
  HDC mem = ::CreateCompatibleDC(dc);
  HGDIOBJ old = ::SelectObject(mem, section);
  ::BitBlt(dc, x, y, w, h, mem, x, y, SRCCOPY);
  ::SelectObject(mem, old);
  ::DeleteDC(mem);
  ::ReleaseDC(wnd, dc);
}

void PrintRatio(const char* what, double ours, double bare, const char* bareName, const char* goal) {
  std::printf("launcher screen: %-44s %8.1f us, %s %8.1f us, ratio %5.2f (%s)\n", what, ours, bareName, bare,
              ours / bare, goal);
}

}  // namespace

int main() {
  AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
  ::GdiSetBatchLimit(1);

  // First paint: the launcher (a fresh image cache each run, so that
  // unpacking the skin counts) against a bare window, each after a warm-up.
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &BareWindow::Proc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "QuorlBareBench";
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  ::RegisterClassA(&wc);
  int32_t w0 = 0, h0 = 0;
  {
    CGraphicData skin(20, 1);
    if (!skin.Open(QUORL_SKIN_FILE) || !skin.GetImageSize(0, &w0, &h0)) {
      std::printf("launcher screen: no skin file %s\n", QUORL_SKIN_FILE);
      return 1;
    }
  }
  void* bareBits = nullptr;
  BareWindow::s_section = NewSection16(w0, h0, &bareBits);
  const double firstLauncher = MedianMicros(12, 1, [] {
    LauncherWindow l;
    l.Create();
    l.Destroy();
  });
  const double firstBare = MedianMicros(12, 1, [&] {
    HWND bare = ::CreateWindowExA(0, "QuorlBareBench", "", WS_POPUP, 40, 40, w0, h0, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ::ShowWindow(bare, SW_SHOWNOACTIVATE);
    ::UpdateWindow(bare);
    ::DestroyWindow(bare);
    Pump();
  });
  std::printf("launcher screen: %-44s %8.0f us, bare window %8.0f us, ratio %5.2f (goal <= 1.5)\n", "first paint",
              firstLauncher, firstBare, firstLauncher / firstBare);

  LauncherWindow l;
  if (!l.Create()) {
    std::printf("launcher screen: the view could not be made\n");
    return 1;
  }
  CLauncherScreen& screen = l.view->GetScreen();
  CDIB* back = screen.GetBackBuffer();
  HWND hView = l.view->m_hWnd;
  if (back == nullptr) {
    std::printf("launcher screen: no back buffer\n");
    return 1;
  }

  // The tooltip: the first one makes its fonts; then warm.
  CHilightButtonVO* start = screen.GetButton(0);
  const int sx = start->GetX() + start->GetWidth() / 2, sy = start->GetY() + start->GetHeight() / 2;
  double t0 = Now();
  screen.MouseMove(sx, sy, false);
  const double firstTip = (Now() - t0) * 1e6;
  const double warmTip = MedianMicros(30, 1, [&] {
    screen.GetToolTip()->Hide();
    CLauncherScreen::s_nLastTipCommand = -1;
    screen.MouseMove(sx, sy, false);
  });
  std::printf("launcher screen: %-44s %8.1f us first, %8.1f us warm (printed only)\n", "ShowFor (tooltip built)",
              firstTip, warmTip);
  // Shown: the delay passes on the second tooltip tick.
  screen.GetToolTip()->Tick(sx, sy, 50);
  screen.GetToolTip()->Tick(sx, sy, 50);
  screen.FlushDirtyRects();

  // Full composition: the scene, three buttons, the label and the shown tip.
  const size_t bytes = back->GetImageSize();
  std::vector<uint8_t> copy(bytes);
  const double full = MedianMicros(200, 10, [&] { screen.Redraw(nullptr); });
  const double memcpyFull = MedianMicros(200, 10, [&] { std::memcpy(copy.data(), back->GetBits(), bytes); });
  PrintRatio("full frame Redraw(NULL)", full, memcpyFull, "memcpy", "goal <= 10");

  const double fullBlit = MedianMicros(100, 5, [&] {
    screen.Redraw(nullptr);
    l.view->Blit(nullptr);
    ::GdiFlush();
  });
  const double bareBlit = MedianMicros(100, 5, [&] {
    BlitBare(hView, l.view->GetBackBufferBitmap(), 0, 0, back->GetWidth(), back->GetHeight());
    ::GdiFlush();
  });
  PrintRatio("full frame Redraw(NULL) + Blit", fullBlit, bareBlit, "bare BitBlt", "goal <= 2, <= 2000 us");

  // One dirty rectangle: a button's frame change, redrawn and blitted.
  CHilightButtonVO* exit = screen.GetButton(2);
  SkinRect r;
  exit->GetRect(&r);
  int frame = 0;
  const double dirty = MedianMicros(200, 10, [&] {
    frame ^= 1;
    exit->SetFrame(frame);
    screen.FlushDirtyRects();
    ::GdiFlush();
  });
  const int rw = r.right - r.left, rh = r.bottom - r.top;
  const double bareRect = MedianMicros(200, 10, [&] {
    BlitBare(hView, l.view->GetBackBufferBitmap(), r.left, r.top, rw, rh);
    ::GdiFlush();
  });
  char what[64];
  std::snprintf(what, sizeof what, "one dirty rectangle (%d x %d)", rw, rh);
  PrintRatio(what, dirty, bareRect, "bare BitBlt", "goal <= 5, <= 500 us");
  const uint32_t rowBytes = static_cast<uint32_t>(rw) * 2;
  const double memcpyRect = MedianMicros(200, 10, [&] {
    for (int y = r.top; y < r.bottom; ++y) {
      const uint8_t* row = back->GetPixelAddress(r.left, y);
      std::memcpy(copy.data() + static_cast<size_t>(y - r.top) * rowBytes, row, rowBytes);
    }
  });
  PrintRatio("the same rectangle", dirty, memcpyRect, "memcpy", "printed only");

  // One idle hover tick: the pointer on no button, no tip due.
  screen.GetToolTip()->Hide();
  const double tick = MedianMicros(200, 10, [&] { l.view->OnAnimate(); });
  std::printf("launcher screen: %-44s %8.1f us (printed only)\n", "idle hover tick", tick);

  l.Destroy();
  ::DeleteObject(BareWindow::s_section);
  return 0;
}
