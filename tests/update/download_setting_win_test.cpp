// The download settings against the real (Wine) registry and file system.
#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/scramble.h"
#include "update/download_setting.h"

namespace {

std::string TempFolder() {
  char buf[MAX_PATH];
  const DWORD n = ::GetTempPathA(sizeof buf, buf);
  std::string t(buf, n);
  if (t.empty() || t.back() != '\\') t += '\\';
  return t;
}

// A private application key, removed again after each test.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_keyPath = "Software\\Halvane\\QuorlDownloadTest" + std::to_string(::GetCurrentProcessId());
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, &m_app, nullptr));
  }
  void TearDown() override {
    ::RegCloseKey(m_app);
    ::SHDeleteKeyA(HKEY_CURRENT_USER, m_keyPath.c_str());
    for (const std::string& f : m_folders) ::RemoveDirectoryA(f.c_str());
  }

 public:
  HKEY LoginKey() {
    HKEY h = nullptr;
    ::RegCreateKeyExA(m_app, "Login", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    return h;
  }
  void PutRaw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY h = LoginKey();
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size));
    ::RegCloseKey(h);
  }
  void PutString(const char* name, const std::string& text) {
    PutRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  void PutDword(const char* name, DWORD value) { PutRaw(name, REG_DWORD, &value, sizeof value); }
  // The stored value: its type and bytes; type 0 when missing.
  DWORD Get(const char* name, std::string* bytes = nullptr) {
    HKEY h = LoginKey();
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = ::RegQueryValueExA(h, name, nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS && bytes != nullptr) {
      bytes->assign(size, '\0');
      ::RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(&(*bytes)[0]), &size);
    }
    ::RegCloseKey(h);
    return rc == ERROR_SUCCESS ? type : 0;
  }
  std::string GetString(const char* name) {
    std::string bytes;
    if (Get(name, &bytes) != REG_SZ) return "<missing>";
    return std::string(bytes.c_str());
  }
  DWORD GetDword(const char* name) {
    std::string bytes;
    if (Get(name, &bytes) != REG_DWORD || bytes.size() != 4) return 0xDEADBEEF;
    return *reinterpret_cast<const DWORD*>(bytes.data());
  }
  std::string MakeFolder(const std::string& name) {
    const std::string path = TempFolder() + name + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(path.c_str(), nullptr);
    m_folders.push_back(path);
    return path;
  }

  std::string m_keyPath;
  HKEY m_app = nullptr;
  std::vector<std::string> m_folders;
};

std::string Scrambled(const char* plain) {
  char* out = nullptr;
  EXPECT_TRUE(ScrambleEncodeStringWithSeed(plain, kProxyPasswordKey, 987654u, &out));
  std::string s = out != nullptr ? out : "";
  ScrambleFreeString(out);
  return s;
}

