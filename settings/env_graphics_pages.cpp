// The graphics page and the detail page.
#include "res/resource.h"
#include "settings/env_pages.h"
#include "settings/graphic_setting.h"
#include "settings/profile_names.h"
#include "settings/profile_store_win.h"

namespace {

// Hint items of the graphics page's check boxes 9100-9104.
int CheckHintItem(UINT id) {
  switch (id) {
    case IDC_ENV_MIPMAP:
      return 2;
    case IDC_ENV_LANDREFLECT:
      return 21;
    case IDC_ENV_LANDREFRACT:
      return 22;
    case IDC_ENV_LANDSURFACE:
      return 23;
    case IDC_ENV_LENS:
      return 24;
    default:
      return -1;
  }
}

// A check box's setting on this page: 1 when checked, else 0 (a box the
// page does not have stores 0 too).
int32_t CheckedValue(CWnd& page, int id) { return GetCheckOf(page, id) == BST_CHECKED ? 1 : 0; }

// The data of the selected item, or def when nothing is selected.
int64_t SelectedData(const CComboBox& combo, int64_t def) {
  const int sel = combo.GetCurSel();
  return sel >= 0 ? static_cast<int64_t>(static_cast<INT_PTR>(combo.GetItemData(sel))) : def;
}

void AddStringItems(CComboBox& combo, UINT firstId, int count) {
  for (int i = 0; i < count; ++i) AddComboStringItem(combo, firstId + static_cast<UINT>(i), static_cast<DWORD_PTR>(i));
}

}  // namespace

// --- Graphics page ---

BEGIN_MESSAGE_MAP(CEnvGraphicsPage, CEnvSettingsPage)
ON_CBN_SETFOCUS(IDC_ENV_TEX2D, OnTex2dFocus)
ON_CBN_SETFOCUS(IDC_ENV_TEX3D, OnTex3dFocus)
ON_CBN_SETFOCUS(IDC_ENV_ANTIALIAS, OnAntialiasFocus)
ON_CBN_SETFOCUS(IDC_ENV_SYNC, OnSyncFocus)
ON_BN_SETFOCUS(IDC_ENV_NO_DXT, OnNoDxtFocus)
ON_CONTROL_RANGE(BN_SETFOCUS, IDC_ENV_MIPMAP, IDC_ENV_LENS, OnCheckFocus)
END_MESSAGE_MAP()

UINT CEnvGraphicsPage::GetTemplateID() const { return IDD_ENV_GRAPHICS_PAGE; }

void CEnvGraphicsPage::DoDataExchange(CDataExchange* pDX) {
  CEnvSettingsPage::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_ENV_TEX2D, m_tex2d);
  DDX_Control(pDX, IDC_ENV_TEX3D, m_tex3d);
  DDX_Control(pDX, IDC_ENV_ANTIALIAS, m_antialias);
  DDX_Control(pDX, IDC_ENV_SYNC, m_sync);
}

BOOL CEnvGraphicsPage::OnInitDialog() {
  CEnvSettingsPage::OnInitDialog();
  AddStringItems(m_tex2d, IDS_TEX2D_ITEM0, 3);
  AddStringItems(m_tex3d, IDS_TEX3D_ITEM0, 3);
  CDX3DAntialiasInfoList choices;
  FillAntialiasList(choices);
  for (POSITION pos = choices.GetHeadPosition(); pos != nullptr;) {
    const CDX3DAntialiasInfo& choice = choices.GetNext(pos);
    CString name;
    GetAntialiasName(choice, name);
    AddComboItem(m_antialias, name, static_cast<DWORD_PTR>(choice.m_nSamples));
  }
  AddComboStringItem(m_sync, IDS_SYNC_OFF, 0);
  AddComboStringItem(m_sync, IDS_SYNC_ON, 1);
  LoadControls();
  return TRUE;
}

void CEnvGraphicsPage::InitControls() { LoadControls(); }
void CEnvGraphicsPage::RefreshControls() { LoadControls(); }

void CEnvGraphicsPage::LoadControls() {
  const GraphicRecord& user = GetGraphicSetting().GetUser();
  // A stored value without an item of its own leaves the combo without a
  // selection (the setting is kept until OK stores the clamped index).
  SelectComboIndex(m_tex2d, user.tex2d);
  SelectComboIndex(m_tex3d, user.tex3dsize);
  SelectComboByData(m_antialias, user.antialias);
  SelectComboByData(m_sync, user.sync);
  SetCheckOf(*this, IDC_ENV_MIPMAP, user.mipmap != 0);
  SetCheckOf(*this, IDC_ENV_NO_DXT, user.dxt != 0);
  SetCheckOf(*this, IDC_ENV_LANDREFLECT, user.landreflect != 0);
  SetCheckOf(*this, IDC_ENV_LANDREFRACT, user.landrefract != 0);
  SetCheckOf(*this, IDC_ENV_LANDSURFACE, user.landsurface != 0);
  SetCheckOf(*this, IDC_ENV_LENS, user.lens != 0);
}

