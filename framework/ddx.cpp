// Dialog data exchange: moving values between members and controls, with
// validation that tells the user and keeps the dialog open.
#include <windows.h>
#include <commctrl.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "framework/afxdlg.h"

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (CUserException* e) {
    e->Delete();
    return FALSE;
  }
  return TRUE;
}

HWND CDataExchange::PrepareCtrl(int nIDC) {
  HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
  if (h == nullptr) {
    CString text;
    text.Format("Internal error: the dialog has no control %d.", nIDC);
    AfxMessageBox(text, MB_ICONSTOP);
    AfxThrowUserException();
  }
  m_idLastControl = nIDC;
  m_bEditLastControl = FALSE;
  return h;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
  HWND h = PrepareCtrl(nIDC);
  m_bEditLastControl = TRUE;
  return h;
}

void CDataExchange::FocusLastControl() {
  if (!m_bSaveAndValidate || m_idLastControl == 0) return;
  HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, m_idLastControl);
  if (h == nullptr) return;
  ::SetFocus(h);
  if (m_bEditLastControl) ::SendMessageA(h, EM_SETSEL, 0, -1);
}

void CDataExchange::Fail() {
  // Again after a prompt: closing the message box may have moved it.
  FocusLastControl();
  AfxThrowUserException();
}

namespace {

CString WindowText(HWND h) {
  CString s;
  int n = ::GetWindowTextLengthA(h);
  if (n > 0) {
    int got = ::GetWindowTextA(h, s.GetBuffer(n), n + 1);
    s.ReleaseBuffer(got >= 0 ? got : 0);
  }
  return s;
}

// Whole-text integer parse: optional blanks, sign, digits, blanks.
bool ParseLong(const CString& text, bool allowNegative, long long lo, long long hi, long long* out) {
  const char* p = text.GetString();
  while (*p == ' ' || *p == '\t') ++p;
  if (!allowNegative && *p == '-') return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(p, &end, 10);
  if (end == p || errno == ERANGE) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0' || v < lo || v > hi) return false;
  *out = v;
  return true;
}

// The prompt nID of the program's string table, else the built-in text.
CString Prompt(UINT nID, const char* builtIn) {
  CString s;
  if (!s.LoadString(nID) || s.IsEmpty()) s = builtIn;
  return s;
}

}  // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = WindowText(h);
  } else {
    ::SetWindowTextA(h, value);
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    long long v = 0;
    if (!ParseLong(WindowText(h), true, INT_MIN, INT_MAX, &v)) {
      pDX->FocusLastControl();
      AfxMessageBox(Prompt(AFX_IDP_PARSE_INT, "Please enter an integer."), MB_ICONEXCLAMATION);
      pDX->Fail();
    }
    value = static_cast<int>(v);
  } else {
    CString s;
    s.Format("%d", value);
    ::SetWindowTextA(h, s);
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    long long v = 0;
    if (!ParseLong(WindowText(h), false, 0, UINT_MAX, &v)) {
      pDX->FocusLastControl();
      AfxMessageBox(Prompt(AFX_IDP_PARSE_UINT, "Please enter a positive integer."), MB_ICONEXCLAMATION);
      pDX->Fail();
    }
    value = static_cast<UINT>(v);
  } else {
    CString s;
    s.Format("%u", value);
    ::SetWindowTextA(h, s);
  }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = static_cast<int>(::SendMessageA(h, BM_GETCHECK, 0, 0));
  } else {
    ::SendMessageA(h, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
  HWND hFirst = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) value = -1;
  // The group runs from nIDC to the next control with WS_GROUP.
  int index = 0;
  for (HWND h = hFirst; h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
    if (h != hFirst && (::GetWindowLongA(h, GWL_STYLE) & WS_GROUP)) break;
    if (!(::SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) continue;
    if (pDX->m_bSaveAndValidate) {
      if (::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
    } else {
      ::SendMessageA(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ++index;
  }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    index = static_cast<int>(::SendMessageA(h, CB_GETCURSEL, 0, 0));
  } else {
    ::SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    index = static_cast<int>(::SendMessageA(h, LB_GETCURSEL, 0, 0));
  } else {
    ::SendMessageA(h, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
}

void DDX_Slider(CDataExchange* pDX, int nIDC, int& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = static_cast<int>(::SendMessageA(h, TBM_GETPOS, 0, 0));
  } else {
    ::SendMessageA(h, TBM_SETPOS, TRUE, value);
  }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd != nullptr) return;
  HWND h = pDX->PrepareCtrl(nIDC);
  if (!rControl.SubclassWindow(h)) pDX->Fail();
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString text;
  text.Format(Prompt(AFX_IDP_PARSE_INT_RANGE, "Please enter an integer between %d and %d."), minVal, maxVal);
  pDX->FocusLastControl();
  AfxMessageBox(text, MB_ICONEXCLAMATION);
  pDX->Fail();
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString text;
  text.Format(Prompt(AFX_IDP_PARSE_UINT_RANGE, "Please enter an integer between %u and %u."), minVal, maxVal);
  pDX->FocusLastControl();
  AfxMessageBox(text, MB_ICONEXCLAMATION);
  pDX->Fail();
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
  if (!pDX->m_bSaveAndValidate) {
    if (pDX->m_idLastControl != 0) {
      ::SendDlgItemMessageA(pDX->m_pDlgWnd->m_hWnd, pDX->m_idLastControl, EM_LIMITTEXT, nChars, 0);
    }
    return;
  }
  if (value.GetLength() <= nChars) return;
  CString text;
  text.Format(Prompt(AFX_IDP_PARSE_STRING_SIZE, "Enter no more than %d characters."), nChars);
  pDX->FocusLastControl();
  AfxMessageBox(text, MB_ICONEXCLAMATION);
  pDX->Fail();
}
