// Dialogs: the modal loop, data exchange both ways, validation that keeps
// the dialog open with the user's input, and owner handling.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/framework/fw_test_app.h"
#include "tests/framework/fw_test_res.h"

namespace {

// A dialog driven by a script of steps run on its timer, one per tick.
class CScriptedDialog : public CDialog {
 public:
  explicit CScriptedDialog(CWnd* pParent = nullptr) : CDialog(IDD_TEST_DIALOG, pParent) {}

  CString m_name = "initial";
  int m_count = 3;
  int m_check = 1;
  int m_radio = 2;
  std::vector<std::function<void(CScriptedDialog&)>> steps;
  size_t next = 0;
  int ticks = 0;
  HWND ownerSeen = nullptr;
  BOOL ownerEnabledWhileModal = TRUE;

  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, IDC_NAME, m_name);
    DDX_Text(pDX, IDC_COUNT, m_count);
    DDV_MinMaxInt(pDX, m_count, 0, 100);
    DDX_Check(pDX, IDC_CHECK, m_check);
    DDX_Radio(pDX, IDC_RADIO1, m_radio);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    ownerSeen = ::GetWindow(m_hWnd, GW_OWNER);
    if (ownerSeen != nullptr) ownerEnabledWhileModal = ::IsWindowEnabled(ownerSeen);
    SetTimer(1, 20);
    return TRUE;
  }
  void OnTimer(UINT_PTR) {
    // A safety net: a broken step must not leave the dialog up for ever.
    if (++ticks > 300) EndDialog(IDABORT);
    if (next < steps.size()) steps[next++](*this);
  }
  CString Text(int id) {
    CString s;
    GetDlgItemText(id, s);
    return s;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CScriptedDialog, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp().Reset(); }
  void TearDown() override { TestApp().Reset(); }
};

// A message box shown while a modal dialog is up belongs to that dialog,
// with or without a main window below it, so that it cannot come up behind
// it.
TEST_F(DialogTest, MessageBoxDuringAModalDialogIsOwnedByIt) {
  for (bool withMain : {true, false}) {
    SCOPED_TRACE(withMain ? "over the main window" : "without a main window");
    CFrameWnd* frame = nullptr;
    if (withMain) {
      frame = new CFrameWnd;
      ASSERT_TRUE(frame->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW));
      frame->ShowWindow(SW_SHOW);
      TestApp().m_pMainWnd = frame;
    }
    CScriptedDialog dlg;
    HWND dialog = nullptr, owner = nullptr;
    int seen = 0;
    dlg.steps.push_back([&](CScriptedDialog& d) {
      dialog = d.m_hWnd;
      CMessageBoxWatcher watcher;
      AfxMessageBox("while modal", MB_OK);
      watcher.Wait();
      owner = watcher.owner;
      seen = watcher.seen;
    });
    dlg.steps.push_back([](CScriptedDialog& d) { d.EndDialog(IDOK); });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1, seen);
    EXPECT_NE(nullptr, dialog);
    EXPECT_EQ(dialog, owner);
    // No longer the main window before it goes: its end would end the loop.
    TestApp().m_pMainWnd = nullptr;
    if (frame != nullptr) {
      frame->DestroyWindow();
    }
  }
}

