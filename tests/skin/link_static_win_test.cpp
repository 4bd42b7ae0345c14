// The link static in a window of the test's own, on the desktop: its
// colours as they reach the screen, the hand cursor over its text only,
// where the text lies for each alignment, the click through the real shell
// (whose http handler here is the tests' recorder) and the copy onto the
// real clipboard.  The mouse is real (SendInput): the hover poll reads the
// pointer's position, as it does for a user.
#include "skin/link_static.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/win_driver.h"
#include "tests/harness/url_report.h"
#include "tests/support/test_app_win.h"

namespace {

class CLinkTestApp : public CWinApp {
 public:
  CLinkTestApp() : CWinApp("Quorl link test") {}
};
CLinkTestApp theApp;

const char kAddress[] = "http://kr.quorl.example/";

using test_support::PumpPending;
using test_support::PumpUntil;

uint32_t ScreenRgb(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

std::string ClipboardText() {
  std::string text = "<no text>";
  if (!::OpenClipboard(nullptr)) return "<clipboard busy>";
  if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(::GlobalLock(h))) {
      text = p;
      ::GlobalUnlock(h);
    }
  }
  ::CloseClipboard();
  return text;
}

bool PutClipboardText(HWND owner, const char* text) {
  const size_t n = std::strlen(text) + 1;
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, n);
  if (block == nullptr) return false;
  std::memcpy(::GlobalLock(block), text, n);
  ::GlobalUnlock(block);
  if (!::OpenClipboard(owner)) {
    ::GlobalFree(block);
    return false;
  }
  ::EmptyClipboard();
  const bool ok = ::SetClipboardData(CF_TEXT, block) != nullptr;
  if (!ok) ::GlobalFree(block);
  ::CloseClipboard();
  return ok;
}

// A popup menu of this process, found by a thread of its own while the
// test's thread runs the menu: it reads the first item and clicks it with
// the real mouse.
class MenuClicker {
 public:
  MenuClicker()
      : m_worker([this] {
          HWND menu = e2e::WaitForWindow(::GetCurrentProcessId(), "#32768", 3000);
          if (menu == nullptr || m_stop) return;
          HMENU h = reinterpret_cast<HMENU>(::SendMessageA(menu, MN_GETHMENU, 0, 0));
          wchar_t text[64] = {};
          if (h != nullptr) {
            ::GetMenuStringW(h, 0, text, 64, MF_BYPOSITION);
            m_id = ::GetMenuItemID(h, 0);
          }
          m_item = e2e::Narrow(text);
          RECT item = {};
          if (h == nullptr || !::GetMenuItemRect(nullptr, h, 0, &item)) ::GetWindowRect(menu, &item);
          e2e::MoveMouseTo((item.left + item.right) / 2, (item.top + item.bottom) / 2);
          e2e::MouseLeftButton(true);
          e2e::MouseLeftButton(false);
          m_seen = true;
        }) {}
  ~MenuClicker() { Finish(); }
  // Waits for the watcher (it gives up on its own after a few seconds).
  void Finish() {
    m_stop = true;
    if (m_worker.joinable()) test_support::JoinAnsweringSentMessages(m_worker);
  }
  bool Seen() const { return m_seen; }
  const std::string& Item() const { return m_item; }
  UINT Id() const { return m_id; }

 private:
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_seen{false};
  std::string m_item;
  UINT m_id = 0;
  std::thread m_worker;
};

class LinkStaticTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
  }

  void SetUp() override {
    const char* cls =
        AfxRegisterWndClass(0, ::LoadCursorA(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    ASSERT_TRUE(
        parent.CreateEx(WS_EX_TOPMOST, cls, "link test", WS_POPUP | WS_VISIBLE, 200, 150, 420, 160, nullptr, nullptr));
    font = ::CreateFontA(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, "GulimChe");
    ASSERT_NE(nullptr, font);
    e2e::MoveMouseTo(5, 5);  // away from every window of the test
  }

  void TearDown() override {
    ::ReleaseCapture();
    for (CLinkURLStatic* link : links) delete link;
    links.clear();
    if (parent.GetSafeHwnd() != nullptr) parent.DestroyWindow();
    if (font != nullptr) ::DeleteObject(font);
    PumpPending();
  }

  // A plain static child, bound to a link as a dialog's DDX_Control does.
  CLinkURLStatic* Subclassed(const char* text, DWORD style, int x, int y, int w, int h) {
    HWND s = ::CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent.m_hWnd, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(s, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    auto* link = new CLinkURLStatic;
    links.push_back(link);
    EXPECT_TRUE(link->SubclassWindow(s));
    return link;
  }

  // The text's size as the link measures it: each character's extent in
  // the underlined copy of the font, in this prefix.
  SIZE TextSize(const char* text, HFONT base) const {
    LOGFONTA lf = {};
    ::GetObjectA(base, sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    HFONT underlined = ::CreateFontIndirectA(&lf);
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, underlined);
    SIZE total = {0, 0};
    for (const char* p = text; *p != 0; ++p) {
      SIZE one = {0, 0};
      ::GetTextExtentPoint32A(dc, p, 1, &one);
      total.cx += one.cx;
      if (one.cy > total.cy) total.cy = one.cy;
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(underlined);
    return total;
  }

  POINT ScreenPoint(CLinkURLStatic* link, int x, int y) const {
    POINT p = {x, y};
    ::ClientToScreen(link->m_hWnd, &p);
    return p;
  }

  bool MoveTo(CLinkURLStatic* link, int x, int y) {
    const POINT p = ScreenPoint(link, x, y);
    return e2e::MoveMouseTo(p.x, p.y);
  }

  // Exact pixels of a colour in the control as the screen shows it.
  int PixelsOf(CLinkURLStatic* link, COLORREF colour) {
    link->UpdateWindow();
    e2e::Capture shot;
    if (!e2e::CaptureClient(link->m_hWnd, &shot)) return -1;
    int n = 0;
    for (uint32_t px : shot.pixels) n += (px & 0xFFFFFF) == ScreenRgb(colour) ? 1 : 0;
    return n;
  }

  // The longest row of pixels of a colour: only an underline makes one as
  // long as the text.
  int LongestRunOf(CLinkURLStatic* link, COLORREF colour) {
    link->UpdateWindow();
    e2e::Capture shot;
    if (!e2e::CaptureClient(link->m_hWnd, &shot)) return -1;
    int best = 0;
    for (int y = 0; y < shot.height; ++y) {
      int run = 0;
      for (int x = 0; x < shot.width; ++x) {
        run = (shot.At(x, y) & 0xFFFFFF) == ScreenRgb(colour) ? run + 1 : 0;
        if (run > best) best = run;
      }
    }
    return best;
  }

  CWnd parent;
  HFONT font = nullptr;
  std::vector<CLinkURLStatic*> links;
};

// Normal blue, red under the pointer and while pressed, purple for good
// once the address has been opened; the screen shows only the current
// colour.
TEST_F(LinkStaticTest, ColourOfEachStateOnTheScreen) {
  url_test::UrlReport report;
  CLinkURLStatic* link = Subclassed(kAddress, SS_LEFT, 10, 10, 380, 24);
  const SIZE text = TextSize(kAddress, font);
  ASSERT_GT(text.cx, 40);
  const int tx = text.cx / 2, ty = text.cy / 2;
  const COLORREF all[] = {CLinkURLStatic::kNormalColour, CLinkURLStatic::kHoverColour, CLinkURLStatic::kVisitedColour};
  auto expectShown = [&](COLORREF shown, const char* state) {
    SCOPED_TRACE(state);
    EXPECT_EQ(shown, link->GetTextColour());
    for (COLORREF c : all) {
      if (c == shown)
        EXPECT_GT(PixelsOf(link, c), 0) << std::hex << c;
      else
        EXPECT_EQ(0, PixelsOf(link, c)) << std::hex << c;
    }
  };
  PumpPending();
  EXPECT_EQ(50u, link->GetHoverPeriod()) << "the hover poll";
  expectShown(CLinkURLStatic::kNormalColour, "normal");
  EXPECT_GE(LongestRunOf(link, CLinkURLStatic::kNormalColour), text.cx * 3 / 4) << "underlined";

  ASSERT_TRUE(MoveTo(link, tx, ty));
  EXPECT_TRUE(PumpUntil([&] { return link->GetTextColour() == CLinkURLStatic::kHoverColour; }));
  expectShown(CLinkURLStatic::kHoverColour, "hover");
  ASSERT_TRUE(MoveTo(link, text.cx + 40, ty));  // in the control, past the text
  EXPECT_TRUE(PumpUntil([&] { return link->GetTextColour() == CLinkURLStatic::kNormalColour; }));
  expectShown(CLinkURLStatic::kNormalColour, "left again");

  // Pressed, then released off the text: nothing opens.
  ASSERT_TRUE(MoveTo(link, tx, ty));
  ASSERT_TRUE(e2e::MouseLeftButton(true));
  EXPECT_TRUE(PumpUntil([&] { return ::GetCapture() == link->m_hWnd; }));
  expectShown(CLinkURLStatic::kHoverColour, "pressed");
  ASSERT_TRUE(MoveTo(link, text.cx + 40, ty));
  ::Sleep(200);  // several hover polls: a held link keeps its colour
  PumpPending();
  EXPECT_EQ(CLinkURLStatic::kHoverColour, link->GetTextColour());
  ASSERT_TRUE(e2e::MouseLeftButton(false));
  EXPECT_TRUE(PumpUntil([&] { return ::GetCapture() == nullptr; }));
  expectShown(CLinkURLStatic::kNormalColour, "released away");
  EXPECT_FALSE(link->IsVisited());
  EXPECT_EQ("", report.WaitForAddress(500, PumpPending));

  // A click on the text opens the address and leaves it purple.
  ASSERT_TRUE(MoveTo(link, tx, ty));
  ASSERT_TRUE(e2e::MouseLeftButton(true));
  ASSERT_TRUE(e2e::MouseLeftButton(false));
  EXPECT_EQ(kAddress, report.WaitForAddress(10000, PumpPending));
  EXPECT_TRUE(PumpUntil([&] { return link->IsVisited() && ::GetCapture() == nullptr; }));
  expectShown(CLinkURLStatic::kVisitedColour, "visited, hovered");
  // The static's class takes a second press soon after a click as a double
  // click.
  ::Sleep(::GetDoubleClickTime() + 50);
  ASSERT_TRUE(e2e::MouseLeftButton(true));
  EXPECT_TRUE(PumpUntil([&] { return ::GetCapture() == link->m_hWnd; }));
  expectShown(CLinkURLStatic::kVisitedColour, "visited, pressed");
  ASSERT_TRUE(MoveTo(link, text.cx + 40, ty));
  ASSERT_TRUE(e2e::MouseLeftButton(false));
  EXPECT_TRUE(PumpUntil([&] { return ::GetCapture() == nullptr; }));
  expectShown(CLinkURLStatic::kVisitedColour, "visited, released away");
  EXPECT_GE(LongestRunOf(link, CLinkURLStatic::kVisitedColour), text.cx * 3 / 4) << "underlined";
}

// The hand (the program's cursor 1001) over the text, the arrow over the
// rest of the control; the control keeps its clicks (HTCLIENT), where a
// plain static would let them through.
TEST_F(LinkStaticTest, HandCursorOnlyOverTheText) {
  CLinkURLStatic* link = Subclassed(kAddress, SS_LEFT, 10, 10, 380, 40);
  const SIZE text = TextSize(kAddress, font);
  HCURSOR hand = ::LoadCursorA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_HAND));
  ASSERT_NE(nullptr, hand);
  HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);
  struct Case {
    const char* name;
    int x, y;
    HCURSOR expected;
  } const cases[] = {
      {"first character", 2, text.cy / 2, hand},
      {"last character", text.cx - 2, text.cy / 2, hand},
      {"right of the text", text.cx + 3, text.cy / 2, arrow},
      {"below the text", 2, text.cy + 3, arrow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(MoveTo(link, c.x, c.y));
    EXPECT_TRUE(PumpUntil([&] { return ::GetCursor() == c.expected; }, 2000));
    EXPECT_EQ(c.expected, ::GetCursor());
    const POINT p = ScreenPoint(link, c.x, c.y);
    EXPECT_EQ(HTCLIENT, ::SendMessageA(link->m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)));
  }
}

