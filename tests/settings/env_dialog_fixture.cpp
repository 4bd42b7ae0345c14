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
  // Each opening starts as a first one in the program: the global page
  // fills its boxes once before the load, with the availability that the
  // last load left (an earlier case may have had no sound device).
  GetSoundSetting().SetAvailable(1);
  GetSoundSetting().SetAvailable2(1);
  dlg = std::make_unique<TestEnvDialog>(*host, standalone, nullptr);
  ASSERT_TRUE(dlg->Create(IDD_ENV_DIALOG, nullptr));
  dlg->ShowWindow(SW_SHOW);
  Pump();
}

void EnvDialogTest::Close() { dlg.reset(); }

void EnvDialogTest::Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

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

std::wstring EnvDialogTest::Text(int tab, int id) const {
  char buf[1024] = {};
  ::GetWindowTextA(Item(tab, id), buf, sizeof buf);
  return FromAnsi(buf);
}

MessageBoxAnswers::MessageBoxAnswers(int yesNoAnswer)
    : m_watcher(std::make_unique<update_test::DialogWatcher>([yesNoAnswer](const update_test::SeenDialog& seen) {
        // A message box: its text static, and no description line.
        if (::GetDlgItem(seen.hwnd, 0xFFFF) == nullptr || ::GetDlgItem(seen.hwnd, IDC_ENV_DESCRIPTION) != nullptr)
          return;
        update_test::Press(seen.hwnd, ::GetDlgItem(seen.hwnd, IDYES) != nullptr ? yesNoAnswer : IDOK);
      })) {}

namespace {
void PumpFor(DWORD ms) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < ms) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::Sleep(5);
  }
}
}  // namespace

MessageBoxAnswers::~MessageBoxAnswers() {
  PumpFor(150);
  m_watcher.reset();
}

std::vector<std::wstring> MessageBoxAnswers::Texts() {
  std::vector<std::wstring> out;
  PumpFor(150);
  for (const update_test::SeenDialog& seen : m_watcher->Seen()) {
    if (!seen.text.empty()) out.push_back(seen.text);
  }
  return out;
}

std::string RegText(const RegValue& v) {
  std::string s = v.data;
  while (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}