TEST_F(DialogTest, DataExchangeRoundTrip) {
  CScriptedDialog dlg;
  CString shownName, shownCount;
  UINT shownCheck = 0, shownRadio3 = 0;
  dlg.steps.push_back([&](CScriptedDialog& d) {
    // Members went into the controls.
    shownName = d.Text(IDC_NAME);
    shownCount = d.Text(IDC_COUNT);
    shownCheck = d.IsDlgButtonChecked(IDC_CHECK);
    shownRadio3 = d.IsDlgButtonChecked(IDC_RADIO3);
    // The user's changes.
    d.SetDlgItemText(IDC_NAME, "\xC7\xD1\xB1\xDB name");
    d.SetDlgItemText(IDC_COUNT, " 42 ");
    d.CheckDlgButton(IDC_CHECK, BST_UNCHECKED);
    d.CheckDlgButton(IDC_RADIO3, BST_UNCHECKED);
    d.CheckDlgButton(IDC_RADIO1, BST_CHECKED);
    d.PostMessage(WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_STREQ("initial", shownName);
  EXPECT_STREQ("3", shownCount);
  EXPECT_EQ(static_cast<UINT>(BST_CHECKED), shownCheck);
  EXPECT_EQ(static_cast<UINT>(BST_CHECKED), shownRadio3);
  EXPECT_STREQ("\xC7\xD1\xB1\xDB name", dlg.m_name);
  EXPECT_EQ(42, dlg.m_count);
  EXPECT_EQ(0, dlg.m_check);
  EXPECT_EQ(0, dlg.m_radio);
  EXPECT_EQ(nullptr, dlg.m_hWnd);  // DoModal destroyed the window
}

TEST_F(DialogTest, CancelKeepsTheMembers) {
  CScriptedDialog dlg;
  dlg.steps.push_back([](CScriptedDialog& d) {
    d.SetDlgItemText(IDC_NAME, "changed");
    d.PostMessage(WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  EXPECT_STREQ("initial", dlg.m_name);
}

TEST_F(DialogTest, InvalidInputIsReportedAndKeptForCorrection) {
  struct Case {
    const char* name;
    const char* input;
    const char* message;
  };
  const Case cases[] = {
      {"not a number", "12abc", "Please enter an integer."},
      {"empty", "", "Please enter an integer."},
      {"too large for int", "99999999999", "Please enter an integer."},
      {"out of range", "101", "Please enter an integer between 0 and 100."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CScriptedDialog dlg;
    CString stillThere;
    bool stillOpen = false;
    std::unique_ptr<CMessageBoxWatcher> watcher;
    dlg.steps.push_back([&](CScriptedDialog& d) {
      d.SetDlgItemText(IDC_NAME, "kept");
      d.SetDlgItemText(IDC_COUNT, c.input);
      watcher.reset(new CMessageBoxWatcher);
      d.PostMessage(WM_COMMAND, IDOK, 0);  // refused, with a message box
    });
    dlg.steps.push_back([&](CScriptedDialog& d) {
      stillOpen = ::IsWindowVisible(d.m_hWnd) != FALSE;
      stillThere = d.Text(IDC_COUNT);
      d.SetDlgItemText(IDC_COUNT, "7");
      d.PostMessage(WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    ASSERT_NE(nullptr, watcher);
    ASSERT_TRUE(watcher->Wait());
    EXPECT_EQ(c.message, watcher->text);
    EXPECT_TRUE(stillOpen);
    EXPECT_STREQ(c.input, stillThere);  // the user's input is not lost
    EXPECT_EQ(7, dlg.m_count);
    EXPECT_STREQ("kept", dlg.m_name);
  }
}

TEST_F(DialogTest, OwnerIsDisabledWhileModal) {
  CFrameWnd* frame = new CFrameWnd;
  ASSERT_TRUE(frame->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW));
  frame->ShowWindow(SW_SHOW);
  TestApp().m_pMainWnd = frame;
  {
    // No parent: the main window owns it.
    CScriptedDialog dlg;
    dlg.steps.push_back([](CScriptedDialog& d) { d.EndDialog(1234); });
    EXPECT_EQ(1234, dlg.DoModal());
    EXPECT_EQ(frame->m_hWnd, dlg.ownerSeen);
    EXPECT_FALSE(dlg.ownerEnabledWhileModal);
    EXPECT_TRUE(frame->IsWindowEnabled());
  }
  {
    // A child window as parent: its top-level window owns it.
    HWND hChild = ::CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 5, 5, frame->m_hWnd, nullptr, nullptr, nullptr);
    CScriptedDialog dlg(CWnd::FromHandle(hChild));
    dlg.steps.push_back([](CScriptedDialog& d) { d.EndDialog(IDCANCEL); });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(frame->m_hWnd, dlg.ownerSeen);
  }
  frame->DestroyWindow();
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST_F(DialogTest, MissingTemplateFails) {
  CDialog dlg(4321);
  EXPECT_EQ(-1, dlg.DoModal());
}

}  // namespace