// Only the text is the link: SS_RIGHT puts it at the right end, SS_CENTER
// in the middle, SS_CENTERIMAGE in the vertical middle.
TEST_F(LinkStaticTest, TheTextIsWhereTheAlignmentPutsIt) {
  const int w = 380, h = 60;
  const SIZE t = TextSize(kAddress, font);
  struct Case {
    const char* name;
    DWORD style;
    int left, top;  // where the text starts in the control
  } const cases[] = {
      {"left", SS_LEFT, 0, 0},
      {"right", SS_RIGHT, w - t.cx, 0},
      {"centre", SS_CENTER, (w - t.cx) / 2, 0},
      {"right, vertical middle", SS_RIGHT | SS_CENTERIMAGE, w - t.cx, (h - t.cy) / 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CLinkURLStatic* link = Subclassed(kAddress, c.style, 10, 10, w, h);
    const int midY = c.top + t.cy / 2;
    EXPECT_TRUE(link->HitTestText(c.left + 1, midY));
    EXPECT_TRUE(link->HitTestText(c.left + t.cx - 1, midY));
    EXPECT_FALSE(link->HitTestText(c.left - 2, midY));
    EXPECT_FALSE(link->HitTestText(c.left + t.cx + 1, midY));
    EXPECT_TRUE(link->HitTestText(c.left + 1, c.top));
    EXPECT_FALSE(link->HitTestText(c.left + 1, c.top - 1));
    EXPECT_FALSE(link->HitTestText(c.left + 1, c.top + t.cy));
    link->DestroyWindow();
  }
  // An empty link has no text to hit.
  CLinkURLStatic* empty = Subclassed("", SS_LEFT, 10, 10, w, h);
  EXPECT_FALSE(empty->HitTestText(1, 1));
}

// The font the link draws with, as the static itself holds it (not what
// the link answers to WM_GETFONT).
HFONT DrawnFont(HWND link) {
  WNDCLASSA cls = {};
  if (!::GetClassInfoA(nullptr, "STATIC", &cls)) return nullptr;
  return reinterpret_cast<HFONT>(::CallWindowProcA(cls.lpfnWndProc, link, WM_GETFONT, 0, 0));
}

// The link answers WM_GETFONT with the font it was given; given that font
// back (or its own underlined copy), it still draws with a live underlined
// font and measures its text as before.
TEST_F(LinkStaticTest, ItsOwnFontGivenBackLeavesAFontToDrawWith) {
  CLinkURLStatic* link = Subclassed(kAddress, SS_LEFT, 10, 10, 380, 24);
  const SIZE text = TextSize(kAddress, font);
  PumpPending();
  ASSERT_TRUE(link->HitTestText(text.cx - 2, 2));
  EXPECT_EQ(reinterpret_cast<LRESULT>(font), link->SendMessage(WM_GETFONT));
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    link->SendMessage(WM_SETFONT, link->SendMessage(WM_GETFONT), TRUE);
    if (round == 2) link->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(DrawnFont(link->m_hWnd)), TRUE);
    const HFONT drawn = DrawnFont(link->m_hWnd);
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), ::GetObjectType(drawn)) << "a deleted font";
    LOGFONTA lf = {};
    ASSERT_TRUE(::GetObjectA(drawn, sizeof lf, &lf));
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_EQ(reinterpret_cast<LRESULT>(font), link->SendMessage(WM_GETFONT));
    EXPECT_TRUE(link->HitTestText(text.cx - 2, 2));
    EXPECT_FALSE(link->HitTestText(text.cx + 2, 2));
    PumpPending();
    EXPECT_GE(LongestRunOf(link, CLinkURLStatic::kNormalColour), text.cx * 3 / 4) << "underlined";
  }
}

