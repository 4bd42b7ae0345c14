// The installed-version store against the real (Wine) registry: "PL" under
// the application's key, written here with plain registry calls as the
// game's installation would, in every shape a damaged installation leaves.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstdlib>
#include <string>

#include "app/localize.h"
#include "framework/afxwin.h"
#include "tests/update/pl_encoder.h"
#include "update/version_store.h"
#include "update/version_store_win.h"

namespace {

const uint32_t kKey = GetServiceIdForCodePage(949);
const char kCompany[] = "QuorlTests";

// The application object whose registry key the store opens.
CWinApp& TestApp() {
  static CWinApp app("QuorlVersionStoreTest");
  static bool done = false;
  if (!done) {
    done = true;
    app.SetRegistryKey(kCompany);
    std::free(const_cast<char*>(app.m_pszProfileName));
    app.m_pszProfileName = _strdup(("PL-" + std::to_string(::GetCurrentProcessId())).c_str());
  }
  return app;
}

class VersionStoreRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = TestApp().GetAppRegistryKey();
    ASSERT_NE(nullptr, key_);
    ::RegDeleteValueA(key_, "PL");
  }
  void TearDown() override {
    if (key_ != nullptr) ::RegCloseKey(key_);
    const std::string path = std::string("Software\\") + kCompany + "\\" + TestApp().m_pszProfileName;
    ::SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
  }
  void Store(DWORD type, const std::string& bytes) {
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key_, "PL", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                              static_cast<DWORD>(bytes.size())));
  }
  HKEY key_ = nullptr;
};

std::string Z(const std::string& text) { return text + std::string(1, '\0'); }

TEST_F(VersionStoreRegistry, StoredShapes) {
  const std::string good = pl_encoder::Encode(1002003, 2001000, kKey);
  const std::string noBar = pl_encoder::Wrap(pl_encoder::PlainFields(1002003, 2001000, kKey, false), kKey);
  const std::string single = pl_encoder::Wrap("1234abcd|", kKey);
  const DWORD dword = 0x01020304;
  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;  // stored exactly
    int result;
  };
  const Case cases[] = {
      {"REG_SZ with terminator", REG_SZ, Z(good), 1},
      {"REG_SZ without any NUL", REG_SZ, good, 1},
      {"REG_SZ without the final bar", REG_SZ, Z(noBar), 1},
      {"REG_SZ with a single field", REG_SZ, Z(single), 0},
      {"REG_SZ cut short", REG_SZ, good.substr(0, good.size() - 3), 0},
      {"REG_SZ cut short, terminated", REG_SZ, Z(good.substr(0, good.size() - 3)), 0},
      {"REG_SZ ending at a NUL inside", REG_SZ, Z(good.substr(0, 10)) + Z(good.substr(10)), 0},
      {"REG_SZ empty", REG_SZ, std::string(), 0},
      {"REG_SZ far too long", REG_SZ, Z(good + std::string(5000, 'A')), 0},
      {"REG_EXPAND_SZ", REG_EXPAND_SZ, Z(good), 0},
      {"REG_BINARY with a good text", REG_BINARY, Z(good), 0},
      {"REG_DWORD", REG_DWORD, std::string(reinterpret_cast<const char*>(&dword), sizeof dword), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Store(c.type, c.bytes);
    CMMORPGBaseVersionInfo store;
    uint32_t game = 0xDEAD, launcher = 0xBEEF;
    EXPECT_EQ(c.result, store.ReadVersions(kKey, &game, &launcher));
    if (c.result == 1) {
      EXPECT_EQ(1002003u, game);
      EXPECT_EQ(2001000u, launcher);
    } else if (c.type != REG_SZ || c.bytes.empty()) {
      EXPECT_EQ(0u, game) << "refused unread";
      EXPECT_EQ(0u, launcher);
    }
    ::RegDeleteValueA(key_, "PL");
  }
}

TEST_F(VersionStoreRegistry, MissingValueAndOutputsThatMayBeNone) {
  CMMORPGBaseVersionInfo store;
  uint32_t game = 7, launcher = 7;
  EXPECT_EQ(0, store.ReadVersions(kKey, &game, &launcher));
  EXPECT_EQ(0u, game);
  EXPECT_EQ(0u, launcher);

  Store(REG_SZ, Z(pl_encoder::Encode(5000000, 6000000, kKey)));
  EXPECT_EQ(1, store.ReadVersions(kKey, nullptr, &launcher));
  EXPECT_EQ(6000000u, launcher);
  EXPECT_EQ(1, store.ReadVersions(kKey, &game, nullptr));
  EXPECT_EQ(5000000u, game);
  EXPECT_EQ(kKey, store.MaskKey(kKey, 0));
  EXPECT_EQ(0, store.ReadRegistryPair(nullptr, kKey, &game, &launcher));
  EXPECT_EQ(0u, game);
  EXPECT_EQ(0u, launcher);

  uint32_t values[2];
  EXPECT_EQ(1, CMMORPGBaseVersionInfo::ReadScrambledValues(key_, kKey, values, 2));
  EXPECT_EQ(pl_encoder::Swap(5000000u) ^ kKey, values[0]);
}

TEST_F(VersionStoreRegistry, NoApplicationKey) {
  CWinApp& app = TestApp();
  const char* saved = app.m_pszRegistryKey;
  app.m_pszRegistryKey = nullptr;
  CMMORPGBaseVersionInfo store;
  uint32_t game = 7, launcher = 7;
  EXPECT_EQ(0, store.ReadVersions(kKey, &game, &launcher));
  app.m_pszRegistryKey = saved;
  EXPECT_EQ(0u, game);
  EXPECT_EQ(0u, launcher);
}

TEST_F(VersionStoreRegistry, NeverWritesTheValue) {
  const std::string stored = Z(pl_encoder::Encode(1, 2, kKey).substr(0, 20));  // unreadable
  Store(REG_SZ, stored);
  CMMORPGBaseVersionInfo store;
  uint32_t game, launcher;
  EXPECT_EQ(0, store.ReadVersions(kKey, &game, &launcher));
  char back[64] = {};
  DWORD type = 0, size = sizeof back;
  ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExA(key_, "PL", nullptr, &type, reinterpret_cast<BYTE*>(back), &size));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(stored, std::string(back, size));
}

TEST_F(VersionStoreRegistry, ProfileFileForm) {
  char dir[MAX_PATH];
  ASSERT_NE(0u, ::GetTempPathA(sizeof dir, dir));
  const std::string ini = std::string(dir) + "quorl-pl-" + std::to_string(::GetCurrentProcessId()) + ".ini";
  ASSERT_TRUE(
      ::WritePrivateProfileStringA("Main", "PL", pl_encoder::Encode(3000000, 4000000, kKey).c_str(), ini.c_str()));
  CWinApp& app = TestApp();
  const char* saved = app.m_pszProfileName;
  app.m_pszProfileName = ini.c_str();
  CMMORPGBaseVersionInfo store;
  uint32_t game = 0, launcher = 0;
  const int result = store.ReadVersions(kKey, &game, &launcher, 1);
  app.m_pszProfileName = saved;
  ::DeleteFileA(ini.c_str());
  EXPECT_EQ(1, result);
  EXPECT_EQ(3000000u, game);
  EXPECT_EQ(4000000u, launcher);
}

}  // namespace
