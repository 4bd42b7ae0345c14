#include "tests/settings/env_dialog_fixture.h"

#include "res/resource.h"
#include "settings/graphic_setting.h"
#include "settings/sound_setting.h"

TestEnvHost::TestEnvHost() : fake(new FakeD3D9(&log)), settingsDevice(device) {
  fake->m_adapters = {EnvTestAdapter()};
  device.fake = fake;
}

TestEnvHost::~TestEnvHost() {
  device.Destroy();
  fake->Release();
}

BOOL TestEnvHost::InitDevice(CString& errorText) {
  device.fake = noDirect3D ? nullptr : fake;
  // As the application does: the present parameters follow the effective
  // graphics settings.
  requirement.m_presentSettings = GetGraphicSetting().GetPresentSettings();
  DWORD error = 0;
  if (!device.Initialize(&requirement, &error)) {
    FormatDeviceCheckError(error, errorText);
    return FALSE;
  }
  return TRUE;
}

HKEY TestEnvHost::OpenAppRegistryKey() { return AfxGetApp()->GetAppRegistryKey(); }

FakeAdapter EnvTestAdapter(bool pixelShader20) {
  FakeAdapter a;
  a.modes = {Mode(800, 600, D3DFMT_X8R8G8B8), Mode(800, 600, D3DFMT_R5G6B5), Mode(1024, 768, D3DFMT_X8R8G8B8),
             Mode(1024, 768, D3DFMT_R5G6B5), Mode(1280, 1024, D3DFMT_X8R8G8B8)};
  a.depthFormats = {D3DFMT_D24S8};
  a.textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_DXT3};
  if (!pixelShader20) a.halCaps.PixelShaderVersion = D3DPS_VERSION(1, 4);
  return a;
}

void EnvDialogTest::SetUp() {
  SettingsWinTest::SetUp();
  host = std::make_unique<TestEnvHost>();
}

void EnvDialogTest::TearDown() {
  Close();
  host.reset();
  SettingsWinTest::TearDown();
}

void EnvDialogTest::Open(int standalone) {
  dlg = std::make_unique<TestEnvDialog>(*host, standalone, nullptr);
  ASSERT_TRUE(dlg->Create(IDD_ENV_DIALOG, nullptr));
  dlg->ShowWindow(SW_SHOW);
  test_support::PumpPending();
}

void EnvDialogTest::Close() { dlg.reset(); }

HWND EnvDialogTest::Page(int tab) const {
  CEnvBasePage* page = dlg->GetTabPage(tab);
  return page != nullptr ? page->GetSafeHwnd() : nullptr;
}

int EnvDialogTest::CurSel(int tab, int id) const {
  return static_cast<int>(::SendMessageA(Item(tab, id), CB_GETCURSEL, 0, 0));
}

int EnvDialogTest::Count(int tab, int id) const {
  return static_cast<int>(::SendMessageA(Item(tab, id), CB_GETCOUNT, 0, 0));
}

std::wstring EnvDialogTest::ItemText(int tab, int id, int index) const {
  if (index < 0) return L"";
  char buf[256] = {};
  ::SendMessageA(Item(tab, id), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf));
  return FromAnsi(buf);
}

void EnvDialogTest::Choose(int tab, int id, int index) {
  ::SendMessageA(Item(tab, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ::SendMessageA(Page(tab), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(tab, id)));
}

int EnvDialogTest::Check(int tab, int id) const {
  return static_cast<int>(::SendMessageA(Item(tab, id), BM_GETCHECK, 0, 0));
}

void EnvDialogTest::SetButton(int tab, int id, int state) {
  ::SendMessageA(Item(tab, id), BM_SETCHECK, static_cast<WPARAM>(state), 0);
  ::SendMessageA(Page(tab), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(tab, id)));
}

void EnvDialogTest::SetText(int tab, int id, const char* text) { ::SetWindowTextA(Item(tab, id), text); }

void EnvDialogTest::PickTab(int tab) {
  HWND tabs = dlg->GetTabCtrl().GetSafeHwnd();
  TabCtrl_SetCurSel(tabs, tab);
  NMHDR hdr = {tabs, IDC_ENV_TAB, static_cast<UINT>(TCN_SELCHANGE)};
  ::SendMessageA(Dialog(), WM_NOTIFY, IDC_ENV_TAB, reinterpret_cast<LPARAM>(&hdr));
}

std::wstring EnvDialogTest::Text(int tab, int id) const {
  char buf[1024] = {};
  ::GetWindowTextA(Item(tab, id), buf, sizeof buf);
  return FromAnsi(buf);
}

namespace {

// The icon of a message box, named by the system icon it is: the handles
// are asked of the system here, as the box got them.
std::string IconOf(HWND box) {
  for (HWND c = ::GetWindow(box, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if ((::GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    const HICON icon = reinterpret_cast<HICON>(::SendMessageA(c, STM_GETICON, 0, 0));
    if (icon == nullptr) continue;
    const struct {
      LPCSTR id;
      const char* name;
    } known[] = {{IDI_HAND, "error"},
                 {IDI_EXCLAMATION, "exclamation"},
                 {IDI_QUESTION, "question"},
                 {IDI_ASTERISK, "information"}};
    for (const auto& k : known) {
      if (::LoadIconA(nullptr, k.id) == icon) return k.name;
    }
    return "other";
  }
  return "none";
}

}  // namespace

void PrintTo(const ShownBox& box, std::ostream* os) {
  char text[1024] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, box.text.c_str(), -1, text, sizeof text - 1, nullptr, nullptr);
  *os << "{\"" << text << "\", " << box.icon << "}";
}

MessageBoxAnswers::MessageBoxAnswers(int yesNoAnswer, std::function<void(HWND box)> onShown)
    : m_watcher(std::make_unique<update_test::DialogWatcher>(
          [this, yesNoAnswer, onShown](const update_test::SeenDialog& seen) {
            // A message box: its text static, and no description line.
            if (::GetDlgItem(seen.hwnd, 0xFFFF) == nullptr || ::GetDlgItem(seen.hwnd, IDC_ENV_DESCRIPTION) != nullptr)
              return;
            {
              std::lock_guard<std::mutex> lock(m_mutex);
              m_boxes.push_back({seen.text, IconOf(seen.hwnd)});
            }
            if (onShown) onShown(seen.hwnd);
            update_test::Press(seen.hwnd, ::GetDlgItem(seen.hwnd, IDYES) != nullptr ? yesNoAnswer : IDOK);
          })) {}

MessageBoxAnswers::~MessageBoxAnswers() {
  test_support::PumpFor(150);
  m_watcher.reset();
}

std::vector<std::wstring> MessageBoxAnswers::Texts() {
  std::vector<std::wstring> out;
  test_support::PumpFor(150);
  for (const update_test::SeenDialog& seen : m_watcher->Seen()) {
    if (!seen.text.empty()) out.push_back(seen.text);
  }
  return out;
}

std::vector<ShownBox> MessageBoxAnswers::Boxes() {
  test_support::PumpFor(150);
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_boxes;
}

std::string RegText(const RegValue& v) {
  std::string s = v.data;
  while (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}
