// The settings dialog and its pages against the real registry, string table
// and controls, over the fake Direct3D: what a stored value shows, what OK
// stores, Cancel and Reset, the network page's Apply, the layout and the
// descriptions.
#include <windows.h>
#include <shlwapi.h>

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
  // A stored port outside 0..65535: the framework's prompt, and the dialog
  // stays open with the sections before the network page saved.
  WriteRegDword("Login", "UseProxy", 1);
  WriteRegString("Login", "ProxyServer", "proxy.invalid:99999");
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(L"99999", Text(kNetwork, IDC_NET_PROXY_PORT));
  TabCtrl_SetCurSel(dlg->GetTabCtrl().GetSafeHwnd(), kSea);
  {
    MessageBoxAnswers answers;
    dlg->OnOK();
    EXPECT_EQ((std::vector<std::wstring>{Widen("0에서 65535 사이의 정수를 입력해 주세요.")}), answers.Texts());
  }
  EXPECT_EQ(-1, dlg->Result());
  EXPECT_EQ(kSea, TabCtrl_GetCurSel(dlg->GetTabCtrl().GetSafeHwnd()));
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

// --- Network page ---

struct NetworkRow {
  const char* name;
  std::function<void()> store;
  std::function<void(EnvDialogTest*)> edit;
  int answer;  // to the question 12001
  std::vector<std::string> messages;
  bool applied;
  std::function<void()> saved;
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
    for (const char* sub : {"\\a\\b", "\\a", "\\c\\d", "\\c", "\\e\\f", "\\e", "\\notes.txt"}) {
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
                      }};
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
       [] { EXPECT_FALSE(Present("Login", "DownloadPath")); }},
      {"two missing levels",
       nullptr,
       [t, b](EnvDialogTest*) { t->OwnFolder(b + "\\a\\b"); },
       IDYES,
       {"지정한 폴더는 존재하지 않습니다.\n작성하시겠습니까?\n" + b + "\\a\\b"},
       true,
       [b] {
         EXPECT_EQ(b + "\\a\\b\\", Sz("Login", "DownloadPath"));
         EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((b + "\\a\\b").c_str()));
       }},
      {"two missing levels with a trailing backslash",
       nullptr,
       [t, b](EnvDialogTest*) { t->OwnFolder(b + "\\c\\d\\"); },
       IDYES,
       {"지정한 폴더는 존재하지 않습니다.\n작성하시겠습니까?\n" + b + "\\c\\d\\"},
       true,
       [b] { EXPECT_EQ(b + "\\c\\d\\", Sz("Login", "DownloadPath")); }},
      {"declining drops the folder",
       nullptr,
       [t, b](EnvDialogTest*) { t->OwnFolder(b + "\\e\\f"); },
       IDNO,
       {"지정한 폴더는 존재하지 않습니다.\n작성하시겠습니까?\n" + b + "\\e\\f"},
       true,
       [b] {
         EXPECT_FALSE(Present("Login", "DownloadPath"));
         EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((b + "\\e").c_str()));
       }},
      {"a file in the way",
       nullptr,
       [t, b](EnvDialogTest*) { t->OwnFolder(b + "\\notes.txt\\dl"); },
       IDYES,
       {"폴더와 동일한 이름의 파일이 존재합니다.\n" + b + "\\notes.txt"},
       false,
       [] { EXPECT_FALSE(Present("Login", "UseProxy")); }},
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
       [] { EXPECT_FALSE(Present("Login", "UseProxy")); }},
  };
  rows.insert(rows.end(), drives.begin(), drives.end());
  for (const NetworkRow& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteTestProfile();
    if (row.store) row.store();
    ASSERT_NO_FATAL_FAILURE(Open());
    row.edit(this);
    std::vector<std::wstring> shown;
    BOOL applied = FALSE;
    {
      MessageBoxAnswers answers(row.answer);
      applied = dlg->GetTabPage(kNetwork)->Apply();
      shown = answers.Texts();
    }
    std::vector<std::wstring> expected;
    for (const std::string& m : row.messages) expected.push_back(Widen(m.c_str()));
    EXPECT_EQ(expected, shown);
    EXPECT_EQ(row.applied, applied != FALSE);
    row.saved();
    Close();
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
