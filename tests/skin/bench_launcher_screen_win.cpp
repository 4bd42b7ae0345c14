// The launcher screen's drawing, on the real launcher view built from the
// real skin file, without the network: the first paint against a bare
// window, composition and BitBlts against a bare copy of the same pixels,
// and the tooltip's and the hover tick's cost.  Each figure is a median of
// many runs, the first run left out.  Every clock reading is an integer
// (tests/support/bench_clock.h).
#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "skin/graphic_data.h"
#include "skin/launcher_view.h"
#include "tests/support/bench_clock.h"

#ifndef QUORL_SKIN_FILE
#error "QUORL_SKIN_FILE must name the generated QuorlLnchr.rdl"
#endif

namespace {

using test_support::BenchNowNs;
using test_support::FormatMs;
using test_support::FormatRatio;
using test_support::MedianNs;

class CBenchApp : public CWinApp {
 public:
  CBenchApp() : CWinApp("Quorl screen bench") {}
};
CBenchApp theApp;

// Nanoseconds per call of f: the median of runs, the first left out.
template <typename F>
int64_t MedianCallNs(int runs, int callsPerRun, F&& f) {
  std::vector<int64_t> t;
  for (int i = 0; i <= runs; ++i) {
    const int64_t t0 = BenchNowNs();
    for (int c = 0; c < callsPerRun; ++c) f();
    if (i > 0) t.push_back((BenchNowNs() - t0) / callsPerRun);
  }
  return MedianNs(t);
}

// Microseconds with one decimal ("12.3"), rounded.
std::string FormatUs(int64_t ns) {
  const int64_t tenths = (ns < 0 ? 0 : ns + 50) / 100;
  char text[40];
  std::snprintf(text, sizeof text, "%" PRId64 ".%" PRId64, tenths / 10, tenths % 10);
  return text;
}

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

// One first paint, step by step, in nanoseconds.
struct FirstPaintSteps {
  int64_t windows = 0;  // the frame and its view made (the bare window)
  int64_t update = 0;   // the initial update: scene, back buffer, label, buttons
  int64_t paint = 0;    // shown and painted
  int64_t destroy = 0;  // destroyed, its messages handled
  int64_t Painted() const { return windows + update + paint; }
};

// The frame as the launcher's main frame makes it: no sunken edge, and it
// never erases its background (its view covers it).
class CBenchFrame : public CFrameWnd {
 public:
  BOOL PreCreateWindow(CREATESTRUCT& cs) override {
    if (!CFrameWnd::PreCreateWindow(cs)) return FALSE;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return TRUE;
  }

 protected:
  BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBenchFrame, CFrameWnd)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

// The launcher screen in a frame of the skin's size.  The skin file is
// opened and checked before the clock starts, as the program does once at
// start-up, before it makes any window: the check unpacks the background
// and leaves it cached.  Every other image (the banner, the buttons) is
// unpacked by the first paint, and counts.
struct LauncherWindow {
  CGraphicData skin{20, 1};
  CFrameWnd* frame = nullptr;
  CQuorlLauncherView* view = nullptr;

