// The About box in the test program: its version line from the real "PL"
// through the program's own host, and the box as the stand-alone settings
// dialog's system menu runs it (the name in a bold copy of the dialog's
// font, the link with the host's home page).  Fonts are read here, in the
// box's own process: another process cannot read them reliably.
#include "settings/about_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "res/resource.h"
#include "tests/settings/env_dialog_fixture.h"
#include "tests/update/pl_encoder.h"
#include "app/launcher_app.h"

namespace {

const char kHome[] = "http://kr.quorl.example/";

LOGFONTA FontOf(HWND wnd) {
  LOGFONTA lf = {};
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(wnd, WM_GETFONT, 0, 0));
  if (font != nullptr) ::GetObjectA(font, sizeof lf, &lf);
  return lf;
}

std::string WindowTextOf(HWND wnd) {
  char text[256] = {};
  ::GetWindowTextA(wnd, text, sizeof text);
  return text;
}

void WritePl(DWORD type, const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            ::RegCreateKeyExA(HKEY_CURRENT_USER, kTestAppKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key, "PL", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size())));
  ::RegCloseKey(key);
}

void DeletePl() {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kTestAppKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  ::RegDeleteValueA(key, "PL");
  ::RegCloseKey(key);
}

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

// Through the program's own host: "PL" read by the version store, the
// version formatted as everywhere in the launcher; anything unreadable is
// version 0.
TEST_F(SettingsWinTest, AboutVersionFromTheInstalledVersions) {
  const uint32_t service = SettingsTestApp().GetServiceId();
  struct Case {
    const char* name;
    DWORD type;  // REG_NONE: no "PL"
    std::string bytes;
    const char* expected;
  } const cases[] = {
      {"both readable", REG_SZ, Sz(pl_encoder::Encode(1002003, 2004000, service)), "Version 2.004"},
      {"the launcher's thousands", REG_SZ, Sz(pl_encoder::Encode(3000000, 1000999, service)), "Version 1.000"},
      {"no PL", REG_NONE, "", "Version 0.000"},
      {"PL of the wrong type", REG_DWORD, std::string("\x01\x02\x03\x04", 4), "Version 0.000"},
      {"PL damaged", REG_SZ, Sz("not a version value"), "Version 0.000"},
      {"PL for another service", REG_SZ, Sz(pl_encoder::Encode(1002003, 2004000, service + 1)), "Version 0.000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeletePl();
    if (c.type != REG_NONE) {
      ASSERT_NO_FATAL_FAILURE(WritePl(c.type, c.bytes));
    }
    CAboutDialog box(GetEnvDialogAppHost());
    EXPECT_STREQ(c.expected, box.GetVersionText().GetString());
    ASSERT_TRUE(box.Create(IDD_ABOUTBOX, nullptr));
    EXPECT_EQ(c.expected, WindowTextOf(::GetDlgItem(box.m_hWnd, IDC_ABOUT_VERSION)));
    // The application's code page here is the prefix's, 949.
    EXPECT_EQ(kHome, WindowTextOf(::GetDlgItem(box.m_hWnd, IDC_ABOUT_LINK)));
    box.DestroyWindow();
  }
  DeletePl();
}

// A host with an installation and a home page of the test's own.
class AboutHost : public TestEnvHost {
 public:
  bool ReadInstalledVersions(uint32_t* game, uint32_t* launcher) override {
    *game = 1001000;
    *launcher = 7042000;
    return true;
  }
  const char* GetHomePageURL() override { return kHome; }
};

// What the box shows, read while it runs modally.
struct SeenBox {
  bool seen = false;
  HWND owner = nullptr;
  std::string version, linkText, linkUrl;
  bool linkIsLinkStatic = false;
  LOGFONTA dialogFont = {}, nameFont = {};
  bool nameFontOwn = false;
};

SeenBox ReadBox(HWND box) {
  SeenBox s;
  s.seen = true;
  s.owner = ::GetWindow(box, GW_OWNER);
  s.version = WindowTextOf(::GetDlgItem(box, IDC_ABOUT_VERSION));
  HWND link = ::GetDlgItem(box, IDC_ABOUT_LINK);
  s.linkText = WindowTextOf(link);
  CWnd* bound = CWnd::FromHandlePermanent(link);
  s.linkIsLinkStatic = bound != nullptr && bound->IsKindOf(RUNTIME_CLASS(CLinkURLStatic));
  if (s.linkIsLinkStatic) s.linkUrl = static_cast<CLinkURLStatic*>(bound)->GetURL().GetString();
  s.dialogFont = FontOf(box);
  s.nameFont = FontOf(::GetDlgItem(box, IDC_ABOUT_NAME));
  s.nameFontOwn =
      ::SendMessageA(::GetDlgItem(box, IDC_ABOUT_NAME), WM_GETFONT, 0, 0) != ::SendMessageA(box, WM_GETFONT, 0, 0);
  return s;
}

// The system menu's About item (0x10, as the menu posts it) runs the box
// modally over the stand-alone dialog; from the launcher the item is not
// there and the command runs nothing.
TEST_F(EnvDialogTest, AboutItemRunsTheBoxOnlyWhenStandalone) {
  host = std::make_unique<AboutHost>();
  for (int standalone : {FALSE, TRUE}) {
    SCOPED_TRACE(standalone ? "standalone" : "from the launcher");
    SeenBox box;
    HWND settings = nullptr;
    bool closedBox = false;
    update_test::DialogWatcher watcher([&](const update_test::SeenDialog& seen) {
      if (::GetDlgItem(seen.hwnd, IDC_ENV_TAB) != nullptr) {
        settings = seen.hwnd;
        ::PostMessageA(settings, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        // From the launcher nothing comes: close the dialog after a while.
        if (!standalone) {
          ::Sleep(1000);
          update_test::Press(settings, IDCANCEL);
        }
      } else if (::GetDlgItem(seen.hwnd, IDC_ABOUT_LINK) != nullptr) {
        box = ReadBox(seen.hwnd);
        update_test::Press(seen.hwnd, IDOK);
        closedBox = true;
        update_test::PumpUntil([&] { return !::IsWindow(seen.hwnd); }, 5000);
        update_test::Press(settings, IDCANCEL);
      }
    });
    TestEnvDialog dialog(*host, standalone, nullptr);
    // As the settings-only start does: the dialog is the main window.
    CWnd* main = AfxGetApp()->m_pMainWnd;
    if (standalone) AfxGetApp()->m_pMainWnd = &dialog;
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    AfxGetApp()->m_pMainWnd = main;
    // The main window's end ends the program: not this test program.
    MSG quit;
    while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    EXPECT_EQ(standalone != 0, box.seen);
    if (!standalone) continue;
    EXPECT_TRUE(closedBox);
    EXPECT_EQ(settings, box.owner) << "no parent: the settings dialog, the main window here, owns it";
    EXPECT_EQ("Version 7.042", box.version);
    EXPECT_TRUE(box.linkIsLinkStatic);
    EXPECT_EQ(kHome, box.linkText);
    EXPECT_EQ(kHome, box.linkUrl);
    // The name: the dialog's font made bold, nothing else changed.
    EXPECT_TRUE(box.nameFontOwn);
    EXPECT_EQ(FW_BOLD, box.nameFont.lfWeight);
    EXPECT_NE(FW_BOLD, box.dialogFont.lfWeight);
    EXPECT_EQ(box.dialogFont.lfHeight, box.nameFont.lfHeight);
    EXPECT_STREQ(box.dialogFont.lfFaceName, box.nameFont.lfFaceName);
    EXPECT_EQ(box.dialogFont.lfCharSet, box.nameFont.lfCharSet);
  }
}

// A host without an installation or a home page: "0.000" and an empty
// link, which opens and copies nothing.
TEST_F(EnvDialogTest, AboutBoxOfAHostWithoutAnInstallation) {
  CAboutDialog box(*host);
  EXPECT_STREQ("Version 0.000", box.GetVersionText().GetString());
  ASSERT_TRUE(box.Create(IDD_ABOUTBOX, nullptr));
  EXPECT_EQ("", WindowTextOf(::GetDlgItem(box.m_hWnd, IDC_ABOUT_LINK)));
  EXPECT_FALSE(box.GetLink().HitTestText(1, 1));
  box.DestroyWindow();
}

}  // namespace
