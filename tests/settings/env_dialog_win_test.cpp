// The settings dialog and its pages against the real registry, string table
// and controls, over the fake Direct3D: what a stored value shows, what OK
// stores, Cancel and Reset, the network page's Apply, the layout and the
// descriptions.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "settings/graphic_setting.h"
#include "settings/sound_setting.h"
#include "tests/settings/env_dialog_fixture.h"
#include "tests/settings/wine_drive.h"
#include "update/download_rules.h"

using update_test::Widen;

namespace {

constexpr int kGlobal = 0, kGraphics = 1, kDetail = 2, kSea = 3, kNetwork = 4;

DWORD Dword(const char* section, const char* name) { return ReadRegValue(section, name).AsDword(); }
std::string Sz(const char* section, const char* name) { return RegText(ReadRegValue(section, name)); }
bool Present(const char* section, const char* name) { return ReadRegValue(section, name).present; }

// --- Pages: stored values -> controls -> values stored by OK ---

struct RoundTripRow {
  const char* name;
  std::function<void(EnvDialogTest*)> store;  // registry before opening (and host settings)
  std::function<void()> shown;                // controls after opening; may edit them
  std::function<void()> saved;                // registry after OK
};

class EnvPagesRoundTrip : public EnvDialogTest {
 public:
  void Run(const RoundTripRow& row) {
    SCOPED_TRACE(row.name);
    DeleteTestProfile();
    host = std::make_unique<TestEnvHost>();
    if (row.store) row.store(this);
    ASSERT_NO_FATAL_FAILURE(Open());
    row.shown();
    dlg->OnOK();
    EXPECT_EQ(IDOK, dlg->Result());
    row.saved();
    Close();
  }
};

TEST_F(EnvPagesRoundTrip, StoredValuesControlsAndWhatOkStores) {
  EnvPagesRoundTrip* t = this;
  const RoundTripRow rows[] = {
      {"2dtex 5 shows no selection and stores 0", [](EnvDialogTest*) { WriteRegDword("render_s", "2dtex", 5); },
       [t] { EXPECT_EQ(-1, t->CurSel(kGraphics, IDC_ENV_TEX2D)); }, [] { EXPECT_EQ(0u, Dword("render_s", "2dtex")); }},
      {"ocean_set 7 shows custom with the button off until the selection changes",
       [](EnvDialogTest*) { WriteRegDword("render_d", "ocean_set", 7); },
       [t] {
         EXPECT_EQ(3, t->CurSel(kSea, IDC_ENV_SEA_PRESET));
         EXPECT_EQ(Widen("커스텀"), t->SelText(kSea, IDC_ENV_SEA_PRESET));
         EXPECT_FALSE(t->Enabled(kSea, IDC_ENV_SEA_CUSTOM));
         t->Choose(kSea, IDC_ENV_SEA_PRESET, 1);
         EXPECT_FALSE(t->Enabled(kSea, IDC_ENV_SEA_CUSTOM));
         t->Choose(kSea, IDC_ENV_SEA_PRESET, 3);
         EXPECT_TRUE(t->Enabled(kSea, IDC_ENV_SEA_CUSTOM));
       },
       [] { EXPECT_EQ(3u, Dword("render_d", "ocean_set")); }},
      {"ocean_set 3 enables the custom button at once",
       [](EnvDialogTest*) { WriteRegDword("render_d", "ocean_set", 3); },
       [t] { EXPECT_TRUE(t->Enabled(kSea, IDC_ENV_SEA_CUSTOM)); },
       [] { EXPECT_EQ(3u, Dword("render_d", "ocean_set")); }},
      {"antialias 8 selects the first choice and stores its samples",
       [](EnvDialogTest*) { WriteRegDword("render_s", "antialias", 8); },
       [t] {
         EXPECT_EQ(0, t->CurSel(kGraphics, IDC_ENV_ANTIALIAS));
         EXPECT_EQ(Widen("앤티 앨리어스 없음"), t->SelText(kGraphics, IDC_ENV_ANTIALIAS));
       },
       [] { EXPECT_EQ(0u, Dword("render_s", "antialias")); }},
      {"maxlod 259 is the byte 3 on the sea page; 1063 of the graphics page is 3dtexsize",
       [](EnvDialogTest*) {
         WriteRegDword("render_s", "maxlod", 259);
         WriteRegDword("render_s", "3dtexsize", 0);
       },
       [t] {
         EXPECT_EQ(3, t->CurSel(kSea, IDC_ENV_MAXLOD));
         EXPECT_EQ(Widen("높음"), t->SelText(kSea, IDC_ENV_MAXLOD));
         EXPECT_EQ(0, t->CurSel(kGraphics, IDC_ENV_TEX3D));
       },
       [] {
         EXPECT_EQ(3u, Dword("render_s", "maxlod"));
         EXPECT_EQ(0u, Dword("render_s", "3dtexsize"));
       }},
      {"an empty select_device selects 800 x 600 32-bit full screen",
       [](EnvDialogTest*) { WriteRegString("window", "select_device", ""); },
       [t] { EXPECT_EQ(Widen(" 800x 600 32bit 전체화면 표시"), t->SelText(kGlobal, IDC_ENV_DISPLAY_MODE)); },
       [] { EXPECT_EQ("0,0,800,600,22,0", Sz("window", "select_device")); }},
      {"an unscannable select_device selects the first entry",
       [](EnvDialogTest*) { WriteRegString("window", "select_device", "abc"); },
       [t] { EXPECT_EQ(0, t->CurSel(kGlobal, IDC_ENV_DISPLAY_MODE)); },
       [] { EXPECT_EQ("0,0,800,600,22,0", Sz("window", "select_device")); }},
      {"a 16-bit full-screen mode",
       [](EnvDialogTest*) { WriteRegString("window", "select_device", "0,0,1024,768,23,0"); },
       [t] { EXPECT_EQ(Widen("1024x 768 16bit 전체화면 표시"), t->SelText(kGlobal, IDC_ENV_DISPLAY_MODE)); },
       [] { EXPECT_EQ("0,0,1024,768,23,0", Sz("window", "select_device")); }},
      {"a windowed mode, then the user picks another",
       [](EnvDialogTest*) { WriteRegString("window", "select_device", "0,0,800,600,22,1"); },
       [t] {
         EXPECT_EQ(Widen(" 800x 600 윈도우 표시"), t->SelText(kGlobal, IDC_ENV_DISPLAY_MODE));
         // 800 x 600: 32 bit, 16 bit, windowed; then 1024 x 768 32 bit.
         EXPECT_EQ(Widen("1024x 768 32bit 전체화면 표시"), t->ItemText(kGlobal, IDC_ENV_DISPLAY_MODE, 3));
         t->Choose(kGlobal, IDC_ENV_DISPLAY_MODE, 3);
       },
       [] { EXPECT_EQ("0,0,1024,768,22,0", Sz("window", "select_device")); }},
      {"an indeterminate 1034 stores 2 in dxt", nullptr,
       [t] {
         HWND box = t->Item(kGraphics, IDC_ENV_NO_DXT);
         ::SendMessageA(box, BM_SETSTYLE, BS_AUTO3STATE | BS_NOTIFY, FALSE);
         t->SetButton(kGraphics, IDC_ENV_NO_DXT, BST_INDETERMINATE);
         EXPECT_EQ(BST_INDETERMINATE, t->Check(kGraphics, IDC_ENV_NO_DXT));
       },
       [] { EXPECT_EQ(2u, Dword("render_s", "dxt")); }},
      {"the land checks reach render_d only through the sea page",
       [](EnvDialogTest*) { WriteRegDword("render_d", "landreflect", 0); },
       [t] {
         t->SetButton(kGraphics, IDC_ENV_LANDREFLECT, BST_CHECKED);
         t->SetButton(kGraphics, IDC_ENV_LENS, BST_UNCHECKED);
         // The graphics page alone saves render_s: lens, but not landreflect.
         ASSERT_TRUE(t->dlg->GetTabPage(kGraphics)->Apply());
         EXPECT_EQ(0u, Dword("render_s", "lens"));
         EXPECT_EQ(0u, Dword("render_d", "landreflect"));
       },
       [] { EXPECT_EQ(1u, Dword("render_d", "landreflect")); }},
      {"the detail page's items and clamps",
       [](EnvDialogTest*) {
         WriteRegDword("render_s", "bbc", 7);
         WriteRegDword("render_s", "dvrst", 1);
         WriteRegDword("render_s", "land_m", 0);
         WriteRegDword("render_s", "land_r", 3);
       },
       [t] {
         EXPECT_EQ(0, t->CurSel(kDetail, IDC_ENV_BBC));  // no item with data 7
         EXPECT_EQ(Widen("레벨 2"), t->SelText(kDetail, IDC_ENV_DVRST));
         EXPECT_EQ(Widen("레벨 1"), t->SelText(kDetail, IDC_ENV_LAND_M));
         EXPECT_EQ(Widen("레벨 1"), t->SelText(kDetail, IDC_ENV_LAND_R));
         t->Choose(kDetail, IDC_ENV_BBC, 1);
         t->Choose(kDetail, IDC_ENV_LAND_R, 1);
       },
       [] {
         EXPECT_EQ(2u, Dword("render_s", "bbc"));
         EXPECT_EQ(1u, Dword("render_s", "dvrst"));
         EXPECT_EQ(0u, Dword("render_s", "land_m"));
         EXPECT_EQ(4u, Dword("render_s", "land_r"));
       }},
      {"sync 0 and mipmap 0 shown, then both turned on",
       [](EnvDialogTest*) {
         WriteRegDword("render_s", "sync", 0);
         WriteRegDword("render_s", "mipmap", 0);
       },
       [t] {
         EXPECT_EQ(Widen("비동기"), t->SelText(kGraphics, IDC_ENV_SYNC));
         EXPECT_EQ(BST_UNCHECKED, t->Check(kGraphics, IDC_ENV_MIPMAP));
         t->Choose(kGraphics, IDC_ENV_SYNC, 1);
         t->SetButton(kGraphics, IDC_ENV_MIPMAP, BST_CHECKED);
       },
       [] {
         EXPECT_EQ(1u, Dword("render_s", "sync"));
         EXPECT_EQ(1u, Dword("render_s", "mipmap"));
       }},
      {"sync 1 and mipmap 1 shown, then both turned off",
       [](EnvDialogTest*) {
         WriteRegDword("render_s", "sync", 1);
         WriteRegDword("render_s", "mipmap", 1);
       },
       [t] {
         EXPECT_EQ(Widen("동기"), t->SelText(kGraphics, IDC_ENV_SYNC));
         EXPECT_EQ(BST_CHECKED, t->Check(kGraphics, IDC_ENV_MIPMAP));
         t->Choose(kGraphics, IDC_ENV_SYNC, 0);
         t->SetButton(kGraphics, IDC_ENV_MIPMAP, BST_UNCHECKED);
       },
       [] {
         EXPECT_EQ(0u, Dword("render_s", "sync"));
         EXPECT_EQ(0u, Dword("render_s", "mipmap"));
       }},
      {"land refraction and surface each from its own box",
       [](EnvDialogTest*) {
         WriteRegDword("render_d", "landrefract", 1);
         WriteRegDword("render_d", "landsurface", 0);
       },
       [t] {
         EXPECT_EQ(BST_CHECKED, t->Check(kGraphics, IDC_ENV_LANDREFRACT));
         EXPECT_EQ(BST_UNCHECKED, t->Check(kGraphics, IDC_ENV_LANDSURFACE));
         t->SetButton(kGraphics, IDC_ENV_LANDREFRACT, BST_UNCHECKED);
         t->SetButton(kGraphics, IDC_ENV_LANDSURFACE, BST_CHECKED);
       },
       [] {
         EXPECT_EQ(0u, Dword("render_d", "landrefract"));
         EXPECT_EQ(1u, Dword("render_d", "landsurface"));
       }},
      {"the ocean texture's index both ways", [](EnvDialogTest*) { WriteRegDword("render_s", "ocean_tex", 1); },
       [t] {
         EXPECT_EQ(1, t->CurSel(kSea, IDC_ENV_OCEAN_TEX));
         EXPECT_EQ(Widen("낮음"), t->SelText(kSea, IDC_ENV_OCEAN_TEX));
         t->Choose(kSea, IDC_ENV_OCEAN_TEX, 0);
       },
       [] { EXPECT_EQ(0u, Dword("render_s", "ocean_tex")); }},
      {"with the sound device the boxes follow the stored mutes",
       [](EnvDialogTest*) {
         WriteRegDword("sound", "bgm_mute", 1);
         WriteRegDword("sound", "se_mute", 0);
         WriteRegDword("sound", "movie_set", 0);
       },
       [t] {
         EXPECT_EQ(BST_UNCHECKED, t->Check(kGlobal, IDC_ENV_BGM));
         EXPECT_EQ(BST_CHECKED, t->Check(kGlobal, IDC_ENV_SOUND_EFFECTS));
         EXPECT_TRUE(t->Enabled(kGlobal, IDC_ENV_BGM));
         EXPECT_EQ(BST_UNCHECKED, t->Check(kGlobal, IDC_ENV_MOVIES));
         t->SetButton(kGlobal, IDC_ENV_MOVIES, BST_CHECKED);
       },
       [] {
         EXPECT_EQ(1u, Dword("sound", "bgm_mute"));
         EXPECT_EQ(0u, Dword("sound", "se_mute"));
         EXPECT_EQ(1u, Dword("sound", "movie_set"));
       }},
  };
  for (const RoundTripRow& row : rows) Run(row);
}

// --- OK, Cancel and Reset ---

TEST_F(EnvDialogTest, CancelAndResetThenCancelWriteNothing) {
  WriteRegDword("render_s", "2dtex", 0);
  WriteRegDword("sound", "bgm_mute", 1);
  WriteRegDword("Login", "UseProxy", 1);
  WriteRegString("Login", "ProxyServer", "proxy.invalid:8080");
  for (bool reset : {false, true}) {
    SCOPED_TRACE(reset ? "reset, then cancel" : "cancel");
    const std::string before = SnapshotProfile();
    ASSERT_NO_FATAL_FAILURE(Open());
    Choose(kGraphics, IDC_ENV_TEX2D, 2);
    if (reset) ::SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_ENV_RESET, BN_CLICKED), 0);
    dlg->OnCancel();
    EXPECT_EQ(IDCANCEL, dlg->Result());
    EXPECT_EQ(before, SnapshotProfile());
    Close();
  }
}