  bool Create(FirstPaintSteps* steps = nullptr) {
    if (!skin.Open(QUORL_SKIN_FILE) || !IsUsableLauncherSkin(&skin)) return false;
    int32_t w = 0, h = 0;
    skin.GetImageSize(0, &w, &h);
    const int64_t t0 = BenchNowNs();
    frame = new CBenchFrame;
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
    const int64_t t1 = BenchNowNs();
    view->SendMessage(WM_INITIALUPDATE, 0, 0);
    ::GdiFlush();
    const int64_t t2 = BenchNowNs();
    frame->ShowWindow(SW_SHOWNOACTIVATE);
    ::UpdateWindow(frame->m_hWnd);
    ::GdiFlush();
    const int64_t t3 = BenchNowNs();
    if (steps != nullptr) {
      steps->windows = t1 - t0;
      steps->update = t2 - t1;
      steps->paint = t3 - t2;
    }
    return true;
  }
  void Destroy(FirstPaintSteps* steps = nullptr) {
    const int64_t t0 = BenchNowNs();
    AfxGetApp()->m_pMainWnd = nullptr;
    if (frame != nullptr) ::DestroyWindow(frame->m_hWnd);
    frame = nullptr;
    view = nullptr;
    Pump();
    if (steps != nullptr) steps->destroy = BenchNowNs() - t0;
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
  static void Run(int w, int h, FirstPaintSteps* steps) {
    const int64_t t0 = BenchNowNs();
    HWND bare = ::CreateWindowExA(0, "QuorlBareBench", "", WS_POPUP, 40, 40, w, h, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    const int64_t t1 = BenchNowNs();
    ::ShowWindow(bare, SW_SHOWNOACTIVATE);
    ::UpdateWindow(bare);
    ::GdiFlush();
    const int64_t t2 = BenchNowNs();
    ::DestroyWindow(bare);
    Pump();
    const int64_t t3 = BenchNowNs();
    steps->windows = t1 - t0;
    steps->update = 0;
    steps->paint = t2 - t1;
    steps->destroy = t3 - t2;
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

void PrintRatio(const char* what, int64_t ours, int64_t bare, const char* bareName, const char* goal) {
  std::printf("launcher screen: %-44s %8s us, %s %8s us, ratio %5s (%s)\n", what, FormatUs(ours).c_str(), bareName,
              FormatUs(bare).c_str(), FormatRatio(ours, bare).c_str(), goal);
}

// The median of one figure over the runs.
template <typename F>
int64_t MedianOf(const std::vector<FirstPaintSteps>& runs, F&& figure) {
  std::vector<int64_t> t;
  for (const FirstPaintSteps& r : runs) t.push_back(figure(r));
  return MedianNs(t);
}

}  // namespace

int main() {
  AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
  ::GdiSetBatchLimit(1);

  // First paint, from the frame's creation to the painted window: the
  // launcher against a bare window of the same size that BitBlts a ready
  // section.  The two take turns, so that a change in the machine's load
  // falls on both alike; one warm-up run of each is left out.
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
  constexpr int kFirstPaintRuns = 31;
  std::vector<FirstPaintSteps> launcherRuns, bareRuns;
  for (int i = 0; i <= kFirstPaintRuns; ++i) {
    FirstPaintSteps launcher, bare;
    {
      LauncherWindow l;
      if (!l.Create(&launcher)) {
        std::printf("launcher screen: the view could not be made\n");
        return 1;
      }
      l.Destroy(&launcher);
    }
    BareWindow::Run(w0, h0, &bare);
    if (i == 0) continue;
    launcherRuns.push_back(launcher);
    bareRuns.push_back(bare);
  }
  const auto painted = [](const FirstPaintSteps& r) { return r.Painted(); };
  const auto whole = [](const FirstPaintSteps& r) { return r.Painted() + r.destroy; };
  const int64_t firstLauncher = MedianOf(launcherRuns, painted), firstBare = MedianOf(bareRuns, painted);
  std::printf("launcher screen: %-44s %8s ms, bare window %8s ms, ratio %5s (goal <= 1.5; medians of %d)\n",
              "first paint (made to painted)", FormatMs(firstLauncher).c_str(), FormatMs(firstBare).c_str(),
              FormatRatio(firstLauncher, firstBare).c_str(), kFirstPaintRuns);
  const int64_t wholeLauncher = MedianOf(launcherRuns, whole), wholeBare = MedianOf(bareRuns, whole);
  std::printf("launcher screen: %-44s %8s ms, bare window %8s ms, ratio %5s (printed only)\n",
              "first paint, then destroyed", FormatMs(wholeLauncher).c_str(), FormatMs(wholeBare).c_str(),
              FormatRatio(wholeLauncher, wholeBare).c_str());
  // Where the time goes: the median of each step (launcher / bare).
  const auto windows = [](const FirstPaintSteps& r) { return r.windows; };
  const auto update = [](const FirstPaintSteps& r) { return r.update; };
  const auto paint = [](const FirstPaintSteps& r) { return r.paint; };
  const auto destroy = [](const FirstPaintSteps& r) { return r.destroy; };
  std::printf(
      "launcher screen:   steps in ms, launcher / bare: windows made %s / %s, initial update %s / -, "
      "shown and painted %s / %s, destroyed %s / %s\n",
      FormatMs(MedianOf(launcherRuns, windows)).c_str(), FormatMs(MedianOf(bareRuns, windows)).c_str(),
      FormatMs(MedianOf(launcherRuns, update)).c_str(), FormatMs(MedianOf(launcherRuns, paint)).c_str(),
      FormatMs(MedianOf(bareRuns, paint)).c_str(), FormatMs(MedianOf(launcherRuns, destroy)).c_str(),
      FormatMs(MedianOf(bareRuns, destroy)).c_str());

  // The initial update's own parts, each alone, the same number of times:
  // unpacking the background (the start-up's check does it) and the banner
  // (the first paint does) into a new image cache, the
  // first write over a new back-buffer section against a second one, the
  // screen size asked of the system, and the version label built.
  std::vector<int64_t> unpack, unpackBanner, firstTouch, secondTouch, screenSize, label;
  CSkinTextPainterWin painter;
  for (int i = 0; i <= kFirstPaintRuns; ++i) {
    CGraphicData skin(20, 1);
    if (!skin.Open(QUORL_SKIN_FILE)) return 1;
    CGraphicDataHandle background, banner;
    int64_t t0 = BenchNowNs();
    skin.GetImage(CLauncherScreen::kBackgroundEntry, &background);
    const int64_t tBanner = BenchNowNs();
    skin.GetImage(CLauncherScreen::kBannerEntry, &banner);
    const int64_t unpacked = tBanner - t0, unpackedBanner = BenchNowNs() - tBanner;
    void* bits = nullptr;
    HBITMAP section = NewSection16(w0, h0, &bits);
    const size_t bytes = static_cast<size_t>((w0 * 2 + 3) / 4 * 4) * static_cast<size_t>(h0);
    t0 = BenchNowNs();
    if (bits != nullptr) std::memset(bits, 0, bytes);
    const int64_t t1 = BenchNowNs();
    if (bits != nullptr) std::memset(bits, 0, bytes);
    const int64_t t2 = BenchNowNs();
    ::DeleteObject(section);
    const int64_t t3 = BenchNowNs();
    const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    const int64_t t4 = BenchNowNs();
    {
      CVersionInfoVO v;
      v.SetPainter(&painter);
      v.SetVersions(0, 0);
    }
    const int64_t t5 = BenchNowNs();
    if (i == 0 || sw <= 0 || sh <= 0) continue;
    unpack.push_back(unpacked);
    unpackBanner.push_back(unpackedBanner);
    firstTouch.push_back(t1 - t0);
    secondTouch.push_back(t2 - t1);
    screenSize.push_back(t4 - t3);
    label.push_back(t5 - t4);
  }
  std::printf(
      "launcher screen:   initial update's parts in ms: unpacking the background %s (at start-up), the banner %s, "
      "first write of the back buffer %s (a second %s), screen size %s, version label %s\n",
      FormatMs(MedianNs(unpack)).c_str(), FormatMs(MedianNs(unpackBanner)).c_str(),
      FormatMs(MedianNs(firstTouch)).c_str(), FormatMs(MedianNs(secondTouch)).c_str(),
      FormatMs(MedianNs(screenSize)).c_str(), FormatMs(MedianNs(label)).c_str());

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
  const int64_t t0 = BenchNowNs();
  screen.MouseMove(sx, sy, false);
  const int64_t firstTip = BenchNowNs() - t0;
  const int64_t warmTip = MedianCallNs(30, 1, [&] {
    screen.GetToolTip()->Hide();
    CLauncherScreen::s_nLastTipCommand = -1;
    screen.MouseMove(sx, sy, false);
  });
  std::printf("launcher screen: %-44s %8s us first, %8s us warm (printed only)\n", "ShowFor (tooltip built)",
              FormatUs(firstTip).c_str(), FormatUs(warmTip).c_str());
  // Shown: the delay passes on the second tooltip tick.
  screen.GetToolTip()->Tick(sx, sy, 50);
  screen.GetToolTip()->Tick(sx, sy, 50);
  screen.FlushDirtyRects();

  // Full composition: the scene, three buttons, the label and the shown tip.
  const size_t bytes = back->GetImageSize();
  std::vector<uint8_t> copy(bytes);
  const int64_t full = MedianCallNs(200, 10, [&] { screen.Redraw(nullptr); });
  const int64_t memcpyFull = MedianCallNs(200, 10, [&] { std::memcpy(copy.data(), back->GetBits(), bytes); });
  PrintRatio("full frame Redraw(NULL)", full, memcpyFull, "memcpy", "goal <= 10");

  const int64_t fullBlit = MedianCallNs(100, 5, [&] {
    screen.Redraw(nullptr);
    l.view->Blit(nullptr);
    ::GdiFlush();
  });
  const int64_t bareBlit = MedianCallNs(100, 5, [&] {
    BlitBare(hView, l.view->GetBackBufferBitmap(), 0, 0, back->GetWidth(), back->GetHeight());
    ::GdiFlush();
  });
  PrintRatio("full frame Redraw(NULL) + Blit", fullBlit, bareBlit, "bare BitBlt", "goal <= 2, <= 2000 us");

  // One dirty rectangle: a button's frame change, redrawn and blitted.
  CHilightButtonVO* exit = screen.GetButton(2);
  SkinRect r;
  exit->GetRect(&r);
  int frame = 0;
  const int64_t dirty = MedianCallNs(200, 10, [&] {
    frame ^= 1;
    exit->SetFrame(frame);
    screen.FlushDirtyRects();
    ::GdiFlush();
  });
  const int rw = r.right - r.left, rh = r.bottom - r.top;
  const int64_t bareRect = MedianCallNs(200, 10, [&] {
    BlitBare(hView, l.view->GetBackBufferBitmap(), r.left, r.top, rw, rh);
    ::GdiFlush();
  });
  char what[64];
  std::snprintf(what, sizeof what, "one dirty rectangle (%d x %d)", rw, rh);
  PrintRatio(what, dirty, bareRect, "bare BitBlt", "goal <= 5, <= 500 us");
  const uint32_t rowBytes = static_cast<uint32_t>(rw) * 2;
  const int64_t memcpyRect = MedianCallNs(200, 10, [&] {
    for (int y = r.top; y < r.bottom; ++y) {
      const uint8_t* row = back->GetPixelAddress(r.left, y);
      std::memcpy(copy.data() + static_cast<size_t>(y - r.top) * rowBytes, row, rowBytes);
    }
  });
  PrintRatio("the same rectangle", dirty, memcpyRect, "memcpy", "printed only");

  // One idle hover tick: the pointer on no button, no tip due.
  screen.GetToolTip()->Hide();
  const int64_t tick = MedianCallNs(200, 10, [&] { l.view->OnAnimate(); });
  std::printf("launcher screen: %-44s %8s us (printed only)\n", "idle hover tick", FormatUs(tick).c_str());

  l.Destroy();
  ::DeleteObject(BareWindow::s_section);
  return 0;
}
