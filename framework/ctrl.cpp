// Out-of-line parts of the control wrappers.
#include <windows.h>

#include "framework/afxctrl.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)
IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)

void CComboBox::GetLBText(int nIndex, CString& rString) const {
  int n = GetLBTextLen(nIndex);
  if (n <= 0) {  // CB_ERR or empty
    rString.Empty();
    return;
  }
  LRESULT got = SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(rString.GetBuffer(n)));
  rString.ReleaseBuffer(got >= 0 ? static_cast<int>(got) : 0);
}

void CListBox::GetText(int nIndex, CString& rString) const {
  int n = GetTextLen(nIndex);
  if (n <= 0) {
    rString.Empty();
    return;
  }
  LRESULT got = SendMessage(LB_GETTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(rString.GetBuffer(n)));
  rString.ReleaseBuffer(got >= 0 ? static_cast<int>(got) : 0);
}
