// Dialogs and dialog data exchange.  Win32 only.
#pragma once

#include <windows.h>

#include "framework/afxapp.h"
#include "framework/afxwnd.h"

// Thrown by DDX/DDV after they told the user what is wrong; UpdateData
// catches it and answers FALSE.
class CUserException : public CException {
  DECLARE_DYNAMIC(CUserException)
};
[[noreturn]] void AfxThrowUserException();

class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

  BOOL m_bSaveAndValidate;  // TRUE: controls -> members
  CWnd* m_pDlgWnd;
  // The control nIDC; throws CUserException (after a message) when the
  // dialog has no such control.
  HWND PrepareCtrl(int nIDC);
  HWND PrepareEditCtrl(int nIDC);
  // Puts the focus on the last prepared control (its text selected when it
  // is an edit), so that a prompt shown next is about the field in front of
  // the user.
  void FocusLastControl();
  // Puts the focus on the last prepared control and throws CUserException.
  [[noreturn]] void Fail();

  int m_idLastControl = 0;
  BOOL m_bEditLastControl = FALSE;
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// The index of the checked button of the radio group starting at nIDC,
// -1 when none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_Slider(CDataExchange* pDX, int nIDC, int& value);
// Binds (subclasses) rControl to control nIDC the first time.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)
 public:
  CDialog() = default;
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // Runs the dialog modally: the owner (the parent, else the main window,
  // taken up to its top-level window) is disabled meanwhile.  Returns the
  // EndDialog value, -1 when the dialog could not be created (or WM_QUIT
  // arrived, which is posted again).
  virtual INT_PTR DoModal();
  // Creates the dialog modelessly.
  BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  // Ends a modal dialog with nResult (the window is destroyed by DoModal).
  void EndDialog(int nResult);

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  BOOL PreTranslateMessage(MSG* pMsg) override;

  void NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
  void GotoDlgCtrl(CWnd* pWndCtrl) {
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), TRUE);
  }
  void SetDefID(UINT nID) { ::SendMessageA(m_hWnd, DM_SETDEFID, nID, 0); }

  UINT m_nIDHelp = 0;
  LPCSTR m_lpszTemplateName = nullptr;

 protected:
  // The message loop of DoModal.
  int RunModalLoop();
  // Loads the template from the resource module; null when missing.
  LPCDLGTEMPLATEA LoadTemplate(HINSTANCE* phInst) const;

  CWnd* m_pParentWnd = nullptr;
  BOOL m_bContinueModal = FALSE;
  int m_nModalResult = -1;

  DECLARE_MESSAGE_MAP()
};