// Without a sound device: tests/settings/env_dialog_nosound_test.cpp.
TEST_F(EnvDialogTest, ResetThenOkStoresTheDefaultsAndTheNetworkDefaults) {
  WriteRegDword("render_s", "2dtex", 0);
  WriteRegDword("sound", "bgm_mute", 1);
  WriteRegDword("sound", "se_mute", 1);
  WriteRegDword("Login", "UseProxy", 1);
  WriteRegString("Login", "ProxyServer", "proxy.invalid:8080");
  WriteRegString("Login", "ProxyUser", "kim");
  WriteRegString("Login", "DownloadPath", "C:\\");
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(BST_CHECKED, Check(kNetwork, IDC_NET_PROXY_NAMED));
  ::SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_ENV_RESET, BN_CLICKED), 0);
  // Shown at once, written only by OK.
  EXPECT_EQ(BST_CHECKED, Check(kNetwork, IDC_NET_USE_PROXY));
  EXPECT_EQ(BST_CHECKED, Check(kNetwork, IDC_NET_PROXY_SYSTEM));
  EXPECT_EQ(L"", Text(kNetwork, IDC_NET_PROXY_HOST));
  EXPECT_EQ(L"80", Text(kNetwork, IDC_NET_PROXY_PORT));
  EXPECT_EQ(BST_UNCHECKED, Check(kNetwork, IDC_NET_OWN_FOLDER));
  EXPECT_EQ(0u, Dword("render_s", "2dtex"));
  EXPECT_EQ(BST_CHECKED, Check(kGlobal, IDC_ENV_BGM));
  EXPECT_TRUE(Enabled(kGlobal, IDC_ENV_BGM));
  dlg->OnOK();
  EXPECT_EQ(IDOK, dlg->Result());
  EXPECT_EQ(static_cast<DWORD>(GetGraphicSetting().GetUser().tex2d), Dword("render_s", "2dtex"));
  EXPECT_EQ(1u, Dword("render_s", "2dtex"));  // the fake's pure hardware device with enough memory
  EXPECT_EQ(0u, Dword("sound", "bgm_mute"));
  EXPECT_EQ(0u, Dword("sound", "se_mute"));
  EXPECT_EQ(1u, Dword("Login", "UseProxy"));
  EXPECT_EQ("", Sz("Login", "ProxyServer"));
  EXPECT_FALSE(Present("Login", "ProxyUser"));
  EXPECT_FALSE(Present("Login", "ProxyPasswd"));
  EXPECT_FALSE(Present("Login", "DownloadPath"));
  Close();
}

