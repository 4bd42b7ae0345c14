// The settings dialog in the test program: a host over the fake Direct3D
// (modes, pixel shader and failures the test chooses) and the launcher's
// own application object for the registry profile, the dialog run
// modelessly so that a test reads and drives its controls directly, and a
// watcher that answers the message boxes it shows.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "d3d/launcher_device.h"
#include "settings/env_dialog.h"
#include "settings/settings_device.h"
#include "tests/d3d/fake_d3d9.h"
#include "tests/settings/settings_win_fixture.h"
#include "tests/support/test_app_win.h"
#include "tests/update/dialog_watch.h"

// A device whose Direct3D is the fake (null: the runtime is missing), or
// Wine's own when real is set.
class FakeEnvDevice : public CQuorlDevice {
 public:
  FakeD3D9* fake = nullptr;
  bool real = false;

 protected:
  IDirect3D9* NewDirect3D() override {
    if (real) return CQuorlDevice::NewDirect3D();
    if (fake == nullptr) return nullptr;
    fake->AddRef();
    return fake;
  }
};

class TestEnvHost : public CEnvDialogHost {
 public:
  TestEnvHost();
  ~TestEnvHost() override;

  BOOL InitDevice(CString& errorText) override;
  CDX3DDeviceBase& GetDevice() override { return device; }
  CGraphicSettingDevice& GetSettingsDevice() override { return settingsDevice; }
  HKEY OpenAppRegistryKey() override;

  FakeLog log;
  FakeD3D9* fake;  // owned; the adapter's modes and caps are the test's
  FakeEnvDevice device;
  CDX3DSettingsDevice settingsDevice;
  CAppDX3DDeviceRequirement requirement;
  bool noDirect3D = false;  // the device check fails as without the runtime
};

// The dialog with its result readable.
class TestEnvDialog : public CQuorlEnvDialog {
 public:
  using CQuorlEnvDialog::CQuorlEnvDialog;
  int Result() const { return m_nModalResult; }
  void ClearResult() { m_nModalResult = -1; }

  int loads = 0;  // the settings loads this dialog ran

 protected:
  void LoadEnvSettings() override {
    ++loads;
    CQuorlEnvDialog::LoadEnvSettings();
  }
};

// The helpers are public: the tables' rows call them through the fixture.
class EnvDialogTest : public SettingsWinTest {
 protected:
  void SetUp() override;
  void TearDown() override;

 public:
  // Makes the dialog (the network page reads "Login" now) and shows it.
  void Open(int standalone = FALSE);
  void Close();

  HWND Dialog() const { return dlg->GetSafeHwnd(); }
  HWND Page(int tab) const;
  HWND Item(int tab, int id) const { return ::GetDlgItem(Page(tab), id); }
  int CurSel(int tab, int id) const;
  int Count(int tab, int id) const;
  std::wstring ItemText(int tab, int id, int index) const;
  std::wstring SelText(int tab, int id) const { return ItemText(tab, id, CurSel(tab, id)); }
  // Selects an item as the user would (the page hears of the change).
  void Choose(int tab, int id, int index);
  int Check(int tab, int id) const;
  // Sets a button's state and tells the page it was clicked.
  void SetButton(int tab, int id, int state);
  void SetText(int tab, int id, const char* text);
  // Selects a tab as a click on it does (the dialog hears of the change).
  void PickTab(int tab);
  std::wstring Text(int tab, int id) const;
  std::wstring Description(int tab) const { return Text(tab, 1071); }
  bool Enabled(int tab, int id) const { return ::IsWindowEnabled(Item(tab, id)) != FALSE; }

  std::unique_ptr<TestEnvHost> host;
  std::unique_ptr<TestEnvDialog> dlg;
};

// A message box as it was shown: its text and which of the system's icons
// it carried ("error", "exclamation", "question", "information", "none").
struct ShownBox {
  std::wstring text;
  std::string icon;
  bool operator==(const ShownBox& o) const { return text == o.text && icon == o.icon; }
};
void PrintTo(const ShownBox& box, std::ostream* os);

// Answers message boxes (static 0xFFFF) with the button the test chooses
// for their text (IDOK when none is named) and records them; other dialogs
// are left alone.
class MessageBoxAnswers {
 public:
  // yesNoAnswer: the button for a question (IDYES or IDNO).  onShown, when
  // given, runs on the watcher's thread while the box is up, before it is
  // answered (to look at the dialog behind it).
  explicit MessageBoxAnswers(int yesNoAnswer = IDYES, std::function<void(HWND box)> onShown = nullptr);
  // Serves the watcher's pending reads of this thread's windows first: it
  // reads a new window's texts by messages that this thread must answer.
  ~MessageBoxAnswers();
  std::vector<std::wstring> Texts();
  std::vector<ShownBox> Boxes();

 private:
  std::mutex m_mutex;
  std::vector<ShownBox> m_boxes;
  std::unique_ptr<update_test::DialogWatcher> m_watcher;
};

// Registry text of a REG_SZ value without its terminator.
std::string RegText(const RegValue& v);
// The fake's adapter: 800 x 600, 1024 x 768 and 1280 x 1024 in X8R8G8B8 and
// R5G6B5; pixel shader 2.0 unless told otherwise.
FakeAdapter EnvTestAdapter(bool pixelShader20 = true);