BOOL CEnvGraphicsPage::Apply() {
  if (!UpdateData(TRUE)) return FALSE;
  CGraphicSetting& graphic = GetGraphicSetting();
  GraphicRecord& user = graphic.GetUser();
  user.tex2d = ClampIndex(m_tex2d.GetCurSel(), 0, 2);
  user.mipmap = CheckedValue(*this, IDC_ENV_MIPMAP);
  // "landreflect", "landrefract" and "landsurface" belong to "render_d",
  // which this page does not save: they reach the registry through the sea
  // page's save in the same OK.
  user.landreflect = CheckedValue(*this, IDC_ENV_LANDREFLECT);
  user.landrefract = CheckedValue(*this, IDC_ENV_LANDREFRACT);
  user.landsurface = CheckedValue(*this, IDC_ENV_LANDSURFACE);
  user.lens = CheckedValue(*this, IDC_ENV_LENS);
  user.tex3dsize = ClampIndex(m_tex3d.GetCurSel(), 0, 2);
  // The button state as it is: 2 for a three-state box left indeterminate.
  const int dxt = GetCheckOf(*this, IDC_ENV_NO_DXT);
  if (dxt >= 0) user.dxt = dxt;
  user.antialias = static_cast<int32_t>(SelectedData(m_antialias, 0));
  user.sync = static_cast<int32_t>(SelectedData(m_sync, 0));
  CAppProfileStore profile(*AfxGetApp());
  return SavedOrTold(graphic.SaveRenderS(profile, kRenderSSection) != FALSE);
}

void CEnvGraphicsPage::OnTex2dFocus() { SetDescriptionBySetting(0); }
void CEnvGraphicsPage::OnTex3dFocus() { SetDescriptionBySetting(1); }
void CEnvGraphicsPage::OnAntialiasFocus() { SetDescriptionBySetting(7); }
void CEnvGraphicsPage::OnSyncFocus() { SetDescriptionBySetting(8); }
void CEnvGraphicsPage::OnNoDxtFocus() { SetDescriptionBySetting(3); }
void CEnvGraphicsPage::OnCheckFocus(UINT id) {
  const int item = CheckHintItem(id);
  if (item >= 0) SetDescriptionBySetting(item);
}

// --- Detail page ---

BEGIN_MESSAGE_MAP(CEnvGraphicsPage3, CEnvSettingsPage)
ON_CBN_SETFOCUS(IDC_ENV_BBC, OnBbcFocus)
ON_CBN_SETFOCUS(IDC_ENV_DVRST, OnDvrstFocus)
ON_CBN_SETFOCUS(IDC_ENV_LAND_M, OnLandMFocus)
ON_CBN_SETFOCUS(IDC_ENV_LAND_R, OnLandRFocus)
END_MESSAGE_MAP()

UINT CEnvGraphicsPage3::GetTemplateID() const { return IDD_ENV_DETAIL_PAGE; }

void CEnvGraphicsPage3::DoDataExchange(CDataExchange* pDX) {
  CEnvSettingsPage::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_ENV_BBC, m_bbc);
  DDX_Control(pDX, IDC_ENV_DVRST, m_dvrst);
  DDX_Control(pDX, IDC_ENV_LAND_M, m_landM);
  DDX_Control(pDX, IDC_ENV_LAND_R, m_landR);
}

BOOL CEnvGraphicsPage3::OnInitDialog() {
  CEnvSettingsPage::OnInitDialog();
  for (int count = 1; count <= 2; ++count) {
    CString text;
    text.Format("%d", count);
    AddComboItem(m_bbc, text, static_cast<DWORD_PTR>(count));
  }
  AddStringItems(m_dvrst, IDS_DVRST_LEVEL1, 3);
  AddComboStringItem(m_landM, IDS_LAND_M_LEVEL1, 0);
  AddComboStringItem(m_landM, IDS_LAND_M_STANDARD, 4);
  AddComboStringItem(m_landR, IDS_LAND_R_LEVEL1, 0);
  AddComboStringItem(m_landR, IDS_LAND_R_STANDARD, 4);
  return TRUE;
}

void CEnvGraphicsPage3::InitControls() { LoadControls(); }
void CEnvGraphicsPage3::RefreshControls() { LoadControls(); }

void CEnvGraphicsPage3::LoadControls() {
  const GraphicRecord& user = GetGraphicSetting().GetUser();
  SelectComboByData(m_bbc, user.bbc);
  SelectComboByData(m_dvrst, user.dvrst);
  SelectComboByData(m_landM, user.land_m);
  SelectComboByData(m_landR, user.land_r);
}

BOOL CEnvGraphicsPage3::Apply() {
  if (!UpdateData(TRUE)) return FALSE;
  CGraphicSetting& graphic = GetGraphicSetting();
  GraphicRecord& user = graphic.GetUser();
  const int bbcSel = m_bbc.GetCurSel();
  user.bbc = BackBufferCountFromItem(bbcSel >= 0, SelectedData(m_bbc, 0));
  user.dvrst = static_cast<int32_t>(SelectedData(m_dvrst, 0));
  user.land_m = static_cast<int32_t>(SelectedData(m_landM, 4));
  user.land_r = static_cast<int32_t>(SelectedData(m_landR, 4));
  CAppProfileStore profile(*AfxGetApp());
  return SavedOrTold(graphic.SaveRenderS(profile, kRenderSSection) != FALSE);
}

void CEnvGraphicsPage3::OnBbcFocus() { SetDescriptionBySetting(9); }
void CEnvGraphicsPage3::OnDvrstFocus() { SetDescriptionBySetting(10); }
void CEnvGraphicsPage3::OnLandMFocus() { SetDescriptionBySetting(11); }
void CEnvGraphicsPage3::OnLandRFocus() { SetDescriptionBySetting(12); }
