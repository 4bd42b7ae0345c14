// The sea page and its parameter dialog.
#include "res/resource.h"
#include "settings/env_pages.h"
#include "settings/graphic_setting.h"
#include "settings/profile_names.h"
#include "settings/profile_store_win.h"

namespace {

// Per sea combo (SeaParam order): its first item's string and item count.
struct SeaComboItems {
  UINT firstId;
  int count;
};
constexpr SeaComboItems kSeaItems[kSeaParamCount] = {
    {IDS_SEA_TYPE_ITEM0, 3},    {IDS_SEA_SHOAL_ITEM0, 2},   {IDS_SEA_WAVE_ITEM0, 4},
    {IDS_SEA_REFLECT_ITEM0, 4}, {IDS_SEA_REFRACT_ITEM0, 4}, {IDS_SEA_SUN_ITEM0, 5},
};
// The index of "best" in the sea-type combo, which a device without pixel
// shader 2.0 cannot show.
constexpr int kSeaTypeBestIndex = 2;
// The hint item of the first sea combo; the others follow in order.
constexpr int kSeaFirstHintItem = 14;

int32_t* SeaField(GraphicRecord& rec, int param) {
  int32_t* fields[kSeaParamCount] = {&rec.ocean_type,    &rec.ocean_shoal,   &rec.ocean_wave,
                                     &rec.ocean_reflect, &rec.ocean_refract, &rec.ocean_sun};
  return fields[param];
}

void AddIndexItems(CComboBox& combo, UINT firstId, int count) {
  for (int i = 0; i < count; ++i) AddComboStringItem(combo, firstId + static_cast<UINT>(i), static_cast<DWORD_PTR>(i));
}

}  // namespace

// --- Sea-parameter dialog ---

BEGIN_MESSAGE_MAP(CSeaParamDialog, CDialog)
ON_CONTROL_RANGE(CBN_SETFOCUS, IDC_SEA_TYPE, IDC_SEA_SUN, OnParamFocus)
END_MESSAGE_MAP()

CSeaParamDialog::CSeaParamDialog(CEnvDialogHost& host) : CDialog(IDD_SEA_PARAM, nullptr), m_host(host) { LoadValues(); }

void CSeaParamDialog::LoadValues() {
  GraphicRecord& user = GetGraphicSetting().GetUser();
  for (int i = 0; i < kSeaParamCount; ++i) m_values[i] = *SeaField(user, i);
}

void CSeaParamDialog::StoreValues() const {
  GraphicRecord& user = GetGraphicSetting().GetUser();
  for (int i = 0; i < kSeaParamCount; ++i) *SeaField(user, i) = m_values[i];
}

void CSeaParamDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  for (int i = 0; i < kSeaParamCount; ++i) DDX_Control(pDX, IDC_SEA_TYPE + i, m_combos[i]);
}

BOOL CSeaParamDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  for (int i = 0; i < kSeaParamCount; ++i) AddIndexItems(m_combos[i], kSeaItems[i].firstId, kSeaItems[i].count);
  if (!HasPixelShader20(m_host.GetSettingsDevice())) m_combos[kSeaType].DeleteString(kSeaTypeBestIndex);
  // A stored "best" on such a device has no item left: no selection.
  for (int i = 0; i < kSeaParamCount; ++i)
    SelectComboIndex(m_combos[i], SeaIndexFromValue(static_cast<SeaParam>(i), m_values[i]));
  return TRUE;
}

void CSeaParamDialog::OnOK() {
  for (int i = 0; i < kSeaParamCount; ++i)
    m_values[i] = SeaValueFromIndex(static_cast<SeaParam>(i), m_combos[i].GetCurSel());
  CDialog::OnOK();
}

void CSeaParamDialog::OnCancel() { CDialog::OnCancel(); }

void CSeaParamDialog::OnParamFocus(UINT id) { ShowSettingHint(*this, m_host, kSeaFirstHintItem + (id - IDC_SEA_TYPE)); }

// --- Sea page ---

