// Dialogs: creation from a template with the object bound to the window,
// the modal loop, and the default OK/Cancel behaviour.
#include <windows.h>

#include "framework/afxdlg.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CUserException, CException)

void AfxThrowUserException() { throw new CUserException; }

namespace {

// The dialog procedure behind every framework dialog: messages reach the
// object through AfxWndProc (the window is subclassed when created), so
// this only starts the dialog and otherwise asks for default handling.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  try {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd != nullptr && pWnd->IsKindOf(RUNTIME_CLASS(CDialog))) {
      return static_cast<CDialog*>(pWnd)->OnInitDialog();
    }
  } catch (...) {
    AfxProcessEntryException("dialog initialisation");
  }
  return FALSE;  // forms keep the focus where the template puts it
}

}  // namespace

BOOL CWnd::CreateDlgIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst) {
  if (m_hWnd != nullptr || lpDialogTemplate == nullptr) return FALSE;
  if (hInst == nullptr) hInst = AfxGetResourceHandle();
  AfxHookWindowCreate(this);
  HWND hWnd = ::CreateDialogIndirectParamA(hInst, lpDialogTemplate,
                                           pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, &AfxDlgProc, 0);
  if (!AfxUnhookWindowCreate()) {
    PostNcDestroy();  // no window ever existed
    return FALSE;
  }
  return hWnd != nullptr ? TRUE : FALSE;  // on failure the window (and maybe `this`) is gone
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
  if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) DestroyWindow();
}

LPCDLGTEMPLATEA CDialog::LoadTemplate(HINSTANCE* phInst) const {
  HINSTANCE hInst = AfxGetResourceHandle();
  *phInst = hInst;
  if (m_lpszTemplateName == nullptr) return nullptr;
  HRSRC hRes = ::FindResourceA(hInst, m_lpszTemplateName, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  HGLOBAL hGlobal = hRes != nullptr ? ::LoadResource(hInst, hRes) : nullptr;
  return hGlobal != nullptr ? static_cast<LPCDLGTEMPLATEA>(::LockResource(hGlobal)) : nullptr;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  m_lpszTemplateName = MAKEINTRESOURCEA(nIDTemplate);
  m_nIDHelp = nIDTemplate;
  if (pParentWnd != nullptr) m_pParentWnd = pParentWnd;
  HINSTANCE hInst = nullptr;
  LPCDLGTEMPLATEA lpTemplate = LoadTemplate(&hInst);
  if (lpTemplate == nullptr) return FALSE;
  return CreateDlgIndirect(lpTemplate, m_pParentWnd, hInst);
}

INT_PTR CDialog::DoModal() {
  HINSTANCE hInst = nullptr;
  LPCDLGTEMPLATEA lpTemplate = LoadTemplate(&hInst);
  if (lpTemplate == nullptr) return -1;

  // The owner is a top-level window: the parent's, else the main window's.
  HWND hOwner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
  if (hOwner == nullptr) {
    CWnd* pMain = AfxGetMainWnd();
    if (pMain != nullptr && pMain != this) hOwner = pMain->m_hWnd;
  }
  while (hOwner != nullptr && (::GetWindowLongA(hOwner, GWL_STYLE) & WS_CHILD)) hOwner = ::GetParent(hOwner);
  BOOL bEnableOwner = FALSE;
  if (hOwner != nullptr && ::IsWindowEnabled(hOwner)) {
    ::EnableWindow(hOwner, FALSE);
    bEnableOwner = TRUE;
  }

  m_nModalResult = -1;
  m_bContinueModal = TRUE;
  CWnd owner;
  owner.m_hWnd = hOwner;
  const BOOL created = CreateDlgIndirect(lpTemplate, hOwner != nullptr ? &owner : nullptr, hInst);
  owner.m_hWnd = nullptr;
  if (created && m_bContinueModal) {
    // The dialog shows itself unless OnInitDialog ended it already.
    if (!(GetStyle() & WS_VISIBLE)) ShowWindow(SW_SHOWNORMAL);
    RunModalLoop();
  }
  // Re-enable the owner before the dialog goes, so that the activation
  // returns to it rather than to another program.
  if (bEnableOwner) ::EnableWindow(hOwner, TRUE);
  if (hOwner != nullptr && m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(hOwner);
  if (m_hWnd != nullptr) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    DestroyWindow();
  }
  m_bContinueModal = FALSE;
  return m_nModalResult;
}

int CDialog::RunModalLoop() {
  CWinThread* pThread = AfxGetApp();
  MSG msg{};
  BOOL bIdle = TRUE;
  LONG lIdleCount = 0;
  HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
  while (m_bContinueModal) {
    // Idle time: the owner hears of it (WM_ENTERIDLE) and the dialog gets
    // WM_KICKIDLE until it answers FALSE.
    while (bIdle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (hOwner != nullptr && lIdleCount == 0) {
        ::SendMessageA(hOwner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(m_hWnd));
      }
      if (!::SendMessageA(m_hWnd, WM_KICKIDLE, MSGF_DIALOGBOX, lIdleCount++)) bIdle = FALSE;
      if (!m_bContinueModal) break;
    }
    if (!m_bContinueModal) break;
    if (!::GetMessageA(&msg, nullptr, 0, 0)) {
      // Keep the quit request for the loop outside.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      m_nModalResult = -1;
      break;
    }
    BOOL handled = pThread != nullptr ? pThread->PreTranslateMessage(&msg) : FALSE;
    if (!handled && m_hWnd != nullptr && ::IsDialogMessageA(m_hWnd, &msg)) handled = TRUE;
    if (!handled) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (pThread != nullptr && pThread->IsIdleMessage(&msg)) {
      bIdle = TRUE;
      lIdleCount = 0;
    }
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd)) break;
  }
  return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
  m_nModalResult = nResult;
  if (m_bContinueModal) {
    m_bContinueModal = FALSE;
    // Wake the modal loop if it waits in GetMessage.
    if (m_hWnd != nullptr) ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
  }
  if (m_hWnd != nullptr) ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
  // Keyboard navigation for a modeless top-level dialog; child dialogs
  // (pages) leave it to the dialog that holds them.
  if (m_bContinueModal || (GetStyle() & WS_CHILD)) return FALSE;
  if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) return ::IsDialogMessageA(m_hWnd, pMsg);
  return FALSE;
}