TEST_F(EnvDialogTest, OkTwiceAroundAFailingNetworkPage) {
  // A stored port outside 0..65535 in a field the user can edit: the
  // framework's prompt over the network page, the focus in the field, and
  // the dialog stays open with the sections before the network page saved.
  WriteRegDword("Login", "UseProxy", 1);
  WriteRegString("Login", "ProxyServer", "proxy.invalid:99999");
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(L"99999", Text(kNetwork, IDC_NET_PROXY_PORT));
  PickTab(kSea);
  ASSERT_TRUE(::IsWindowVisible(Page(kSea)));
  HWND tab = dlg->GetTabCtrl().GetSafeHwnd();
  int tabAtPrompt = -1;
  bool networkShownAtPrompt = false;
  {
    MessageBoxAnswers answers(IDYES, [&](HWND) {
      tabAtPrompt = static_cast<int>(::SendMessageA(tab, TCM_GETCURSEL, 0, 0));
      networkShownAtPrompt = ::IsWindowVisible(Page(kNetwork)) != FALSE && ::IsWindowVisible(Page(kSea)) == FALSE;
    });
    dlg->OnOK();
    EXPECT_EQ((std::vector<ShownBox>{{Widen("0에서 65535 사이의 정수를 입력해 주세요."), "exclamation"}}),
              answers.Boxes());
  }
  EXPECT_EQ(-1, dlg->Result());
  EXPECT_EQ(kNetwork, tabAtPrompt);
  EXPECT_TRUE(networkShownAtPrompt);
  EXPECT_EQ(kNetwork, TabCtrl_GetCurSel(tab));
  EXPECT_EQ(dlg->GetTabPage(kNetwork), dlg->GetCurrentPage());
  EXPECT_EQ(Item(kNetwork, IDC_NET_PROXY_PORT), ::GetFocus());
  DWORD from = 0, to = 0;
  ::SendMessageA(Item(kNetwork, IDC_NET_PROXY_PORT), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(0u, from);
  EXPECT_EQ(5u, to);
  for (const char* section : {"render_s", "render_d", "sound", "window"}) {
    SCOPED_TRACE(section);
    EXPECT_NE(std::string::npos, SnapshotProfile().find(std::string(section) + "/"));
  }
  EXPECT_EQ("proxy.invalid:99999", Sz("Login", "ProxyServer"));

  // The user corrects the port: every page is applied again.
  ::SHDeleteKeyA(HKEY_CURRENT_USER, (std::string(kTestAppKey) + "\\render_s").c_str());
  ::SHDeleteKeyA(HKEY_CURRENT_USER, (std::string(kTestAppKey) + "\\sound").c_str());
  SetText(kNetwork, IDC_NET_PROXY_PORT, "8080");
  dlg->OnOK();
  EXPECT_EQ(IDOK, dlg->Result());
  EXPECT_TRUE(Present("render_s", "2dtex"));
  EXPECT_TRUE(Present("sound", "bgm_mute"));
  EXPECT_EQ("proxy.invalid:8080", Sz("Login", "ProxyServer"));
}

// A port field that the page has disabled is not the user's to fix: it is
// neither checked nor does it keep OK or Browse from working.
TEST_F(EnvDialogTest, AWrongPortInADisabledFieldDoesNotBlockOk) {
  const struct {
    const char* name;
    DWORD useProxy;
    const char* server;
    std::function<void(EnvDialogTest*)> edit;
    DWORD savedUseProxy;
    const char* savedServer;
  } rows[] = {
      {"stored without a proxy", 0, "proxy.invalid:99999", nullptr, 0, ""},
      {"stored without a proxy, a port that is no number", 0, "proxy.invalid:-1", nullptr, 0, ""},
      {"typed, then the system's settings picked", 1, "proxy.invalid:8080",
       [](EnvDialogTest* t) {
         t->SetText(kNetwork, IDC_NET_PROXY_PORT, "70000");
         ::SendMessageA(t->Item(kNetwork, IDC_NET_PROXY_NAMED), BM_SETCHECK, BST_UNCHECKED, 0);
         t->SetButton(kNetwork, IDC_NET_PROXY_SYSTEM, BST_CHECKED);
       },
       1, ""},
      {"typed, then the proxy unticked", 1, "proxy.invalid:8080",
       [](EnvDialogTest* t) {
         t->SetText(kNetwork, IDC_NET_PROXY_PORT, "70000");
         t->SetButton(kNetwork, IDC_NET_USE_PROXY, BST_UNCHECKED);
       },
       0, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    DeleteTestProfile();
    WriteRegDword("Login", "UseProxy", r.useProxy);
    WriteRegString("Login", "ProxyServer", r.server);
    ASSERT_NO_FATAL_FAILURE(Open());
    if (r.edit) r.edit(this);
    ASSERT_FALSE(Enabled(kNetwork, IDC_NET_PROXY_PORT));
    PickTab(kSea);
    {
      MessageBoxAnswers answers;
      dlg->OnOK();
      EXPECT_EQ(std::vector<ShownBox>{}, answers.Boxes());
    }
    EXPECT_EQ(IDOK, dlg->Result());
    EXPECT_EQ(r.savedUseProxy, Dword("Login", "UseProxy"));
    EXPECT_EQ(r.savedServer, Sz("Login", "ProxyServer"));
    Close();
  }
}

// Registry keys that refuse writes: below a volatile key no stable key can
// be made (the registry's own rule, Wine's too), so a section that does not
// exist yet cannot be written, while the sections made volatile beforehand
// take their values.
class EnvRefusedSaves : public EnvDialogTest {
 public:
  void Refuse(const std::vector<const char*>& refused) {
    DeleteTestProfile();
    HKEY app = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, kTestAppKey, 0, nullptr, REG_OPTION_VOLATILE,
                                               KEY_ALL_ACCESS, nullptr, &app, nullptr));
    for (const char* section : {"window", "render_s", "render_d", "sound", "Login"}) {
      bool refuse = false;
      for (const char* r : refused) refuse = refuse || std::string(r) == section;
      if (refuse) continue;
      HKEY key = nullptr;
      EXPECT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(app, section, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                                 &key, nullptr));
      ::RegCloseKey(key);
    }
    ::RegCloseKey(app);
  }
};