BEGIN_MESSAGE_MAP(CEnvGraphicsPage2, CEnvSettingsPage)
ON_BN_CLICKED(IDC_ENV_SEA_CUSTOM, OnCustomSea)
ON_CBN_SELCHANGE(IDC_ENV_SEA_PRESET, OnSeaPresetChange)
ON_CBN_SETFOCUS(IDC_ENV_SEA_PRESET, OnPresetFocus)
ON_BN_SETFOCUS(IDC_ENV_SEA_CUSTOM, OnPresetFocus)
ON_CBN_SETFOCUS(IDC_ENV_OCEAN_TEX, OnOceanTexFocus)
ON_CBN_SETFOCUS(IDC_ENV_MAXLOD, OnMaxLodFocus)
END_MESSAGE_MAP()

CEnvGraphicsPage2::CEnvGraphicsPage2(CEnvDialogHost& host) : CEnvSettingsPage(host), m_seaDialog(host) {}

UINT CEnvGraphicsPage2::GetTemplateID() const { return IDD_ENV_SEA_PAGE; }

void CEnvGraphicsPage2::DoDataExchange(CDataExchange* pDX) {
  CEnvSettingsPage::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_ENV_OCEAN_TEX, m_oceanTex);
  DDX_Control(pDX, IDC_ENV_MAXLOD, m_maxlod);
  DDX_Control(pDX, IDC_ENV_SEA_PRESET, m_preset);
}

BOOL CEnvGraphicsPage2::OnInitDialog() {
  CEnvSettingsPage::OnInitDialog();
  AddIndexItems(m_preset, IDS_SEA_PRESET_ITEM0, 4);
  AddIndexItems(m_oceanTex, IDS_OCEAN_TEX_ITEM0, 2);
  AddIndexItems(m_maxlod, IDS_MAXLOD_ITEM0, 4);
  return TRUE;
}

void CEnvGraphicsPage2::InitControls() { LoadControls(); }
void CEnvGraphicsPage2::RefreshControls() { LoadControls(); }

void CEnvGraphicsPage2::LoadControls() {
  m_seaDialog.LoadValues();
  const GraphicRecord& user = GetGraphicSetting().GetUser();
  SelectComboIndex(m_preset, MapSeaPreset(user.ocean_set));
  // Only a stored 3 makes the custom values editable at once: any other
  // custom value (7, say) shows the custom item with the button off until
  // the selection changes.
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ENV_SEA_CUSTOM), user.ocean_set == kSeaPresetCustomIndex);
  SelectComboIndex(m_oceanTex, user.ocean_tex);
  SelectComboIndex(m_maxlod, user.maxlod);
}

BOOL CEnvGraphicsPage2::Apply() {
  if (!UpdateData(TRUE)) return FALSE;
  m_seaDialog.StoreValues();
  CGraphicSetting& graphic = GetGraphicSetting();
  GraphicRecord& user = graphic.GetUser();
  user.ocean_set = MapSeaPreset(m_preset.GetCurSel());
  user.ocean_tex = ClampIndex(m_oceanTex.GetCurSel(), 0, 1);
  user.maxlod = MaxLodFromIndex(m_maxlod.GetCurSel());
  CAppProfileStore profile(*AfxGetApp());
  bool saved = graphic.SaveRenderS(profile, kRenderSSection) != FALSE;
  // The six sea values are written only with the custom preset.
  saved = graphic.SaveRenderD(profile, kRenderDSection) != FALSE && saved;
  return SavedOrTold(saved);
}

void CEnvGraphicsPage2::OnCustomSea() {
  m_seaDialog.SetParent(this);
  m_seaDialog.DoModal();
}

void CEnvGraphicsPage2::OnSeaPresetChange() {
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ENV_SEA_CUSTOM), m_preset.GetCurSel() == kSeaPresetCustomIndex);
}

void CEnvGraphicsPage2::OnPresetFocus() { SetDescriptionBySetting(13); }
void CEnvGraphicsPage2::OnOceanTexFocus() { SetDescriptionBySetting(20); }
void CEnvGraphicsPage2::OnMaxLodFocus() { SetDescriptionBySetting(28); }