TEST_F(SettingsTest, LoadReadsEachStoredCombination) {
  struct Case {
    const char* name;
    void (*store)(SettingsTest&);
    int mode;
    const char* server;
    const char* user;
    const char* password;
    const char* path;
  };
  const Case cases[] = {
      {"nothing stored", [](SettingsTest&) {}, kProxySystem, "", "", "", ""},
      {"direct whatever the server says",
       [](SettingsTest& t) {
         t.PutDword("UseProxy", 0);
         t.PutString("ProxyServer", "proxy.example:3128");
       },
       kProxyDirect, "proxy.example:3128", "", "", ""},
      {"use proxy, no server: system settings", [](SettingsTest& t) { t.PutDword("UseProxy", 1); }, kProxySystem, "",
       "", "", ""},
      {"no UseProxy, a server: named proxy", [](SettingsTest& t) { t.PutString("ProxyServer", "p:8080"); }, kProxyNamed,
       "p:8080", "", "", ""},
      {"UseProxy of the wrong type counts as missing",
       [](SettingsTest& t) {
         t.PutString("UseProxy", "0");
         t.PutString("ProxyServer", "p:8080");
       },
       kProxyNamed, "p:8080", "", "", ""},
      {"named proxy with user and scrambled password",
       [](SettingsTest& t) {
         t.PutDword("UseProxy", 1);
         t.PutString("ProxyServer", "p:8080");
         t.PutString("ProxyUser", "alice");
         t.PutString("ProxyPasswd", Scrambled("s3cret"));
         t.PutString("DownloadPath", "C:\\Downloads");
       },
       kProxyNamed, "p:8080", "alice", "s3cret", "C:\\Downloads"},
      {"a password that does not unscramble is left out",
       [](SettingsTest& t) {
         t.PutString("ProxyServer", "p:8080");
         t.PutString("ProxyPasswd", "@@");
       },
       kProxyNamed, "p:8080", "", "", ""},
      {"texts of another type are missing",
       [](SettingsTest& t) {
         t.PutRaw("ProxyServer", REG_BINARY, "p:1", 4);
         t.PutRaw("ProxyUser", REG_EXPAND_SZ, "bob", 4);
       },
       kProxySystem, "", "", "", ""},
      {"a text stored without its NUL", [](SettingsTest& t) { t.PutRaw("ProxyServer", REG_SZ, "host:81", 7); },
       kProxyNamed, "host:81", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::RegDeleteKeyA(m_app, "Login");
    c.store(*this);
    CBaseBinaryDownloadSetting s(m_app, TRUE, FALSE);
    EXPECT_EQ(c.mode, s.m_nProxyMode);
    EXPECT_STREQ(c.server, s.m_strProxyServer);
    EXPECT_STREQ(c.user, s.m_strProxyUser);
    EXPECT_STREQ(c.password, s.m_strProxyPassword);
    EXPECT_STREQ(c.path, s.m_strDownloadPath);
  }
}

TEST_F(SettingsTest, SaveWritesByTheProxyMode) {
  const std::string folder = MakeFolder("quorl_dl_save");
  struct Case {
    int mode;
    DWORD useProxy;
    const char* server;  // as stored
    bool credentials;    // user and password stored (else deleted)
  };
  const Case cases[] = {
      {kProxySystem, 1, "", false},
      {kProxyDirect, 0, "held.example:1", false},
      {kProxyNamed, 1, "held.example:1", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    // Old values, so that deleting them shows.
    PutString("ProxyUser", "old user");
    PutString("ProxyPasswd", Scrambled("old"));
    PutString("DownloadPath", "C:\\old");
    CBaseBinaryDownloadSetting s(m_app, FALSE, FALSE);
    s.m_nProxyMode = c.mode;
    s.m_strProxyServer = "held.example:1";
    s.m_strProxyUser = "carol";
    s.m_strProxyPassword = "pa55 word";
    s.m_strDownloadPath = folder.c_str();
    s.Save();
    EXPECT_EQ(c.useProxy, GetDword("UseProxy"));
    EXPECT_EQ(c.server, GetString("ProxyServer"));
    if (c.credentials) {
      EXPECT_EQ("carol", GetString("ProxyUser"));
      const std::string stored = GetString("ProxyPasswd");
      EXPECT_EQ(std::string::npos, stored.find("pa55"));
      CString back;
      EXPECT_TRUE(UnscrambleProxyPassword(stored.c_str(), back));
      EXPECT_STREQ("pa55 word", back);
    } else {
      EXPECT_EQ(0u, Get("ProxyUser"));
      EXPECT_EQ(0u, Get("ProxyPasswd"));
    }
    EXPECT_EQ(folder + "\\", GetString("DownloadPath"));
  }
}

TEST_F(SettingsTest, SavedSettingsLoadAgain) {
  CBaseBinaryDownloadSetting out(m_app, FALSE, FALSE);
  out.SetProxy(TRUE, FALSE, "proxy.example", 3128, "dave", "pw");
  out.Save();
  CBaseBinaryDownloadSetting in(m_app, TRUE, FALSE);
  EXPECT_EQ(kProxyNamed, in.m_nProxyMode);
  EXPECT_STREQ("proxy.example:3128", in.m_strProxyServer);
  EXPECT_STREQ("dave", in.m_strProxyUser);
  EXPECT_STREQ("pw", in.m_strProxyPassword);
  CString host;
  CString port;
  in.SplitHostPort(host, port);
  EXPECT_STREQ("proxy.example", host);
  EXPECT_STREQ("3128", port);
  EXPECT_TRUE(out.Save());
  // An empty password in named mode is stored as an empty text.
  out.SetProxy(TRUE, FALSE, "p", 1, "", "");
  out.Save();
  EXPECT_EQ("", GetString("ProxyPasswd"));
  CBaseBinaryDownloadSetting again(m_app, TRUE, FALSE);
  EXPECT_STREQ("", again.m_strProxyPassword);
}

TEST_F(SettingsTest, SetProxyPicksTheMode) {
  CBaseBinaryDownloadSetting s(m_app, FALSE, FALSE);
  s.SetProxy(FALSE, FALSE, "h", 1, "u", "p");
  EXPECT_EQ(kProxyDirect, s.m_nProxyMode);
  EXPECT_STREQ("", s.m_strProxyServer);
  EXPECT_STREQ("", s.m_strProxyUser);
  s.SetProxy(TRUE, TRUE, "h", 1, "u", "p");
  EXPECT_EQ(kProxySystem, s.m_nProxyMode);
  EXPECT_STREQ("", s.m_strProxyServer);
  EXPECT_STREQ("u", s.m_strProxyUser);
  s.SetProxy(TRUE, FALSE, "", 1, nullptr, nullptr);  // no host: system settings
  EXPECT_EQ(kProxySystem, s.m_nProxyMode);
  EXPECT_STREQ("", s.m_strProxyUser);
  s.SetProxy(TRUE, FALSE, "h", 8080, "u", "p");
  EXPECT_EQ(kProxyNamed, s.m_nProxyMode);
  EXPECT_STREQ("h:8080", s.m_strProxyServer);
  EXPECT_STREQ("p", s.m_strProxyPassword);
}

// Drive types the test machine does not have.
class FakeDrives : public CBaseBinaryDownloadSetting {
 public:
  FakeDrives(HKEY key, UINT type) : CBaseBinaryDownloadSetting(key, FALSE, FALSE), m_type(type) {}

 protected:
  UINT QueryDriveType(const char*) override { return m_type; }

 private:
  UINT m_type;
};

TEST_F(SettingsTest, TheFolderRule) {
  const std::string folder = MakeFolder("quorl_dl_rule");
  const std::string file = TempFolder() + "quorl_dl_file" + std::to_string(::GetCurrentProcessId()) + ".txt";
  HANDLE h = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ::CloseHandle(h);
  char nethood[MAX_PATH] = {};
  ASSERT_TRUE(::SHGetSpecialFolderPathA(nullptr, nethood, CSIDL_NETHOOD, TRUE));
  const std::string underNethood = std::string(nethood) + "\\share link";
  ::CreateDirectoryA(underNethood.c_str(), nullptr);
  m_folders.push_back(underNethood);
  struct Case {
    std::string path;
    bool ok;
    std::string out;
  };
  // Only a fixed drive is taken: what the prefix's drives are is asked.
  const bool tempFixed = ::GetDriveTypeA(folder.substr(0, 3).c_str()) == DRIVE_FIXED;
  const UINT cType = ::GetDriveTypeA("C:\\");
  const bool cFixed = cType == DRIVE_FIXED;
  const Case cases[] = {
      {folder, tempFixed, folder + "\\"},
      {folder + "\\", tempFixed, folder + "\\"},
      {folder + "\\\\", tempFixed, folder + "\\"},
      {"C:", cFixed, "C:\\"},
      {"C:\\", cFixed, "C:\\"},
      {"c:\\", cFixed, "c:\\"},
      {folder + "\\missing", false, ""},
      {file, false, ""},
      {"\\\\server\\share\\dir", false, ""},
      {"relative\\dir", false, ""},
      {underNethood, false, ""},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CBaseBinaryDownloadSetting s(m_app, FALSE, FALSE);
    CString out = "untouched";
    EXPECT_EQ(c.ok, s.ValidateFolder(c.path.c_str(), out) != FALSE);
    if (c.ok) {
      EXPECT_STREQ(c.out.c_str(), out);
    }
    // The download folder falls back to the temporary folder.
    s.m_strDownloadPath = c.path.c_str();
    CString folderOut;
    EXPECT_EQ(c.ok, s.GetDownloadFolder(folderOut) != FALSE);
    EXPECT_STREQ(c.ok ? c.out.c_str() : TempFolder().c_str(), folderOut);
  }
  ::DeleteFileA(file.c_str());

  CBaseBinaryDownloadSetting s(m_app, FALSE, FALSE);
  EXPECT_EQ(cType, s.CheckDrive("C:\\windows"));
  EXPECT_EQ(static_cast<UINT>(DRIVE_REMOTE), s.CheckDrive("\\\\server\\share\\dir"));
  EXPECT_EQ(static_cast<UINT>(DRIVE_REMOTE), s.CheckDrive(underNethood.c_str()));
  for (UINT type : {DRIVE_REMOVABLE, DRIVE_CDROM, DRIVE_REMOTE, DRIVE_RAMDISK}) {
    SCOPED_TRACE(type);
    FakeDrives fake(m_app, type);
    CString out;
    EXPECT_EQ(type, fake.CheckDrive(folder.c_str()));
    EXPECT_FALSE(fake.ValidateFolder(folder.c_str(), out));
  }
}

TEST_F(SettingsTest, AFailingDownloadPathIsDeletedOnSave) {
  const std::string folder = MakeFolder("quorl_dl_gone");
  PutString("DownloadPath", folder);
  CBaseBinaryDownloadSetting s(m_app, TRUE, FALSE);
  EXPECT_STREQ(folder.c_str(), s.m_strDownloadPath);
  ::RemoveDirectoryA(folder.c_str());
  s.Save();
  EXPECT_EQ(0u, Get("DownloadPath"));
  CString out;
  EXPECT_FALSE(GetDownloadFolder(m_app, out));
  EXPECT_STREQ(TempFolder().c_str(), out);
}

TEST_F(SettingsTest, CheckFolderKeepsOnlyAPassingPath) {
  const std::string folder = MakeFolder("quorl_dl_check");
  CBaseBinaryDownloadSetting s(m_app, FALSE, FALSE);
  EXPECT_TRUE(s.CheckFolder(FALSE, folder.c_str()));
  EXPECT_STREQ((folder + "\\").c_str(), s.m_strDownloadPath);
  EXPECT_FALSE(s.CheckFolder(FALSE, (folder + "\\nope").c_str()));
  EXPECT_STREQ("", s.m_strDownloadPath);
  s.m_strDownloadPath = "x";
  EXPECT_TRUE(s.CheckFolder(TRUE, folder.c_str()));
  EXPECT_STREQ("", s.m_strDownloadPath);
  EXPECT_TRUE(s.CheckFolder(FALSE, nullptr));
  s.Save();
  EXPECT_EQ(0u, Get("DownloadPath"));
  // Through the free function, as the scripts ask for it.
  PutString("DownloadPath", folder);
  CString out;
  EXPECT_TRUE(GetDownloadFolder(m_app, out));
  EXPECT_STREQ((folder + "\\").c_str(), out);
}

TEST_F(SettingsTest, ReadGameFolder) {
  struct Case {
    const char* name;
    DWORD type;
    std::string data;  // stored as is (a NUL only when written here)
    std::string out;
  };
  const std::string long260(260, 'a');
  const Case cases[] = {
      {"folder", REG_SZ, std::string("C:\\Games\\Quorl") + '\0', "C:\\Games\\Quorl\\"},
      {"folder with backslash", REG_SZ, std::string("C:\\Games\\Quorl\\") + '\0', "C:\\Games\\Quorl\\"},
      {"empty", REG_SZ, std::string(1, '\0'), ""},
      {"expandable text", REG_EXPAND_SZ, std::string("%ProgramFiles%\\Quorl") + '\0', ""},
      {"a number", REG_DWORD, std::string("\x01\x00\x00\x00", 4), ""},
      {"no NUL stored", REG_SZ, "D:\\Q", "D:\\Q\\"},
      {"260 characters", REG_SZ, long260 + '\0', long260 + "\\"},
      {"260 characters without NUL", REG_SZ, long260, long260 + "\\"},
      {"too long", REG_SZ, long260 + "bc" + '\0', ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegSetValueExA(m_app, "GameFolder", 0, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                               static_cast<DWORD>(c.data.size())));
    CString out = "old";
    ReadGameFolder(m_app, out);
    EXPECT_STREQ(c.out.c_str(), out);
  }
  ::RegDeleteValueA(m_app, "GameFolder");
  CString out = "old";
  ReadGameFolder(m_app, out);
  EXPECT_STREQ("", out);
  ReadGameFolder(nullptr, out);
  EXPECT_STREQ("", out);
}

TEST_F(SettingsTest, NoApplicationKeyGivesDefaults) {
  CBaseBinaryDownloadSetting s(nullptr, TRUE, TRUE);
  EXPECT_EQ(kProxySystem, s.m_nProxyMode);
  EXPECT_EQ(nullptr, s.OpenSubKey("Login"));
  EXPECT_FALSE(s.WriteDword("Login", "UseProxy", 0));
  EXPECT_FALSE(s.Save());  // nothing to write to: told, and nothing breaks
  CString out;
  EXPECT_FALSE(s.GetDownloadFolder(out));
  EXPECT_STREQ(TempFolder().c_str(), out);
  // Without an application object the free functions see no key either.
  CString game = "x";
  ReadGameFolder(game);
  EXPECT_STREQ("", game);
  EXPECT_FALSE(GetDownloadFolder(out));
}

}  // namespace
