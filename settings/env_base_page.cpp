#include "settings/env_base_page.h"

#include <commctrl.h>

#include <vector>

#include "res/resource.h"
#include "settings/env_page_rules.h"
#include "settings/env_settings_win.h"

void CEnvBasePage::SetDescription(int) {}
void CEnvBasePage::SetDescriptionBySetting(int) {}
BOOL CEnvBasePage::Apply() { return TRUE; }
void CEnvBasePage::RefreshControls() {}
void CEnvBasePage::OnPageShow() {}
void CEnvBasePage::OnPageHide() {}
void CEnvBasePage::InitControls() {}
void CEnvBasePage::OnOK() {}

BOOL CEnvBasePage::Create(CWnd* parent) { return CDialog::Create(GetTemplateID(), parent); }

void CEnvBasePage::ShowOwnTab() {
  HWND dialog = ::GetParent(m_hWnd);
  HWND tab = ::GetDlgItem(dialog, IDC_ENV_TAB);
  if (tab == nullptr) return;
  const int count = TabCtrl_GetItemCount(tab);
  for (int i = 0; i < count; ++i) {
    TCITEMA item = {};
    item.mask = TCIF_PARAM;
    if (!::SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)) ||
        item.lParam != reinterpret_cast<LPARAM>(this)) {
      continue;
    }
    if (TabCtrl_GetCurSel(tab) != i) {
      TabCtrl_SetCurSel(tab, i);
      // The dialog shows the page of the selected tab on this notice.
      NMHDR hdr = {tab, static_cast<UINT_PTR>(IDC_ENV_TAB), static_cast<UINT>(TCN_SELCHANGE)};
      ::SendMessageA(dialog, WM_NOTIFY, IDC_ENV_TAB, reinterpret_cast<LPARAM>(&hdr));
    }
    return;
  }
}

BOOL CEnvBasePage::SavedOrTold(bool saved) {
  if (saved) return TRUE;
  AfxMessageBox(IDS_SETTINGS_NOT_SAVED, MB_ICONERROR);
  return FALSE;
}

void ShowDescriptionText(CWnd& page, int stringId) {
  CString text;
  if (stringId >= 0) text.LoadString(static_cast<UINT>(stringId));
  ::SetDlgItemTextA(page.GetSafeHwnd(), IDC_ENV_DESCRIPTION, text);
}

void ShowSettingHint(CWnd& page, CEnvDialogHost& host, int item) {
  CString text;
  GetGraphicHintText(host.GetSettingsDevice(), text, item);
  ::SetDlgItemTextA(page.GetSafeHwnd(), IDC_ENV_DESCRIPTION, text);
}

void CEnvSettingsPage::SetDescription(int stringId) { ShowDescriptionText(*this, stringId); }
void CEnvSettingsPage::SetDescriptionBySetting(int item) { ShowSettingHint(*this, m_host, item); }

void AddComboItem(CComboBox& combo, const char* text, DWORD_PTR data) {
  const int index = combo.AddString(text);
  if (index >= 0) combo.SetItemData(index, data);
}

void AddComboStringItem(CComboBox& combo, UINT stringId, DWORD_PTR data) {
  CString text;
  text.LoadString(stringId);
  AddComboItem(combo, text, data);
}

void SelectComboByData(CComboBox& combo, int64_t value) {
  const int count = combo.GetCount();
  std::vector<int64_t> data;
  for (int i = 0; i < count; ++i) data.push_back(static_cast<int64_t>(static_cast<INT_PTR>(combo.GetItemData(i))));
  combo.SetCurSel(IndexOfItemData(data.data(), count, value));
}

void SelectComboIndex(CComboBox& combo, int value) {
  // Said outright: some combo boxes keep the old selection for an index
  // past the end instead of clearing it.
  combo.SetCurSel(value >= 0 && value < combo.GetCount() ? value : -1);
}

int GetCheckOf(CWnd& page, int id) {
  HWND h = ::GetDlgItem(page.GetSafeHwnd(), id);
  if (h == nullptr) return -1;
  return static_cast<int>(::SendMessageA(h, BM_GETCHECK, 0, 0));
}

BOOL SetCheckOf(CWnd& page, int id, bool on) {
  HWND h = ::GetDlgItem(page.GetSafeHwnd(), id);
  if (h == nullptr) return FALSE;
  ::SendMessageA(h, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}
