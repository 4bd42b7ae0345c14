// The settings dialog on a machine without sound, for real: this program
// sees Wine's audio-driver list empty ("Audio" = "" under
// HKCU\Software\Wine\Drivers), so that the sound test finds no device.
// Only this process sees it: its HKEY_CURRENT_USER is a private key of its
// own (removed at the end), and the programs running beside it keep their
// sound.
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>

#include "res/resource.h"
#include "settings/env_settings_win.h"
#include "tests/settings/env_dialog_fixture.h"

namespace {

constexpr int kGlobal = 0, kNetwork = 4;

DWORD Dword(const char* section, const char* name) { return ReadRegValue(section, name).AsDword(); }

class NoAudioDrivers : public testing::Environment {
 public:
  void SetUp() override {
    // The display driver reads its settings from the real key when it
    // starts: start it first, with a window.
    m_wnd = ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, m_wnd);
    // A stable key of its own, whatever key the sound tests' child left:
    // that child's key is volatile, and a volatile parent refuses the
    // stable keys the dialog writes below this root.
    std::snprintf(m_name, sizeof m_name, "Software\\QuorlNoAudioTest%lu", ::GetCurrentProcessId());
    HKEY root = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExA(HKEY_CURRENT_USER, m_name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr));
    HKEY drivers = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(root, "Software\\Wine\\Drivers", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               &drivers, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(drivers, "Audio", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1));
    ::RegCloseKey(drivers);
    ASSERT_EQ(ERROR_SUCCESS, ::RegOverridePredefKey(HKEY_CURRENT_USER, root));
    ::RegCloseKey(root);
  }
  void TearDown() override {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::SHDeleteKeyA(HKEY_CURRENT_USER, m_name);
    ::DestroyWindow(m_wnd);
  }

 private:
  HWND m_wnd = nullptr;
  char m_name[64] = {};
};

const testing::Environment* const kNoAudio = testing::AddGlobalTestEnvironment(new NoAudioDrivers);

TEST_F(EnvDialogTest, WithoutASoundDeviceTheBoxesAreOffDisabledAndOkMutes) {
  ASSERT_FALSE(IsSoundAvailable(window)) << "the sound test still finds a device";
  WriteRegDword("sound", "bgm_mute", 0);
  WriteRegDword("sound", "se_mute", 0);
  ASSERT_NO_FATAL_FAILURE(Open());
  for (int id : {IDC_ENV_BGM, IDC_ENV_SOUND_EFFECTS}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(BST_UNCHECKED, Check(kGlobal, id));
    EXPECT_FALSE(Enabled(kGlobal, id));
  }
  dlg->OnOK();
  EXPECT_EQ(IDOK, dlg->Result());
  EXPECT_EQ(1u, Dword("sound", "bgm_mute"));
  EXPECT_EQ(1u, Dword("sound", "se_mute"));
}

// After Reset the availability flags are 1 until the next opening: the
// boxes come back checked but stay disabled, and OK stores both unmuted
// (with the network defaults).
TEST_F(EnvDialogTest, ResetThenOkWithoutASoundDeviceStoresUnmuted) {
  WriteRegDword("sound", "bgm_mute", 1);
  WriteRegDword("sound", "se_mute", 1);
  WriteRegDword("Login", "UseProxy", 0);
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(BST_UNCHECKED, Check(kGlobal, IDC_ENV_BGM));
  ::SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_ENV_RESET, BN_CLICKED), 0);
  for (int id : {IDC_ENV_BGM, IDC_ENV_SOUND_EFFECTS}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(BST_CHECKED, Check(kGlobal, id));
    EXPECT_FALSE(Enabled(kGlobal, id));
  }
  EXPECT_EQ(BST_CHECKED, Check(kNetwork, IDC_NET_USE_PROXY));
  dlg->OnOK();
  EXPECT_EQ(IDOK, dlg->Result());
  EXPECT_EQ(0u, Dword("sound", "bgm_mute"));
  EXPECT_EQ(0u, Dword("sound", "se_mute"));
  EXPECT_EQ(1u, Dword("Login", "UseProxy"));
}

}  // namespace