// In the About box's own dialog, with the dialog's font as the box shows
// the link: after the pointer has passed over the link and gone, three
// times, the link looks exactly as before (its text is drawn over what
// lies under it, so each colour must not be drawn over the last).
TEST_F(LinkStaticTest, APassOfThePointerLeavesTheLinkAsItWas) {
  CDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_ABOUTBOX, nullptr));
  HWND box = dialog.m_hWnd;
  HWND s = ::GetDlgItem(box, IDC_ABOUT_LINK);
  ASSERT_NE(nullptr, s);
  ::SetWindowTextA(s, kAddress);
  auto* link = new CLinkURLStatic;
  links.push_back(link);
  ASSERT_TRUE(link->SubclassWindow(s));
  ASSERT_TRUE(::SetWindowPos(box, HWND_TOPMOST, 200, 340, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE));
  const HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageA(box, WM_GETFONT, 0, 0));
  ASSERT_NE(nullptr, dialogFont);
  EXPECT_EQ(reinterpret_cast<LRESULT>(dialogFont), link->SendMessage(WM_GETFONT));
  const SIZE text = TextSize(kAddress, dialogFont);
  PumpPending();
  ::UpdateWindow(box);
  e2e::Capture before, after;
  ASSERT_TRUE(e2e::CaptureClient(link->m_hWnd, &before));
  // The text is there, blue, smoothed or not.
  int blue = 0;
  for (uint32_t px : before.pixels) {
    const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
    blue += b > r + 60 && b > g + 60 ? 1 : 0;
  }
  ASSERT_GT(blue, 20);
  for (int pass = 0; pass < 3; ++pass) {
    SCOPED_TRACE(pass);
    ASSERT_TRUE(MoveTo(link, text.cx / 2, text.cy / 2));
    EXPECT_TRUE(PumpUntil([&] { return link->GetTextColour() == CLinkURLStatic::kHoverColour; }));
    PumpPending();
    ASSERT_TRUE(e2e::MoveMouseTo(5, 5));
    EXPECT_TRUE(PumpUntil([&] { return link->GetTextColour() == CLinkURLStatic::kNormalColour; }));
    PumpPending();
  }
  ::UpdateWindow(box);
  ASSERT_TRUE(e2e::CaptureClient(link->m_hWnd, &after));
  ASSERT_EQ(before.pixels.size(), after.pixels.size());
  int changed = 0;
  for (size_t i = 0; i < before.pixels.size(); ++i) changed += before.pixels[i] != after.pixels[i] ? 1 : 0;
  EXPECT_EQ(0, changed) << "of " << before.pixels.size() << " pixels";
  dialog.DestroyWindow();
}

