// The settings dialog's shell: the two ways in, the device step, the tabs
// and their layout, the descriptions, and the sea dialog.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "d3d/launcher_device.h"
#include "res/resource.h"
#include "settings/env_settings_win.h"
#include "settings/graphic_setting.h"
#include "tests/settings/env_dialog_fixture.h"

using update_test::Widen;

namespace {

constexpr int kGlobal = 0, kGraphics = 1, kDetail = 2, kSea = 3, kNetwork = 4;

RECT ScreenRect(HWND w) {
  RECT r = {0, 0, 0, 0};
  ::GetWindowRect(w, &r);
  return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::wstring MenuText(HMENU menu, UINT id) {
  wchar_t buf[128] = {};
  if (::GetMenuStringW(menu, id, buf, 128, MF_BYCOMMAND) <= 0) return L"<none>";
  return buf;
}

std::wstring Hint(CEnvDialogHost& host, int item) {
  CString text;
  GetGraphicHintText(host.GetSettingsDevice(), text, item);
  return FromAnsi(text);
}

std::wstring StringText(UINT id) {
  CString s;
  s.LoadString(id);
  return FromAnsi(s);
}

TEST_F(EnvDialogTest, StandaloneAgainstLauncherOpened) {
  for (int standalone : {TRUE, FALSE}) {
    SCOPED_TRACE(standalone ? "standalone" : "from the launcher");
    ASSERT_NO_FATAL_FAILURE(Open(standalone));
    EXPECT_EQ(Widen("Quorl 환경설정"), update_test::WindowTextW(Dialog()));
    HMENU sys = ::GetSystemMenu(Dialog(), FALSE);
    ASSERT_NE(nullptr, sys);
    EXPECT_EQ(standalone ? Widen("버전정보(&A)") : L"<none>", MenuText(sys, IDM_ABOUTBOX));
    const LONG_PTR ex = ::GetWindowLongPtrA(Dialog(), GWL_EXSTYLE);
    EXPECT_EQ(standalone != 0, (ex & WS_EX_APPWINDOW) != 0);
    EXPECT_EQ(standalone != 0, ::SendMessageA(Dialog(), WM_GETICON, ICON_BIG, 0) != 0);
    EXPECT_EQ(standalone != 0, ::SendMessageA(Dialog(), WM_GETICON, ICON_SMALL, 0) != 0);
    if (standalone) {
      EXPECT_EQ(::SendMessageA(Dialog(), WM_GETICON, ICON_BIG, 0), ::SendMessageA(Dialog(), WM_QUERYDRAGICON, 0, 0));
    }
    // The About item runs the box only in the settings-only mode (closed
    // here at once; about_box_win_test looks at it), and the dialog stays
    // as it is.
    int boxes = 0;
    {
      update_test::DialogWatcher watcher([&](const update_test::SeenDialog& seen) {
        if (::GetDlgItem(seen.hwnd, IDC_ABOUT_LINK) == nullptr) return;
        ++boxes;
        update_test::Press(seen.hwnd, IDOK);
      });
      ::SendMessageA(Dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
      if (!standalone) update_test::PumpUntil([] { return false; }, 500);
    }
    EXPECT_EQ(standalone ? 1 : 0, boxes);
    EXPECT_TRUE(::IsWindow(Dialog()));
    EXPECT_EQ(1, dlg->loads);
    Close();
  }
}

TEST_F(EnvDialogTest, FromTheLauncherItIsModalAndOwnedByTheMainWindow) {
  HWND owner = nullptr;
  LONG_PTR ex = 0;
  update_test::DialogWatcher watcher([&](const update_test::SeenDialog& seen) {
    if (::GetDlgItem(seen.hwnd, IDC_ENV_TAB) == nullptr) return;
    owner = ::GetWindow(seen.hwnd, GW_OWNER);
    ex = ::GetWindowLongPtrA(seen.hwnd, GWL_EXSTYLE);
    update_test::Press(seen.hwnd, IDCANCEL);
  });
  TestEnvDialog modal(*host, FALSE, nullptr);
  EXPECT_EQ(IDCANCEL, modal.DoModal());
  EXPECT_EQ(window, owner);
  EXPECT_EQ(0, ex & WS_EX_APPWINDOW);
}

TEST_F(EnvDialogTest, DeviceFailureShowsTheMessageAndCancels) {
  host->noDirect3D = true;
  MessageBoxAnswers answers;
  TestEnvDialog modal(*host, TRUE, nullptr);
  EXPECT_EQ(IDCANCEL, modal.DoModal());
  EXPECT_EQ((std::vector<std::wstring>{
                Widen("DirectX의 초기화를 할 수 없습니다. DirectX를 사용할 디바이스를 찾지 못했습니다.(-2113929215)")}),
            answers.Texts());
  EXPECT_EQ(0, modal.loads);  // nothing loaded, no page filled
  EXPECT_EQ("", SnapshotProfile());
}

// What the platform's Direct3D offers, as the mode combo must show it: the
// adapters' modes, device types and format checks are asked straight of the
// runtime (32-bit and 64-bit Wine answer differently: one has no R5G6B5
// mode at all), and the launcher's rule is applied over that answer.
struct OfferedMode {
  bool windowed;
  UINT width, height;
  D3DFORMAT format;  // full-screen entries only
};

bool SameOffer(const OfferedMode& a, const OfferedMode& b) {
  return a.windowed == b.windowed && a.width == b.width && a.height == b.height && (a.windowed || a.format == b.format);
}

int BitsOf(D3DFORMAT format) {
  return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_A2R10G10B10 ? 32 : 16;
}

std::vector<OfferedMode> ModesThePlatformOffers(IDirect3D9* d3d) {
  CAppDX3DDeviceRequirement rule;
  rule.SetModeLimits();
  const D3DFORMAT* backBuffers = nullptr;
  const int backBufferCount = rule.GetBackBufferFormats(&backBuffers);
  const D3DFORMAT* depths = nullptr;
  const int depthCount = rule.GetDepthStencilFormats(&depths);
  const bool skip16 = IsWindows8Workstation() != FALSE;
  std::vector<OfferedMode> offers;
  auto offer = [&offers](const OfferedMode& m) {
    for (const OfferedMode& o : offers) {
      if (SameOffer(o, m)) return;
    }
    offers.push_back(m);
  };
  for (UINT adapter = 0; adapter < d3d->GetAdapterCount(); ++adapter) {
    D3DDISPLAYMODE desktop = {};
    d3d->GetAdapterDisplayMode(adapter, &desktop);
    for (D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
      D3DCAPS9 caps = {};
      if (FAILED(d3d->GetDeviceCaps(adapter, type, &caps)) || (caps.PrimitiveMiscCaps & D3DPMISCCAPS_NULLREFERENCE))
        continue;
      for (int f = 0; f < backBufferCount; ++f) {
        const UINT modeCount = d3d->GetAdapterModeCount(adapter, backBuffers[f]);
        for (UINT i = 0; i < modeCount; ++i) {
          D3DDISPLAYMODE mode = {};
          if (FAILED(d3d->EnumAdapterModes(adapter, backBuffers[f], i, &mode))) continue;
          // A 10-bit format is never offered, nor (on Windows 8) 16 bits.
          if (mode.Format == D3DFMT_A2R10G10B10 || (skip16 && BitsOf(mode.Format) == 16)) continue;
          if (mode.Width < rule.m_nMinWidth || mode.Width > rule.m_nPreferredWidth || mode.Height < rule.m_nMinHeight ||
              mode.Height > rule.m_nPreferredHeight)
            continue;
          if (FAILED(d3d->CheckDeviceType(adapter, type, mode.Format, mode.Format, FALSE))) continue;
          bool depth = false;
          for (int d = 0; d < depthCount && !depth; ++d) {
            depth = SUCCEEDED(d3d->CheckDeviceFormat(adapter, type, mode.Format, D3DUSAGE_DEPTHSTENCIL,
                                                     D3DRTYPE_SURFACE, depths[d])) &&
                    SUCCEEDED(d3d->CheckDepthStencilMatch(adapter, type, mode.Format, mode.Format, depths[d]));
          }
          if (!depth) continue;
          // A window only in the desktop's format, and only inside the work area.
          const bool window = mode.Format == desktop.Format &&
                              SUCCEEDED(d3d->CheckDeviceType(adapter, type, mode.Format, mode.Format, TRUE)) &&
                              mode.Width <= rule.m_nWindowLimitWidth && mode.Height <= rule.m_nWindowLimitHeight;
          if (window) offer({true, mode.Width, mode.Height, mode.Format});
          offer({false, mode.Width, mode.Height, mode.Format});
        }
      }
    }
  }
  // Smaller sizes first; at one size full screen before the window, 32 bits
  // (the lower format value) before 16.
  std::stable_sort(offers.begin(), offers.end(), [](const OfferedMode& a, const OfferedMode& b) {
    const uint32_t ka = a.width * 65536u + a.height, kb = b.width * 65536u + b.height;
    if (ka != kb) return ka < kb;
    if (a.windowed != b.windowed) return !a.windowed;
    return a.format < b.format;
  });
  return offers;
}

std::wstring OfferText(const OfferedMode& m) {
  char text[64];
  if (m.windowed) {
    std::snprintf(text, sizeof text, "%4ux%4u 윈도우 표시", m.width, m.height);
  } else {
    std::snprintf(text, sizeof text, "%4ux%4u %2dbit 전체화면 표시", m.width, m.height, BitsOf(m.format));
  }
  return Widen(text);
}

// Wine's Direct3D over Mesa on the test display: the mode combo offers the
// screen's size once per depth the platform offers there, 32 bits before
// 16, then in a window, and nothing twice.
TEST_F(EnvDialogTest, RealDirect3DOffersTheScreenSizePerDepthThenInAWindow) {
  host->device.real = true;
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_EQ(L"", FromAnsi(dlg->GetDeviceError()));
  IDirect3D9* d3d = host->device.GetDirect3D();
  ASSERT_NE(nullptr, d3d);
  const std::vector<OfferedMode> offers = ModesThePlatformOffers(d3d);
  std::vector<std::wstring> expected;
  for (const OfferedMode& m : offers) expected.push_back(OfferText(m));

  std::vector<std::wstring> shown;
  std::vector<OfferedMode> entries;
  HWND combo = Item(kGlobal, IDC_ENV_DISPLAY_MODE);
  for (int i = 0; i < Count(kGlobal, IDC_ENV_DISPLAY_MODE); ++i) {
    shown.push_back(ItemText(kGlobal, IDC_ENV_DISPLAY_MODE, i));
    const auto* info = reinterpret_cast<const CApp3DDeviceInfo*>(::SendMessageA(combo, CB_GETITEMDATA, i, 0));
    ASSERT_NE(nullptr, info);
    entries.push_back({info->m_bWindowed != FALSE, info->m_record.width, info->m_record.height, info->m_record.format});
  }
  EXPECT_EQ(expected, shown);
  for (size_t i = 0; i < entries.size(); ++i) {
    for (size_t j = i + 1; j < entries.size(); ++j)
      EXPECT_FALSE(SameOffer(entries[i], entries[j])) << "offered twice: " << i << " and " << j;
  }

  // The screen's own size (when inside the dialog's limits) is among them:
  // full screen first, the deeper before the shallower, its window last.
  const UINT w = static_cast<UINT>(::GetSystemMetrics(SM_CXSCREEN)),
             h = static_cast<UINT>(::GetSystemMetrics(SM_CYSCREEN));
  std::vector<OfferedMode> atScreen;
  for (const OfferedMode& m : entries) {
    if (m.width == w && m.height == h) atScreen.push_back(m);
  }
  if (w >= 800 && w <= 1920 && h >= 600 && h <= 1920) {
    EXPECT_FALSE(atScreen.empty()) << "the screen's size " << w << "x" << h << " is not offered";
  }
  for (size_t i = 0; i + 1 < atScreen.size(); ++i) {
    EXPECT_FALSE(atScreen[i].windowed);
    if (!atScreen[i + 1].windowed) {
      EXPECT_GE(BitsOf(atScreen[i].format), BitsOf(atScreen[i + 1].format));
    }
  }
  EXPECT_EQ(!shown.empty(), Enabled(kGlobal, IDC_ENV_DISPLAY_MODE));
}

// A focus notice that comes while no page is current (the tab control's
// items cannot be read yet) shows no description anywhere, and the dialog
// goes on to open normally.
class EarlyNoticeDialog : public TestEnvDialog {
 public:
  using TestEnvDialog::TestEnvDialog;
  std::vector<std::wstring> descriptionsAtCreate;

 protected:
  int OnCreate(LPCREATESTRUCTA cs) {
    const int result = TestEnvDialog::OnCreate(cs);
    if (result == -1) return result;
    HWND tab = ::GetDlgItem(m_hWnd, IDC_ENV_TAB);
    NMHDR hdr = {tab, IDC_ENV_TAB, static_cast<UINT>(NM_SETFOCUS)};
    ::SendMessageA(m_hWnd, WM_NOTIFY, IDC_ENV_TAB, reinterpret_cast<LPARAM>(&hdr));
    hdr.code = static_cast<UINT>(TCN_SELCHANGE);
    ::SendMessageA(m_hWnd, WM_NOTIFY, IDC_ENV_TAB, reinterpret_cast<LPARAM>(&hdr));
    for (int i = 0; i < 5; ++i) {
      CEnvBasePage* page = GetTabPage(i);
      descriptionsAtCreate.push_back(page ? L"<a page>" : L"");
    }
    // Every page exists; none shows a text yet.
    for (HWND c = ::GetWindow(m_hWnd, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
      HWND line = ::GetDlgItem(c, IDC_ENV_DESCRIPTION);
      if (line != nullptr) descriptionsAtCreate.push_back(update_test::WindowTextW(line));
    }
    EXPECT_EQ(nullptr, GetCurrentPage());
    return result;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(EarlyNoticeDialog, TestEnvDialog)
ON_WM_CREATE()
END_MESSAGE_MAP()

TEST_F(EnvDialogTest, NoticesBeforeAnyPageIsCurrentShowNothing) {
  EarlyNoticeDialog early(*host, FALSE, nullptr);
  ASSERT_TRUE(early.Create(IDD_ENV_DIALOG, nullptr));
  test_support::PumpPending();
  // Five unreadable tab items, then five description lines, all empty.
  EXPECT_EQ(std::vector<std::wstring>(10, L""), early.descriptionsAtCreate);
  ASSERT_NE(nullptr, early.GetCurrentPage());
  EXPECT_EQ(Widen("해상도와 미디어 설정등, 게임의 전반적인 것에 대해 설정합니다."),
            update_test::WindowTextW(::GetDlgItem(early.GetCurrentPage()->GetSafeHwnd(), IDC_ENV_DESCRIPTION)));
}

// The dialog template as the system lays it out, with no code of ours.
INT_PTR CALLBACK BareDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

TEST_F(EnvDialogTest, TabsInTheirOrderAndTheLayoutAroundTheLargestPage) {
  ASSERT_NO_FATAL_FAILURE(Open());
  HWND tab = dlg->GetTabCtrl().GetSafeHwnd();
  const char* labels[] = {"일반", "그래픽스", "상세설정", "바다", "네트워크"};
  const UINT templates[] = {IDD_ENV_GLOBAL_PAGE, IDD_ENV_GRAPHICS_PAGE, IDD_ENV_DETAIL_PAGE, IDD_ENV_SEA_PAGE,
                            IDD_ENV_NETWORK_PAGE};
  ASSERT_EQ(5, TabCtrl_GetItemCount(tab));
  RECT display = ScreenRect(tab);
  TabCtrl_AdjustRect(tab, FALSE, &display);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(labels[i]);
    wchar_t text[64] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = text;
    item.cchTextMax = 64;
    ASSERT_TRUE(::SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(Widen(labels[i]), std::wstring(text));
    CEnvBasePage* page = reinterpret_cast<CEnvBasePage*>(item.lParam);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(templates[i], page->GetTemplateID());
    HWND w = page->GetSafeHwnd();
    EXPECT_EQ(0, ::GetWindowLongA(w, GWL_STYLE) & WS_CAPTION);
    EXPECT_TRUE(Inside(ScreenRect(w), display));
    // Every control inside its page.
    for (HWND c = ::GetWindow(w, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
      SCOPED_TRACE(::GetDlgCtrlID(c));
      EXPECT_TRUE(Inside(ScreenRect(c), ScreenRect(w)));
    }
    // The pages follow the tab control in the z-order.
    HWND z = tab;
    bool behind = false;
    while ((z = ::GetWindow(z, GW_HWNDNEXT)) != nullptr) behind = behind || z == w;
    EXPECT_TRUE(behind);
  }
  // The buttons below and right of the tab control's left edge, inside a
  // dialog that fits 1024 x 768.
  const RECT tabRect = ScreenRect(tab);
  for (int id : {IDC_ENV_RESET, IDOK, IDCANCEL}) {
    const RECT b = ScreenRect(::GetDlgItem(Dialog(), id));
    EXPECT_GE(b.top, tabRect.bottom);
    EXPECT_GE(b.left, tabRect.left);
    EXPECT_LE(b.right, tabRect.right);
  }
  // The tab control grew to the largest page; the buttons and the client
  // area's right and bottom edges moved by as much, so that each keeps its
  // distance from the tab control's bottom-right corner as the template
  // (laid out here by the system alone) has it.
  HWND bare =
      ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ENV_DIALOG), nullptr, &BareDialogProc, 0);
  ASSERT_NE(nullptr, bare);
  const RECT bareTab = ScreenRect(::GetDlgItem(bare, IDC_ENV_TAB));
  EXPECT_GT(tabRect.right - tabRect.left, bareTab.right - bareTab.left);
  EXPECT_GT(tabRect.bottom - tabRect.top, bareTab.bottom - bareTab.top);
  for (int id : {IDC_ENV_RESET, IDOK, IDCANCEL}) {
    SCOPED_TRACE(id);
    const RECT before = ScreenRect(::GetDlgItem(bare, id));
    const RECT after = ScreenRect(::GetDlgItem(Dialog(), id));
    EXPECT_EQ(bareTab.right - before.left, tabRect.right - after.left);
    EXPECT_EQ(bareTab.bottom - before.top, tabRect.bottom - after.top);
    EXPECT_EQ(before.right - before.left, after.right - after.left);
  }
  RECT bareClient = {0, 0, 0, 0};
  ::GetClientRect(bare, &bareClient);
  ::MapWindowPoints(bare, nullptr, reinterpret_cast<POINT*>(&bareClient), 2);
  ::DestroyWindow(bare);
  RECT client = {0, 0, 0, 0};
  ::GetClientRect(Dialog(), &client);
  ::MapWindowPoints(Dialog(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  EXPECT_TRUE(Inside(ScreenRect(::GetDlgItem(Dialog(), IDCANCEL)), client));
  EXPECT_EQ(bareClient.right - bareTab.right, client.right - tabRect.right);
  EXPECT_EQ(bareClient.bottom - bareTab.bottom, client.bottom - tabRect.bottom);
  const RECT d = ScreenRect(Dialog());
  EXPECT_LE(d.right - d.left, 1024);
  EXPECT_LE(d.bottom - d.top, 768);
}

// The pages that this thread's windows were told to hide (WM_SHOWWINDOW
// FALSE), while a test listens.
std::vector<HWND>* g_hiddenPages = nullptr;

LRESULT CALLBACK RecordHiding(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_hiddenPages != nullptr) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message == WM_SHOWWINDOW && call->wParam == FALSE) g_hiddenPages->push_back(call->hwnd);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(EnvDialogTest, SwitchingTabsShowsOnePageAndItsDescription) {
  ASSERT_NO_FATAL_FAILURE(Open());
  const UINT descriptions[] = {IDS_DESC_TAB_GLOBAL, IDS_DESC_TAB_GRAPHICS, IDS_DESC_TAB_DETAIL, IDS_DESC_TAB_SEA,
                               IDS_DESC_TAB_NETWORK};
  EXPECT_EQ(Widen("해상도와 미디어 설정등, 게임의 전반적인 것에 대해 설정합니다."), Description(kGlobal));
  std::vector<HWND> hidden;
  HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &RecordHiding, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(nullptr, hook);
  int previous = kGlobal;
  for (int pick : {kDetail, kDetail, kNetwork, kSea, kGraphics}) {
    SCOPED_TRACE(pick);
    hidden.clear();
    g_hiddenPages = &hidden;
    PickTab(pick);
    g_hiddenPages = nullptr;
    // Only the page that was shown is hidden; the tab that is already
    // current is shown again without hiding it first.
    EXPECT_EQ(pick == previous ? std::vector<HWND>{} : std::vector<HWND>{Page(previous)}, hidden);
    previous = pick;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(i == pick, ::IsWindowVisible(Page(i)) != FALSE) << i;
    EXPECT_EQ(dlg->GetTabPage(pick), dlg->GetCurrentPage());
    EXPECT_EQ(StringText(descriptions[pick]), Description(pick));
  }
  ::UnhookWindowsHookEx(hook);
  EXPECT_EQ(Widen("패치 다운로드에 대해 설정합니다."), StringText(IDS_DESC_TAB_NETWORK));
}

TEST_F(EnvDialogTest, FocusShowsEachControlsDescription) {
  ASSERT_NO_FATAL_FAILURE(Open());
  ::SetForegroundWindow(Dialog());
  HWND tab = dlg->GetTabCtrl().GetSafeHwnd();
  const struct {
    const char* name;
    int tab, id;
    std::wstring text;
  } rows[] = {
      {"global combo", kGlobal, IDC_ENV_DISPLAY_MODE, Widen("화면해상도, 화면표시방법 및 표시색상수를 설정합니다.")},
      {"global check", kGlobal, IDC_ENV_BGM, Widen("BGM을 재생할 것인가의 여부를 설정합니다.")},
      {"graphics combo", kGraphics, IDC_ENV_TEX2D, Hint(*host, 0)},
      {"graphics check", kGraphics, IDC_ENV_MIPMAP, Hint(*host, 2)},
      {"graphics 1034", kGraphics, IDC_ENV_NO_DXT, Hint(*host, 3)},
      {"detail combo", kDetail, IDC_ENV_LAND_R, Hint(*host, 12)},
      {"sea button", kSea, IDC_ENV_SEA_CUSTOM, Hint(*host, 13)},
      {"sea 1063 is maxlod", kSea, IDC_ENV_MAXLOD, Hint(*host, 28)},
      {"network edit", kNetwork, IDC_NET_PROXY_PORT,
       Widen("패치의 다운로드시에 프록시를 사용할 것인가의 여부를 설정합니다.")},
      {"network check", kNetwork, IDC_NET_OWN_FOLDER,
       Widen("패치 파일을 다운로드할 때의 일시적으로 저장할 폴더를 설정합니다.")},
      {"network button", kNetwork, IDC_NET_BROWSE,
       Widen("패치 파일을 다운로드할 때의 일시적으로 저장할 폴더를 설정합니다.")},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    TabCtrl_SetCurSel(tab, r.tab);
    NMHDR hdr = {tab, IDC_ENV_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageA(Dialog(), WM_NOTIFY, IDC_ENV_TAB, reinterpret_cast<LPARAM>(&hdr));
    ::EnableWindow(Item(r.tab, r.id), TRUE);
    ::SetFocus(Item(r.tab, r.id));
    test_support::PumpPending();
    EXPECT_FALSE(r.text.empty());
    EXPECT_EQ(r.text, Description(r.tab));
  }
  // The tab control's own focus gives the tab's description again.
  ::SetFocus(tab);
  test_support::PumpPending();
  EXPECT_EQ(StringText(IDS_DESC_TAB_NETWORK), Description(kNetwork));
}

// The sea dialog over the sea page: its six combos both ways, OK and Cancel.
struct SeaRow {
  const char* name;
  bool pixelShader20;
  int32_t stored[6];
  int shown[6];   // selections when it opens
  int choose[6];  // -2: leave
  bool ok;
  int32_t after[6];  // the dialog's values afterwards
};

TEST_F(EnvDialogTest, SeaDialogCombosOkAndCancel) {
  const SeaRow rows[] = {
      {"every value shown and stored back",
       true,
       {2, 2, 3, 1, 0, 4},
       {2, 1, 3, 1, 0, 4},
       {1, 0, 2, 3, 1, 1},
       true,
       {1, 0, 2, 3, 1, 1}},
      {"values without an item show the first",
       true,
       {5, 1, 4, -1, 9, 5},
       {0, 0, 0, 0, 0, 0},
       {-2, 1, -2, -2, -2, 2},
       true,
       {0, 2, 0, 0, 0, 2}},
      {"cancel keeps the values",
       true,
       {1, 2, 1, 1, 1, 1},
       {1, 1, 1, 1, 1, 1},
       {0, 0, 0, 0, 0, 0},
       false,
       {1, 2, 1, 1, 1, 1}},
      {"no pixel shader 2.0: best is gone, a stored best shows nothing and stores 0",
       false,
       {2, 0, 0, 0, 0, 0},
       {-1, 0, 0, 0, 0, 0},
       {-2, -2, -2, -2, -2, -2},
       true,
       {0, 0, 0, 0, 0, 0}},
  };
  const char* keys[] = {"ocean_type", "ocean_shoal", "ocean_wave", "ocean_reflect", "ocean_refract", "ocean_sun"};
  for (const SeaRow& r : rows) {
    SCOPED_TRACE(r.name);
    DeleteTestProfile();
    host = std::make_unique<TestEnvHost>();
    host->fake->m_adapters = {EnvTestAdapter(r.pixelShader20)};
    WriteRegDword("render_d", "ocean_set", 3);
    for (int i = 0; i < 6; ++i) WriteRegDword("render_d", keys[i], static_cast<DWORD>(r.stored[i]));
    ASSERT_NO_FATAL_FAILURE(Open());
    int shown[6] = {};
    int typeItems = 0;
    update_test::DialogWatcher watcher([&](const update_test::SeenDialog& seen) {
      if (::GetDlgItem(seen.hwnd, IDC_SEA_TYPE) == nullptr) return;
      typeItems = static_cast<int>(::SendDlgItemMessageA(seen.hwnd, IDC_SEA_TYPE, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < 6; ++i) {
        shown[i] = static_cast<int>(::SendDlgItemMessageA(seen.hwnd, IDC_SEA_TYPE + i, CB_GETCURSEL, 0, 0));
        if (r.choose[i] != -2) ::SendDlgItemMessageA(seen.hwnd, IDC_SEA_TYPE + i, CB_SETCURSEL, r.choose[i], 0);
      }
      update_test::Press(seen.hwnd, r.ok ? IDOK : IDCANCEL);
    });
    ::SendMessageA(Page(kSea), WM_COMMAND, MAKEWPARAM(IDC_ENV_SEA_CUSTOM, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Item(kSea, IDC_ENV_SEA_CUSTOM)));
    EXPECT_EQ(r.pixelShader20 ? 3 : 2, typeItems);
    CSeaParamDialog& sea = static_cast<CEnvGraphicsPage2*>(dlg->GetTabPage(kSea))->GetSeaDialog();
    for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE(keys[i]);
      EXPECT_EQ(r.shown[i], shown[i]);
      EXPECT_EQ(r.after[i], sea.m_values[i]);
      // Only the sea page's Apply hands them on: still as stored.
      EXPECT_EQ(static_cast<DWORD>(r.stored[i]), ReadRegValue("render_d", keys[i]).AsDword());
    }
    Close();
  }
}

TEST_F(EnvDialogTest, SeaValuesReachTheRegistryOnlyThroughOk) {
  WriteRegDword("render_d", "ocean_set", 1);
  for (bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "OK" : "settings dialog cancelled");
    ASSERT_NO_FATAL_FAILURE(Open());
    Choose(kSea, IDC_ENV_SEA_PRESET, 3);
    ASSERT_TRUE(Enabled(kSea, IDC_ENV_SEA_CUSTOM));
    update_test::DialogWatcher watcher([](const update_test::SeenDialog& seen) {
      if (::GetDlgItem(seen.hwnd, IDC_SEA_TYPE) == nullptr) return;
      ::SendDlgItemMessageA(seen.hwnd, IDC_SEA_WAVE, CB_SETCURSEL, 3, 0);
      update_test::Press(seen.hwnd, IDOK);
    });
    ::SendMessageA(Page(kSea), WM_COMMAND, MAKEWPARAM(IDC_ENV_SEA_CUSTOM, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Item(kSea, IDC_ENV_SEA_CUSTOM)));
    if (ok) {
      dlg->OnOK();
      EXPECT_EQ(3u, ReadRegValue("render_d", "ocean_set").AsDword());
      EXPECT_EQ(3u, ReadRegValue("render_d", "ocean_wave").AsDword());
    } else {
      dlg->OnCancel();
      EXPECT_EQ(1u, ReadRegValue("render_d", "ocean_set").AsDword());
      EXPECT_FALSE(ReadRegValue("render_d", "ocean_wave").present);
    }
    Close();
  }
}

}  // namespace

namespace {

// The keyboard as a user meets it in the modal dialog: keys go to the
// focused control through the dialog's message loop.
HWND FocusOf(DWORD thread) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void Key(DWORD thread, UINT message, WPARAM key) {
  HWND focus = FocusOf(thread);
  ::PostMessageA(focus, message, key, message == WM_SYSCHAR ? (1 << 29) : 0);
  ::Sleep(150);
}

TEST_F(EnvDialogTest, KeyboardTabMnemonicEnterAndEsc) {
  const DWORD thread = ::GetCurrentThreadId();
  for (bool enter : {true, false}) {
    SCOPED_TRACE(enter ? "Enter" : "Esc");
    DeleteTestProfile();
    std::vector<int> focused;
    int ownFolder = -1;
    update_test::DialogWatcher watcher([&](const update_test::SeenDialog& seen) {
      HWND tab = ::GetDlgItem(seen.hwnd, IDC_ENV_TAB);
      if (tab == nullptr) return;
      // Focus on the tabs, and the network tab chosen there.
      ::PostMessageA(seen.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tab), TRUE);
      ::Sleep(150);
      ::SendMessageA(tab, TCM_SETCURFOCUS, kNetwork, 0);
      ::Sleep(150);
      // Tab from the tabs walks into the page.
      for (int i = 0; i < 3; ++i) {
        Key(thread, WM_KEYDOWN, VK_TAB);
        focused.push_back(::GetDlgCtrlID(FocusOf(thread)));
      }
      // Alt+D: the folder check box's mnemonic toggles it.
      Key(thread, WM_SYSCHAR, 'd');
      ownFolder =
          static_cast<int>(::SendDlgItemMessageA(::GetParent(FocusOf(thread)), IDC_NET_OWN_FOLDER, BM_GETCHECK, 0, 0));
      Key(thread, WM_KEYDOWN, enter ? VK_RETURN : VK_ESCAPE);
    });
    TestEnvDialog modal(*host, FALSE, nullptr);
    const INT_PTR result = modal.DoModal();
    EXPECT_EQ(enter ? IDOK : IDCANCEL, result);
    ASSERT_EQ(3u, focused.size());
    EXPECT_EQ(IDC_NET_OWN_FOLDER, focused[0]);
    EXPECT_EQ(BST_CHECKED, ownFolder);
    EXPECT_EQ(enter, ReadRegValue("Login", "UseProxy").present);
  }
}

}  // namespace