std::wstring TableText(UINT id) {
  CString s;
  s.LoadString(id);
  return FromAnsi(s);
}

TEST_F(EnvRefusedSaves, APageWhoseSaveFailsTellsThePlayerAndFails) {
  ASSERT_EQ(Widen("설정을 저장할 수 없습니다."), TableText(IDS_SETTINGS_NOT_SAVED));
  const struct {
    const char* name;
    int tab;
    std::vector<const char*> refused;
  } rows[] = {
      {"global: the display mode", kGlobal, {"window"}},
      {"global: the sound", kGlobal, {"sound"}},
      {"global: render_s", kGlobal, {"render_s"}},
      {"graphics", kGraphics, {"render_s"}},
      {"detail", kDetail, {"render_s"}},
      {"sea: render_d", kSea, {"render_d"}},
      {"sea: render_s", kSea, {"render_s"}},
      {"network", kNetwork, {"Login"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    ASSERT_NO_FATAL_FAILURE(Refuse(r.refused));
    ASSERT_NO_FATAL_FAILURE(Open());
    BOOL applied = TRUE;
    {
      MessageBoxAnswers answers;
      applied = dlg->GetTabPage(r.tab)->Apply();
      EXPECT_EQ((std::vector<ShownBox>{{TableText(IDS_SETTINGS_NOT_SAVED), "error"}}), answers.Boxes());
    }
    EXPECT_FALSE(applied);
    Close();
  }
  // Every section there: every page saves without a word.
  ASSERT_NO_FATAL_FAILURE(Refuse({}));
  ASSERT_NO_FATAL_FAILURE(Open());
  MessageBoxAnswers answers;
  for (int tab = kGlobal; tab <= kNetwork; ++tab) EXPECT_TRUE(dlg->GetTabPage(tab)->Apply()) << tab;
  EXPECT_EQ(std::vector<ShownBox>{}, answers.Boxes());
}

TEST_F(EnvRefusedSaves, OkStaysOpenWhenNothingCanBeSaved) {
  ASSERT_NO_FATAL_FAILURE(Refuse({"window", "render_s", "render_d", "sound", "Login"}));
  ASSERT_NO_FATAL_FAILURE(Open());
  {
    MessageBoxAnswers answers;
    dlg->OnOK();
    // The first page tells, and OK stops there.
    EXPECT_EQ((std::vector<ShownBox>{{TableText(IDS_SETTINGS_NOT_SAVED), "error"}}), answers.Boxes());
  }
  EXPECT_EQ(-1, dlg->Result());
  EXPECT_TRUE(::IsWindow(Dialog()));
}

// The boxes show this opening's sound test: an earlier opening without a
// sound device (which left both availabilities 0) does not keep them off.
TEST_F(EnvDialogTest, SoundBackAtALaterOpeningEnablesTheBoxes) {
  WriteRegDword("sound", "bgm_mute", 0);
  WriteRegDword("sound", "se_mute", 1);
  GetSoundSetting().SetAvailable(0);
  GetSoundSetting().SetAvailable2(0);
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_EQ(1, GetSoundSetting().GetBgmAvailable()) << "the sound test found no device";
  EXPECT_TRUE(Enabled(kGlobal, IDC_ENV_BGM));
  EXPECT_TRUE(Enabled(kGlobal, IDC_ENV_SOUND_EFFECTS));
  EXPECT_EQ(BST_CHECKED, Check(kGlobal, IDC_ENV_BGM));
  EXPECT_EQ(BST_UNCHECKED, Check(kGlobal, IDC_ENV_SOUND_EFFECTS));
}

// --- Network page ---

struct NetworkRow {
  const char* name;
  std::function<void()> store;
  std::function<void(EnvDialogTest*)> edit;
  int answer;  // to the question 12001
  std::vector<std::string> messages;
  bool applied;
  std::function<void()> saved;
  std::vector<std::string> icons;  // of the messages, in order
};

class EnvNetworkPage : public EnvDialogTest {
 public:
  void SetUp() override {
    EnvDialogTest::SetUp();
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof temp, temp);
    base = std::string(temp) + "quorl-net-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(base.c_str(), nullptr);
    HANDLE f = ::CreateFileA((base + "\\notes.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ::CloseHandle(f);
  }
  void TearDown() override {
    EnvDialogTest::TearDown();
    for (const char* sub :
         {"\\a\\b", "\\a", "\\c\\d", "\\c", "\\e\\f", "\\e", "\\g\\h\\i", "\\g\\h", "\\g", "\\notes.txt"}) {
      ::RemoveDirectoryA((base + sub).c_str());
    }
    ::DeleteFileA((base + "\\notes.txt").c_str());
    ::RemoveDirectoryA(base.c_str());
  }
  void OwnFolder(const std::string& folder) {
    SetButton(kNetwork, IDC_NET_OWN_FOLDER, BST_CHECKED);
    SetText(kNetwork, IDC_NET_FOLDER, folder.c_str());
  }
  void Proxy(int use, int named, const char* host, const char* port, const char* user, const char* password) {
    SetButton(kNetwork, IDC_NET_USE_PROXY, use ? BST_CHECKED : BST_UNCHECKED);
    ::SendMessageA(Item(kNetwork, IDC_NET_PROXY_SYSTEM), BM_SETCHECK, named ? BST_UNCHECKED : BST_CHECKED, 0);
    SetButton(kNetwork, IDC_NET_PROXY_NAMED, named ? BST_CHECKED : BST_UNCHECKED);
    SetText(kNetwork, IDC_NET_PROXY_HOST, host);
    SetText(kNetwork, IDC_NET_PROXY_PORT, port);
    SetText(kNetwork, IDC_NET_PROXY_USER, user);
    SetText(kNetwork, IDC_NET_PROXY_PASSWORD, password);
  }
  std::string base;
};

std::string Unscrambled(const std::string& stored) {
  CString plain;
  if (!UnscrambleProxyPassword(stored.c_str(), plain)) return "<not scrambled>";
  return plain.GetString();
}

TEST_F(EnvNetworkPage, ApplyByStoredValuesFolderDriveAndAnswers) {
  EnvNetworkPage* t = this;
  const std::string b = base;
  const std::string longText = "C:\\" + std::string(257, 'x');  // 260 bytes
  // Real drives of the prefix, every kind that the page refuses.
  CWineDrive floppy(DRIVE_REMOVABLE, base), cdrom(DRIVE_CDROM, base), network(DRIVE_REMOTE, base),
      ramdisk(DRIVE_RAMDISK, base);
  for (const CWineDrive* d : {&floppy, &cdrom, &network, &ramdisk}) ASSERT_TRUE(d->Ok());
  ASSERT_EQ(static_cast<UINT>(DRIVE_REMOVABLE), ::GetDriveTypeA(floppy.Root().c_str()));
  ASSERT_EQ(static_cast<UINT>(DRIVE_CDROM), ::GetDriveTypeA(cdrom.Root().c_str()));
  ASSERT_EQ(static_cast<UINT>(DRIVE_REMOTE), ::GetDriveTypeA(network.Root().c_str()));
  ASSERT_EQ(static_cast<UINT>(DRIVE_RAMDISK), ::GetDriveTypeA(ramdisk.Root().c_str()));
  // A letter that names no drive now, whatever earlier runs left behind.
  const char unused = UnusedDriveLetter();
  ASSERT_NE(0, unused) << "every letter from Y: to M: names a drive";
  const std::string noDrive = std::string(1, static_cast<char>(unused - 'a' + 'A')) + ":\\patch";
  const std::string kRemovable =
      "패치 파일의 다운로드 경로로서 이동 매체는 지정할 수 없습니다.\n디폴트 설정을 사용합니다.";
  const std::string kNetworkDrive =
      "패치 파일의 다운로드 경로로서 네트워크 드라이브는 지정할 수 없습니다.\n디폴트 설정을 사용합니다.";
  const std::string kRamDisk =
      "패치 파일의 다운로드 경로로서 RAM디스크는 지정할 수 없습니다.\n디폴트 설정을 사용합니다.";
  auto refused = [t](const std::string& folder, const std::string& message) {
    return NetworkRow{nullptr,
                      nullptr,
                      [t, folder](EnvDialogTest*) { t->OwnFolder(folder); },
                      IDYES,
                      {message},
                      true,
                      [] {
                        EXPECT_FALSE(Present("Login", "DownloadPath"));
                        EXPECT_EQ(1u, Dword("Login", "UseProxy"));  // the rest is saved
                      },
                      {"exclamation"}};
  };
  std::vector<NetworkRow> drives = {
      refused(floppy.Root() + "patch", kRemovable), refused(cdrom.Root() + "patch", kRemovable),
      refused(network.Root() + "patch", kNetworkDrive), refused(ramdisk.Root() + "patch", kRamDisk),
      refused("\\\\server\\share\\patch", kNetworkDrive)};
  const char* driveNames[] = {"a floppy drive", "a CD-ROM drive", "a network drive", "a RAM disk", "a network path"};
  for (size_t i = 0; i < drives.size(); ++i) drives[i].name = driveNames[i];
  std::vector<NetworkRow> rows = {
      {"mode 0: the system's settings",
       nullptr,
       [t](EnvDialogTest*) { t->Proxy(1, 0, "", "80", "kim", "pw"); },
       IDYES,
       {},
       true,
       [] {
         EXPECT_EQ(1u, Dword("Login", "UseProxy"));
         EXPECT_EQ("", Sz("Login", "ProxyServer"));
         EXPECT_FALSE(Present("Login", "ProxyUser"));
         EXPECT_FALSE(Present("Login", "ProxyPasswd"));
       }},
      {"mode 1: no proxy drops user and password",
       [] {
         WriteRegString("Login", "ProxyUser", "kim");
         WriteRegString("Login", "ProxyPasswd", "junk");
       },
       [t](EnvDialogTest*) { t->Proxy(0, 1, "proxy.invalid", "8080", "kim", "pw"); },
       IDYES,
       {},
       true,
       [] {
         EXPECT_EQ(0u, Dword("Login", "UseProxy"));
         EXPECT_FALSE(Present("Login", "ProxyUser"));
         EXPECT_FALSE(Present("Login", "ProxyPasswd"));
       }},
      {"mode 2 with user and password",
       nullptr,
       [t](EnvDialogTest*) {
         t->Proxy(1, 1, "proxy.invalid", "3128", "kim",
                  "\xBA\xF1\xB9\xD0"
                  "1");
       },
       IDYES,
       {},
       true,
       [] {
         EXPECT_EQ(1u, Dword("Login", "UseProxy"));
         EXPECT_EQ("proxy.invalid:3128", Sz("Login", "ProxyServer"));
         EXPECT_EQ("kim", Sz("Login", "ProxyUser"));
         EXPECT_NE(
             "\xBA\xF1\xB9\xD0"
             "1",
             Sz("Login", "ProxyPasswd"));  // never the plain text
         EXPECT_EQ(
             "\xBA\xF1\xB9\xD0"
             "1",
             Unscrambled(Sz("Login", "ProxyPasswd")));
       }},
      {"mode 2 without user and password",
       nullptr,
       [t](EnvDialogTest*) { t->Proxy(1, 1, "proxy.invalid", "3128", "", ""); },
       IDYES,
       {},
       true,
       [] {
         EXPECT_EQ("proxy.invalid:3128", Sz("Login", "ProxyServer"));
         EXPECT_EQ("", Sz("Login", "ProxyUser"));
         EXPECT_EQ("", Sz("Login", "ProxyPasswd"));
       }},
      {"a drive letter that does not exist",
       nullptr,
       [t, noDrive](EnvDialogTest*) { t->OwnFolder(noDrive); },
       IDYES,
       {"지정한 드라이브는 사용할 수 없기 때문에, 패치 파일을 다운로드할 곳으로는 지정할 수 없습니다.\n디폴트 설정을 "
        "사용합니다."},
       true,
       [] { EXPECT_FALSE(Present("Login", "DownloadPath")); },
       {"exclamation"}},
      {"two missing levels",
       nullptr,
       [t, b](EnvDialogTest*) { t->OwnFolder(b + "\\a\\b"); },
       IDYES,
       {"지정한 폴더는 존재하지 않습니다.\n작성하시겠습니까?\n" + b + "\\a\\b"},
       true,
       [b] {
         EXPECT_EQ(b + "\\a\\b\\", Sz("Login", "DownloadPath"));
         EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((b + "\\a\\b").c_str()));
       },
       {"exclamation"}},
      {"levels typed with '/', which Windows takes as a separator",
       nullptr,
       [t, b](EnvDialogTest*) { t->OwnFolder(b + "\\g/h/i/"); },
       IDYES,
       {"지정한 폴더는 존재하지 않습니다.\n작성하시겠습니까?\n" + b + "\\g/h/i/"},
       true,
       [b] {
         EXPECT_EQ(b + "\\g/h/i\\", Sz("Login", "DownloadPath"));
         const DWORD attributes = ::GetFileAttributesA((b + "\\g\\h\\i").c_str());
         EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
       },
       {"exclamation"}},
      {"two missing levels with a trailing backslash",
       nullptr,
       [t, b](EnvDialogTest*) { t->OwnFolder(b + "\\c\\d\\"); },
       IDYES,
       {"지정한 폴더는 존재하지 않습니다.\n작성하시겠습니까?\n" + b + "\\c\\d\\"},
       true,
       [b] { EXPECT_EQ(b + "\\c\\d\\", Sz("Login", "DownloadPath")); },
       {"exclamation"}},
      {"declining drops the folder",
       nullptr,
       [t, b](EnvDialogTest*) { t->OwnFolder(b + "\\e\\f"); },
       IDNO,
       {"지정한 폴더는 존재하지 않습니다.\n작성하시겠습니까?\n" + b + "\\e\\f"},
       true,
       [b] {
         EXPECT_FALSE(Present("Login", "DownloadPath"));
         EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((b + "\\e").c_str()));
       },
       {"exclamation"}},
      {"a file in the way",
       nullptr,
       [t, b](EnvDialogTest*) { t->OwnFolder(b + "\\notes.txt\\dl"); },
       IDYES,
       {"폴더와 동일한 이름의 파일이 존재합니다.\n" + b + "\\notes.txt"},
       false,
       [] { EXPECT_FALSE(Present("Login", "UseProxy")); },
       {"error"}},
      {"a folder text of 260 bytes",
       nullptr,
       [t, longText](EnvDialogTest*) {
         HWND edit = t->Item(kNetwork, IDC_NET_FOLDER);
         EXPECT_EQ(259, static_cast<int>(::SendMessageA(edit, EM_GETLIMITTEXT, 0, 0)));
         // Past the edit's limit (as a paste or another program could put it).
         ::SendMessageA(edit, EM_LIMITTEXT, 1000, 0);
         t->OwnFolder(longText);
       },
       IDYES,
       {"지정한 폴더는 만들 수 없습니다."},
       false,
       [] { EXPECT_FALSE(Present("Login", "UseProxy")); },
       {"error"}},
  };
  rows.insert(rows.end(), drives.begin(), drives.end());
  for (const NetworkRow& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteTestProfile();
    if (row.store) row.store();
    ASSERT_NO_FATAL_FAILURE(Open());
    row.edit(this);
    std::vector<ShownBox> shown;
    BOOL applied = FALSE;
    {
      MessageBoxAnswers answers(row.answer);
      applied = dlg->GetTabPage(kNetwork)->Apply();
      shown = answers.Boxes();
    }
    std::vector<ShownBox> expected;
    for (size_t i = 0; i < row.messages.size(); ++i)
      expected.push_back({Widen(row.messages[i].c_str()), i < row.icons.size() ? row.icons[i] : "?"});
    EXPECT_EQ(expected, shown);
    EXPECT_EQ(row.applied, applied != FALSE);
    row.saved();
    Close();
  }
}

// The folder edit takes at most 259 bytes, whether typed or pasted: the
// path buffers it is copied into are MAX_PATH bytes with the terminator.
TEST_F(EnvNetworkPage, TheFolderEditTakes259BytesTypedOrPasted) {
  ASSERT_NO_FATAL_FAILURE(Open());
  SetButton(kNetwork, IDC_NET_OWN_FOLDER, BST_CHECKED);
  HWND edit = Item(kNetwork, IDC_NET_FOLDER);
  const std::string full = "C:\\" + std::string(256, 'x');
  ASSERT_EQ(259u, full.size());
  auto length = [edit] { return ::GetWindowTextLengthA(edit); };

  // Typing at the end of a full text: the key is refused.
  ::SetWindowTextA(edit, full.c_str());
  ::SendMessageA(edit, EM_SETSEL, full.size(), full.size());
  ::SendMessageA(edit, WM_CHAR, 'y', 0);
  EXPECT_EQ(259, length());
  // One byte short of the limit: the key goes in, the next one does not.
  ::SetWindowTextA(edit, full.substr(0, 258).c_str());
  ::SendMessageA(edit, EM_SETSEL, 258, 258);
  ::SendMessageA(edit, WM_CHAR, 'y', 0);
  ::SendMessageA(edit, WM_CHAR, 'z', 0);
  EXPECT_EQ(FromAnsi((full.substr(0, 258) + "y").c_str()), Text(kNetwork, IDC_NET_FOLDER));

  // Pasting a longer text: only what fits arrives.
  const std::string pasted = "D:\\" + std::string(300, 'p');
  ASSERT_TRUE(::OpenClipboard(window));
  ::EmptyClipboard();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, pasted.size() + 1);
  ASSERT_NE(nullptr, block);
  std::memcpy(::GlobalLock(block), pasted.c_str(), pasted.size() + 1);
  ::GlobalUnlock(block);
  ASSERT_NE(nullptr, ::SetClipboardData(CF_TEXT, block));
  ::CloseClipboard();
  ::SetWindowTextA(edit, "");
  ::SendMessageA(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(FromAnsi(pasted.substr(0, 259).c_str()), Text(kNetwork, IDC_NET_FOLDER));
  if (::OpenClipboard(window)) {
    ::EmptyClipboard();
    ::CloseClipboard();
  }
}

// Wine's own folder browser: a dialog of the settings dialog's thread with
// the page's text inside (its caption is Wine's); accepting it at once
// brings the preselected folder back.
TEST_F(EnvNetworkPage, BrowseOpensTheShellsFolderBrowserOnTheFolder) {
  // A folder the prefix had before this process started: Wine's browser
  // cannot yet find one that the process made a moment ago.
  char temp[MAX_PATH] = {};
  ::GetTempPathA(sizeof temp, temp);
  std::string folder = temp;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  // A stored port that is no port, in a field the page has disabled: not
  // a reason to keep the browser from opening.
  WriteRegDword("Login", "UseProxy", 0);
  WriteRegString("Login", "ProxyServer", "proxy.invalid:99999");
  ASSERT_NO_FATAL_FAILURE(Open());
  OwnFolder(folder);
  const DWORD thread = ::GetCurrentThreadId();
  std::wstring inner;
  int browsers = 0;
  update_test::DialogWatcher watcher([&](const update_test::SeenDialog& seen) {
    if (::GetDlgItem(seen.hwnd, IDC_ENV_TAB) != nullptr) return;
    ++browsers;
    DWORD pid = 0;
    EXPECT_EQ(thread, ::GetWindowThreadProcessId(seen.hwnd, &pid));
    const std::wstring title = Widen("패치를 다운로드할 폴더를 선택해 주세요.");
    for (HWND c = ::GetWindow(seen.hwnd, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
      if (update_test::WindowTextW(c) == title) inner = title;
    }
    // Enter, as the user accepts what is selected.
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND focus = ::GetGUIThreadInfo(thread, &info) && info.hwndFocus ? info.hwndFocus : seen.hwnd;
    ::PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0);
  });
  ::SendMessageA(Page(kNetwork), WM_COMMAND, MAKEWPARAM(IDC_NET_BROWSE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Item(kNetwork, IDC_NET_BROWSE)));
  EXPECT_EQ(1, browsers);
  EXPECT_EQ(Widen("패치를 다운로드할 폴더를 선택해 주세요."), inner);
  EXPECT_EQ(FromAnsi(folder.c_str()), Text(kNetwork, IDC_NET_FOLDER));
}

TEST_F(EnvNetworkPage, StoredModesShowAndEnable) {
  const struct {
    const char* name;
    DWORD useProxy;
    const char* server;
    int use, system, named;
    const wchar_t* host;
    const wchar_t* port;
    bool kinds, fields;
  } rows[] = {
      {"mode 2", 1, "proxy.invalid:8080", BST_CHECKED, BST_UNCHECKED, BST_CHECKED, L"proxy.invalid", L"8080", true,
       true},
      {"mode 2 without a port", 1, "proxy.invalid", BST_CHECKED, BST_UNCHECKED, BST_CHECKED, L"proxy.invalid", L"80",
       true, true},
      {"mode 0", 1, "", BST_CHECKED, BST_CHECKED, BST_UNCHECKED, L"", L"80", true, false},
      {"mode 1", 0, "proxy.invalid:8080", BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED, L"proxy.invalid", L"8080", false,
       false},
      // A port that is no port is shown as it is stored, never as a number
      // made of it.
      {"a negative port", 1, "proxy.invalid:-1", BST_CHECKED, BST_UNCHECKED, BST_CHECKED, L"proxy.invalid", L"-1", true,
       true},
      {"a port past 32 bits", 1, "proxy.invalid:4294967376", BST_CHECKED, BST_UNCHECKED, BST_CHECKED, L"proxy.invalid",
       L"4294967376", true, true},
      {"a port with letters", 0, "proxy.invalid:80x", BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED, L"proxy.invalid",
       L"80x", false, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    DeleteTestProfile();
    WriteRegDword("Login", "UseProxy", r.useProxy);
    WriteRegString("Login", "ProxyServer", r.server);
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(r.use, Check(kNetwork, IDC_NET_USE_PROXY));
    EXPECT_EQ(r.system, Check(kNetwork, IDC_NET_PROXY_SYSTEM));
    EXPECT_EQ(r.named, Check(kNetwork, IDC_NET_PROXY_NAMED));
    EXPECT_EQ(r.host, Text(kNetwork, IDC_NET_PROXY_HOST));
    EXPECT_EQ(r.port, Text(kNetwork, IDC_NET_PROXY_PORT));
    EXPECT_EQ(r.kinds, Enabled(kNetwork, IDC_NET_PROXY_SYSTEM));
    EXPECT_EQ(r.kinds, Enabled(kNetwork, IDC_NET_PROXY_NAMED));
    for (int id = IDC_NET_PROXY_HOST; id <= IDC_NET_PROXY_PASSWORD; ++id) EXPECT_EQ(r.fields, Enabled(kNetwork, id));
    EXPECT_FALSE(Enabled(kNetwork, IDC_NET_FOLDER));
    EXPECT_FALSE(Enabled(kNetwork, IDC_NET_BROWSE));
    // The enabling rule follows every click.
    SetButton(kNetwork, IDC_NET_OWN_FOLDER, BST_CHECKED);
    EXPECT_TRUE(Enabled(kNetwork, IDC_NET_FOLDER));
    EXPECT_TRUE(Enabled(kNetwork, IDC_NET_BROWSE));
    Close();
  }
  // The edits: the password hidden, the port digits only.
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_NE(0, ::GetWindowLongA(Item(kNetwork, IDC_NET_PROXY_PASSWORD), GWL_STYLE) & ES_PASSWORD);
  EXPECT_NE(0, ::GetWindowLongA(Item(kNetwork, IDC_NET_PROXY_PORT), GWL_STYLE) & ES_NUMBER);
}

}  // namespace