// A new font: the underlined copy is made again from it.
TEST_F(LinkStaticTest, ANewFontIsMeasuredAgain) {
  CLinkURLStatic* link = Subclassed(kAddress, SS_LEFT, 10, 10, 400, 60);
  const SIZE small = TextSize(kAddress, font);
  HFONT big = ::CreateFontA(-28, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, "GulimChe");
  const SIZE large = TextSize(kAddress, big);
  ASSERT_GT(large.cx, small.cx + 4);
  EXPECT_FALSE(link->HitTestText(small.cx + 2, 2));
  link->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
  EXPECT_TRUE(link->HitTestText(small.cx + 2, 2));
  EXPECT_FALSE(link->HitTestText(large.cx + 2, 2));
  link->DestroyWindow();
  ::DeleteObject(big);
}

// The context menu over the text: menu 159's one item, which copies the
// address as text onto the real clipboard.  Off the text, and on a link
// without text, nothing happens to the clipboard.
TEST_F(LinkStaticTest, ContextMenuCopiesTheAddress) {
  CLinkURLStatic* link = Subclassed(kAddress, SS_LEFT, 10, 10, 380, 24);
  CLinkURLStatic* empty = Subclassed("", SS_LEFT, 10, 60, 380, 24);
  const SIZE text = TextSize(kAddress, font);

  ASSERT_TRUE(PutClipboardText(parent.m_hWnd, "before"));
  {
    MenuClicker clicker;
    const POINT off = ScreenPoint(link, text.cx + 20, text.cy / 2);
    link->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(link->m_hWnd), MAKELPARAM(off.x, off.y));
    clicker.Finish();
    EXPECT_FALSE(clicker.Seen()) << "no menu off the text";
  }
  EXPECT_EQ("before", ClipboardText());
  empty->SendMessage(WM_COMMAND, ID_EDIT_COPY, 0);
  EXPECT_EQ("before", ClipboardText()) << "an empty link copies nothing";

  MenuClicker clicker;
  const POINT on = ScreenPoint(link, text.cx / 2, text.cy / 2);
  link->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(link->m_hWnd), MAKELPARAM(on.x, on.y));
  EXPECT_TRUE(PumpUntil([&] { return ClipboardText() == kAddress; }));
  clicker.Finish();
  EXPECT_TRUE(clicker.Seen());
  EXPECT_EQ("URL의 복사", clicker.Item());
  EXPECT_EQ(static_cast<UINT>(ID_EDIT_COPY), clicker.Id());
  EXPECT_EQ(kAddress, ClipboardText());
}

// A link made with Create rather than bound to a template's static: it
// polls the hover all the same, and takes its address from its text when
// it is clicked.
TEST_F(LinkStaticTest, ACreatedLinkOpensItsText) {
  url_test::UrlReport report;
  auto* link = new CLinkURLStatic;
  links.push_back(link);
  ASSERT_TRUE(link->Create(kAddress, WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(10, 10, 390, 34), &parent, 1017));
  link->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  const SIZE text = TextSize(kAddress, font);
  ASSERT_TRUE(MoveTo(link, text.cx / 2, text.cy / 2));
  EXPECT_TRUE(PumpUntil([&] { return link->GetTextColour() == CLinkURLStatic::kHoverColour; }));
  ASSERT_TRUE(e2e::MouseLeftButton(true));
  ASSERT_TRUE(e2e::MouseLeftButton(false));
  EXPECT_EQ(kAddress, report.WaitForAddress(10000, PumpPending));
  EXPECT_TRUE(PumpUntil([&] { return link->IsVisited() != FALSE; }));
  EXPECT_STREQ(kAddress, link->GetURL().GetString());
  // The hover poll runs every 50 ms until the control goes.
  EXPECT_EQ(50u, link->GetHoverPeriod());
  EXPECT_TRUE(::KillTimer(link->m_hWnd, CLinkURLStatic::kHoverTimerId));
}

}  // namespace
