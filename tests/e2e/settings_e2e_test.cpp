// The settings dialog of the real launcher under Wine, opened as a user
// opens it: alone with /e, and from the launcher screen by clicking its
// Settings button.  Windows and controls are found by class and id; what
// the user sees is read from the screen; the tab control is asked through
// memory of the launcher's own process, as its messages need.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/launcher_names.h"
#include "framework/afxres.h"
#include "res/resource.h"
#include "skin/graphic_data.h"
#include "tests/e2e/win_driver.h"
#include "tests/support/registry_win.h"

using namespace e2e;

namespace {

const std::string kBinDir = ToWindowsPath(QUORL_E2E_BIN_DIR) + "\\";
const std::string kShotDir = ToWindowsPath(QUORL_E2E_SHOT_DIR) + "\\";
constexpr DWORD kWindowTimeout = 20000;

// The page templates in tab order, each told by a control only it has.
struct TabPage {
  const char* label;
  int control;
};
const TabPage kTabs[] = {{"일반", IDC_ENV_DISPLAY_MODE},
                         {"그래픽스", IDC_ENV_TEX2D},
                         {"상세설정", IDC_ENV_LAND_R},
                         {"바다", IDC_ENV_SEA_PRESET},
                         {"네트워크", IDC_NET_PROXY_HOST}};

// The text as the Korean ANSI code page (949) spells it: the bytes the
// program's string table gives its ANSI windows.
std::string Cp949(const char* utf8) {
  const std::wstring wide = Widen(utf8);
  const int n = ::WideCharToMultiByte(949, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(949, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::string AnsiText(HWND wnd) {
  char buf[512] = {};
  ::GetWindowTextA(wnd, buf, sizeof buf);
  return buf;
}

struct Install {
  TempFolder folder;
  std::string exe;
};

void Stage(Install& in) {
  in.exe = in.folder.File("QuorlLauncher.exe");
  ASSERT_TRUE(::CopyFileA((kBinDir + "QuorlLauncher.exe").c_str(), in.exe.c_str(), FALSE));
  ASSERT_TRUE(CopyInto(kBinDir + kSkinFileName, in.folder.Path(), kSkinFileName));
}

// The first visible top-level window of the process for which pred holds,
// waited for.
struct WindowSearch {
  DWORD pid;
  const std::function<bool(HWND)>* pred;
  HWND found;
};

BOOL CALLBACK FindWhere(HWND wnd, LPARAM data) {
  auto* s = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(wnd, &owner);
  if (owner != s->pid || !::IsWindowVisible(wnd) || !(*s->pred)(wnd)) return TRUE;
  s->found = wnd;
  return FALSE;
}

HWND WaitForWindowWhere(DWORD pid, const std::function<bool(HWND)>& pred, DWORD timeoutMs) {
  WindowSearch search = {pid, &pred, nullptr};
  WaitUntil(
      [&] {
        ::EnumWindows(&FindWhere, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

bool IsDialogClass(HWND wnd) {
  char cls[32] = {};
  ::GetClassNameA(wnd, cls, sizeof cls);
  return std::string(cls) == "#32770";
}

HWND WaitForSettingsDialog(DWORD pid) {
  return WaitForWindowWhere(
      pid, [](HWND w) { return IsDialogClass(w) && ::GetDlgItem(w, IDC_ENV_TAB) != nullptr; }, kWindowTimeout);
}

HWND WaitForMessageBox(DWORD pid) {
  return WaitForWindowWhere(
      pid, [](HWND w) { return IsDialogClass(w) && ::GetDlgItem(w, 0xFFFF) != nullptr; }, kWindowTimeout);
}

// A block of memory in another process, for the messages whose answer is
// written through a pointer.
class RemoteBlock {
 public:
  RemoteBlock(DWORD pid, size_t size) : m_size(size) {
    m_process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (m_process) m_address = ::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBlock() {
    if (m_address) ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    if (m_process) ::CloseHandle(m_process);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  bool Ok() const { return m_address != nullptr; }
  char* At(size_t offset) const { return static_cast<char*>(m_address) + offset; }
  bool Write(size_t offset, const void* data, size_t n) {
    SIZE_T done = 0;
    return offset <= m_size && n <= m_size - offset && ::WriteProcessMemory(m_process, At(offset), data, n, &done) &&
           done == n;
  }
  bool Read(size_t offset, void* data, size_t n) const {
    SIZE_T done = 0;
    return offset <= m_size && n <= m_size - offset && ::ReadProcessMemory(m_process, At(offset), data, n, &done) &&
           done == n;
  }

 private:
  HANDLE m_process = nullptr;
  void* m_address = nullptr;
  size_t m_size;
};

// The tab control of another process, through a block of its memory.
class RemoteTabs {
 public:
  RemoteTabs(HWND tab, DWORD pid) : m_tab(tab), m_block(pid, 1024) {}
  bool Ok() const { return m_block.Ok(); }

  // An item's label, as the control's ANSI text.
  std::string Label(int index) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = m_block.At(sizeof item);
    item.cchTextMax = 256;
    char text[256] = {};
    if (!m_block.Write(0, &item, sizeof item) || !m_block.Write(sizeof item, text, sizeof text)) return "<no block>";
    if (!::SendMessageA(m_tab, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(m_block.At(0))))
      return "<no item>";
    m_block.Read(sizeof item, text, sizeof text - 1);
    return text;
  }
  // An item's header in screen coordinates.
  RECT ItemRect(int index) {
    RECT r = {0, 0, 0, 0};
    if (m_block.Write(0, &r, sizeof r) &&
        ::SendMessageA(m_tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(m_block.At(0))))
      m_block.Read(0, &r, sizeof r);
    ::MapWindowPoints(m_tab, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  // The display area in screen coordinates.
  RECT DisplayArea() {
    RECT r = {0, 0, 0, 0};
    ::GetClientRect(m_tab, &r);
    if (m_block.Write(0, &r, sizeof r)) {
      ::SendMessageA(m_tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(m_block.At(0)));
      m_block.Read(0, &r, sizeof r);
    }
    ::MapWindowPoints(m_tab, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

 private:
  HWND m_tab;
  RemoteBlock m_block;
};

RECT ScreenRect(HWND w) {
  RECT r = {0, 0, 0, 0};
  ::GetWindowRect(w, &r);
  return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

uint32_t SysRgb(int index) {
  const DWORD c = ::GetSysColor(index);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// The page of the dialog that holds the control.
HWND PageWith(HWND dialog, int control) {
  for (HWND c = ::GetWindow(dialog, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (IsDialogClass(c) && ::GetDlgItem(c, control) != nullptr) return c;
  }
  return nullptr;
}

// Whether a patch of the view's top left (away from the buttons and the
// label) shows the skin's background pixels.
bool ShowsSkinBackground(HWND view, CGraphicData& skin) {
  CGraphicDataHandle bg;
  int32_t w = 0, h = 0;
  if (!skin.GetImage(0, &bg) || !skin.GetImageSize(0, &w, &h)) return false;
  Capture shot;
  if (!CaptureClient(view, &shot) || shot.width < 160 || shot.height < 60) return false;
  const uint8_t* palette = bg.data + static_cast<size_t>(w) * h;
  for (int y = 4; y < 60; y += 7) {
    for (int x = 4; x < 160; x += 9) {
      const uint8_t* c = palette + 4 * bg.data[y * w + x];
      // The screen is drawn from a 16-bit picture: five bits a channel.
      const uint32_t rgb = (uint32_t(c[2]) << 16) | (uint32_t(c[1]) << 8) | c[0];
      if ((shot.At(x, y) & 0xF8F8F8) != (rgb & 0xF8F8F8)) return false;
    }
  }
  return true;
}

// Points at a screen point and clicks the left button there, as a mouse
// does.
bool ClickAt(POINT at) { return MoveMouseTo(at.x, at.y) && MouseLeftButton(true) && MouseLeftButton(false); }

POINT CentreOf(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// Every tab chosen by a click on its header: the right page alone shows,
// inside the display area, without a caption (by style and on the screen);
// the buttons stay below the tab control, at its right.  Each tab's
// picture is saved beside the build.
void CheckEveryTab(HWND dialog, DWORD pid, const std::string& shotName) {
  HWND tab = ::GetDlgItem(dialog, IDC_ENV_TAB);
  ASSERT_NE(nullptr, tab);
  char cls[32] = {};
  ::GetClassNameA(tab, cls, sizeof cls);
  EXPECT_STREQ(WC_TABCONTROLA, cls);
  RemoteTabs tabs(tab, pid);
  ASSERT_TRUE(tabs.Ok());
  ASSERT_EQ(5, static_cast<int>(::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0)));

  const RECT tabRect = ScreenRect(tab);
  const RECT display = tabs.DisplayArea();
  const int captionHeight = ::GetSystemMetrics(SM_CYCAPTION);
  const uint32_t captionColours[] = {SysRgb(COLOR_ACTIVECAPTION), SysRgb(COLOR_INACTIVECAPTION),
                                     SysRgb(COLOR_GRADIENTACTIVECAPTION), SysRgb(COLOR_GRADIENTINACTIVECAPTION)};
  const uint32_t face = SysRgb(COLOR_3DFACE);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(kTabs[i].label);
    EXPECT_EQ(Cp949(kTabs[i].label), tabs.Label(i));
    const POINT header = CentreOf(tabs.ItemRect(i));
    ASSERT_EQ(tab, ::WindowFromPoint(header)) << "the tab's header is not under the pointer";
    ASSERT_TRUE(ClickAt(header));
    HWND page = PageWith(dialog, kTabs[i].control);
    ASSERT_NE(nullptr, page);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(page) != FALSE; }, kWindowTimeout));
    EXPECT_EQ(i, static_cast<int>(::SendMessageA(tab, TCM_GETCURSEL, 0, 0)));
    for (const TabPage& other : kTabs) {
      if (other.control != kTabs[i].control) {
        EXPECT_FALSE(::IsWindowVisible(PageWith(dialog, other.control)));
      }
    }
    EXPECT_EQ(0, ::GetWindowLongA(page, GWL_STYLE) & WS_CAPTION);
    const RECT pageRect = ScreenRect(page);
    EXPECT_TRUE(Inside(pageRect, display)) << "the page passes the display area";
    for (HWND c = ::GetWindow(page, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
      SCOPED_TRACE(::GetDlgCtrlID(c));
      EXPECT_TRUE(Inside(ScreenRect(c), pageRect));
    }

    // On the screen: the page's face, and no band of caption colour
    // across its top (a selected item may use that colour, a caption
    // strip fills the width).
    Capture shot;
    ::Sleep(200);  // the page's first paint after it shows
    ASSERT_TRUE(CaptureClient(dialog, &shot));
    SaveBmp(shot, kShotDir + shotName + "-tab-" + std::to_string(i) + ".bmp");
    POINT origin = {0, 0};
    ::ClientToScreen(dialog, &origin);
    const RECT inShot = {pageRect.left - origin.x, pageRect.top - origin.y, pageRect.right - origin.x,
                         pageRect.bottom - origin.y};
    ASSERT_TRUE(inShot.left >= 0 && inShot.top >= 0 && inShot.right <= shot.width && inShot.bottom <= shot.height);
    int faceOnPage = 0, pagePixels = 0;
    for (int y = inShot.top; y < inShot.bottom; ++y) {
      int captionLike = 0;
      for (int x = inShot.left; x < inShot.right; ++x) {
        const uint32_t p = shot.At(x, y);
        ++pagePixels;
        if (p == face) ++faceOnPage;
        for (uint32_t c : captionColours) captionLike += p == c && p != face ? 1 : 0;
      }
      if (y < inShot.top + captionHeight) {
        EXPECT_LT(captionLike * 2, inShot.right - inShot.left) << "a caption strip at row " << y - inShot.top;
      }
    }
    EXPECT_GT(faceOnPage * 2, pagePixels) << "the page is not drawn where it stands";
    EXPECT_GT((pagePixels - faceOnPage) * 100, pagePixels) << "the page shows no controls";

    for (int id : {IDC_ENV_RESET, IDOK, IDCANCEL}) {
      SCOPED_TRACE(id);
      const RECT b = ScreenRect(::GetDlgItem(dialog, id));
      EXPECT_GE(b.top, tabRect.bottom);
      EXPECT_GT(b.left, (tabRect.left + tabRect.right) / 2 - (b.right - b.left) * 3);
      EXPECT_LE(b.right, tabRect.right);
      // Drawn there: its border and its text differ from the dialog's face.
      int drawn = 0;
      for (int y = b.top - origin.y; y < b.bottom - origin.y; ++y) {
        for (int x = b.left - origin.x; x < b.right - origin.x; ++x) drawn += shot.At(x, y) != face;
      }
      EXPECT_GT(drawn, (b.right - b.left) + (b.bottom - b.top)) << "no button drawn at its place";
    }
  }
  // Cancel stays right of OK, both at the tab control's right.
  EXPECT_LT(ScreenRect(::GetDlgItem(dialog, IDOK)).right, ScreenRect(::GetDlgItem(dialog, IDCANCEL)).left + 1);
  EXPECT_GE(ScreenRect(::GetDlgItem(dialog, IDCANCEL)).right, tabRect.right - 20);
}

// The texts of the dialog's own buttons and title, byte for byte.
void CheckShellTexts(HWND dialog) {
  EXPECT_EQ(Cp949("Quorl 환경설정"), AnsiText(dialog));
  EXPECT_EQ(Cp949("초기화"), AnsiText(::GetDlgItem(dialog, IDC_ENV_RESET)));
  EXPECT_EQ(Cp949("확인"), AnsiText(::GetDlgItem(dialog, IDOK)));
  EXPECT_EQ(Cp949("취소"), AnsiText(::GetDlgItem(dialog, IDCANCEL)));
}

// The process's visible top-level windows.
struct WindowCount {
  DWORD pid;
  int n;
};

BOOL CALLBACK CountVisible(HWND wnd, LPARAM data) {
  auto* c = reinterpret_cast<WindowCount*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(wnd, &owner);
  if (owner == c->pid && ::IsWindowVisible(wnd)) ++c->n;
  return TRUE;
}

int VisibleWindows(DWORD pid) {
  WindowCount count = {pid, 0};
  ::EnumWindows(&CountVisible, reinterpret_cast<LPARAM>(&count));
  return count.n;
}

TEST(SettingsDialogAlone, EveryTabByMouseInsideItsDisplayArea) {
  Install in;
  ASSERT_NO_FATAL_FAILURE(Stage(in));
  Process p;
  ASSERT_TRUE(p.Start(in.exe, "/e", in.folder.Path()));
  HWND dialog = WaitForSettingsDialog(p.Pid());
  ASSERT_NE(nullptr, dialog);
  CheckShellTexts(dialog);
  EXPECT_EQ(nullptr, ::GetWindow(dialog, GW_OWNER));
  EXPECT_NE(0, ::GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  const RECT d = ScreenRect(dialog);
  EXPECT_LE(d.right - d.left, 1024);
  EXPECT_LE(d.bottom - d.top, 768);
  ASSERT_NO_FATAL_FAILURE(CheckEveryTab(dialog, p.Pid(), "settings-alone"));
  EXPECT_EQ(1, VisibleWindows(p.Pid())) << "a window besides the dialog shows";
  // The About item as the system menu sends it opens the About box over
  // the dialog; once it is closed the dialog stays.
  ::PostMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
  const HWND about = WaitForWindowWith(p.Pid(), nullptr, IDC_ABOUT_LINK, 5000);
  ASSERT_NE(nullptr, about) << "no About box from the system menu's item";
  EXPECT_EQ(dialog, ::GetWindow(about, GW_OWNER));
  ::PostMessageA(about, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 250 && ::IsWindow(about); ++i) ::Sleep(20);
  EXPECT_FALSE(::IsWindow(about));
  EXPECT_TRUE(::IsWindow(dialog));
  ASSERT_TRUE(ClickAt(CentreOf(ScreenRect(::GetDlgItem(dialog, IDCANCEL)))));
  EXPECT_EQ(0, p.Wait(kWindowTimeout)) << "the program did not end with its dialog";
}

TEST(SettingsDialogAlone, WithoutAUsableDeviceItSaysWhyAndCloses) {
  // Wine's "no3d" renderer for the launcher's program name only, put back
  // when the test ends.
  test_support::ScopedRegString no3d("Software\\Wine\\AppDefaults\\QuorlLauncher.exe\\Direct3D", "renderer", "no3d");
  ASSERT_TRUE(no3d.Ok());
  Install in;
  ASSERT_NO_FATAL_FAILURE(Stage(in));
  Process p;
  ASSERT_TRUE(p.Start(in.exe, "/e", in.folder.Path()));
  HWND box = WaitForMessageBox(p.Pid());
  ASSERT_NE(nullptr, box) << "no message box appeared";
  // Which failure it is, is the runtime's: with "no3d" a Wine may give no
  // usable device type (0x82000003) or no Direct3D object at all
  // (0x82000001); either is said and the dialog closes.
  const std::string text = AnsiText(::GetDlgItem(box, 0xFFFF));
  const std::string noDevice = "DirectX의 초기화를 할 수 없습니다. DirectX를 사용할 디바이스를 찾지 못했습니다.";
  EXPECT_TRUE(text == Cp949((noDevice + "(-2113929213)").c_str()) ||
              text == Cp949((noDevice + "(-2113929215)").c_str()))
      << text;
  BoxIcon shown = BoxIcon::kOther;
  WaitUntil([&] { return (shown = MessageBoxIcon(box)) == BoxIcon::kWarning; }, 3000);
  EXPECT_STREQ(BoxIconName(BoxIcon::kWarning), BoxIconName(shown));
  PressButton(box, IDOK);
  EXPECT_EQ(0, p.Wait(kWindowTimeout)) << "the dialog stayed without a device";
}

// The launcher screen's Settings button under the pointer, pressed and
// released: the dialog opens modal over the launcher, owned by it and
// without a taskbar button of its own; Cancel brings the launcher back.
TEST(SettingsFromTheLauncher, ClickingSettingsOpensTheDialogOwnedByTheLauncher) {
  Install in;
  ASSERT_NO_FATAL_FAILURE(Stage(in));
  Process p;
  ASSERT_TRUE(p.Start(in.exe, "", in.folder.Path()));
  HWND frame = WaitForWindow(p.Pid(), kMainFrameClassName, kWindowTimeout);
  ASSERT_NE(nullptr, frame);
  HWND view = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (view = ::GetDlgItem(frame, AFX_IDW_PANE_FIRST)) != nullptr; }, kWindowTimeout));

  // The Settings button's place on the launcher screen, its size that of
  // its first skin entry.
  constexpr int kSettingsX = 179, kSettingsY = 268, kSettingsEntry = 14;
  CGraphicData skin(20, 1);
  ASSERT_TRUE(skin.Open((kBinDir + kSkinFileName).c_str()));
  int32_t bw = 0, bh = 0;
  ASSERT_TRUE(skin.GetImageSize(kSettingsEntry, &bw, &bh));
  POINT at = {kSettingsX + bw / 2, kSettingsY + bh / 2};
  POINT away = {at.x, kSettingsY - 20};
  ::ClientToScreen(view, &at);
  ::ClientToScreen(view, &away);
  // The frame may still be moving into its place.
  ASSERT_TRUE(WaitUntil([&] { return ::WindowFromPoint(at) == view; }, kWindowTimeout));
  ASSERT_TRUE(MoveMouseTo(away.x, away.y));
  ASSERT_TRUE(WaitUntil([&] { return ShowsSkinBackground(view, skin); }, kWindowTimeout));
  ASSERT_TRUE(ClickAt(at));

  HWND dialog = WaitForSettingsDialog(p.Pid());
  ASSERT_NE(nullptr, dialog) << "clicking Settings opened no dialog";
  CheckShellTexts(dialog);
  EXPECT_EQ(frame, ::GetWindow(dialog, GW_OWNER));
  EXPECT_EQ(0, ::GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_FALSE(::IsWindowEnabled(frame)) << "the dialog is not modal";
  ASSERT_NO_FATAL_FAILURE(CheckEveryTab(dialog, p.Pid(), "settings-from-launcher"));
  ASSERT_TRUE(ClickAt(CentreOf(ScreenRect(::GetDlgItem(dialog, IDCANCEL)))));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, kWindowTimeout));
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(frame) != FALSE; }, kWindowTimeout));
  EXPECT_TRUE(p.Running());
  // The launcher screen shows its skin again, the device made meanwhile.
  EXPECT_TRUE(WaitUntil([&] { return ShowsSkinBackground(view, skin); }, kWindowTimeout))
      << "the launcher screen is blank after the settings dialog";
  ::PostMessageA(frame, WM_COMMAND, ID_LAUNCHER_EXIT, 0);
  EXPECT_EQ(0, p.Wait(kWindowTimeout));
}

}  // namespace
