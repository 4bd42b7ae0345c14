// The global page: display mode, music, sound effects and movies.
#include <cstring>
#include <vector>

#include "d3d/mode_list.h"
#include "res/resource.h"
#include "settings/env_pages.h"
#include "settings/graphic_setting.h"
#include "settings/profile_names.h"
#include "settings/profile_store_win.h"
#include "settings/sound_setting.h"

BEGIN_MESSAGE_MAP(CEnvGlobalPage, CEnvSettingsPage)
ON_CBN_SETFOCUS(IDC_ENV_DISPLAY_MODE, OnModeFocus)
ON_BN_SETFOCUS(IDC_ENV_BGM, OnBgmFocus)
ON_BN_SETFOCUS(IDC_ENV_SOUND_EFFECTS, OnSoundEffectsFocus)
ON_BN_SETFOCUS(IDC_ENV_MOVIES, OnMoviesFocus)
END_MESSAGE_MAP()

CEnvGlobalPage::CEnvGlobalPage(CEnvDialogHost& host) : CEnvSettingsPage(host) { m_requirement.SetModeLimits(); }

UINT CEnvGlobalPage::GetTemplateID() const { return IDD_ENV_GLOBAL_PAGE; }

void CEnvGlobalPage::DoDataExchange(CDataExchange* pDX) {
  CEnvSettingsPage::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_ENV_DISPLAY_MODE, m_modeCombo);
}

BOOL CEnvGlobalPage::OnInitDialog() {
  CEnvSettingsPage::OnInitDialog();
  // A 9-point font for the mode names, whose columns line up only in a
  // fixed-pitch face.
  LOGFONTA lf;
  std::memset(&lf, 0, sizeof lf);
  lf.lfHeight = 90;  // tenths of a point, for CreatePointFontIndirect
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  CString face;
  face.LoadString(IDS_MODE_FONT_FACE);
  // LF_FACESIZE counts the terminator: at most 31 characters of the name.
  std::strncpy(lf.lfFaceName, face, sizeof lf.lfFaceName - 1);
  lf.lfFaceName[sizeof lf.lfFaceName - 1] = '\0';
  if (m_font.CreatePointFontIndirect(&lf)) m_modeCombo.SetFont(&m_font, TRUE);
  LoadControls();
  return TRUE;
}

void CEnvGlobalPage::InitControls() {
  FillModeCombo();
  LoadControls();
  // This opening's sound test decides: boxes that an earlier opening
  // without sound disabled are usable again once the device is back.
  CSoundSetting& sound = GetSoundSetting();
  if (sound.GetBgmAvailable()) ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ENV_BGM), TRUE);
  if (sound.GetSeAvailable()) ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ENV_SOUND_EFFECTS), TRUE);
}

void CEnvGlobalPage::RefreshControls() { LoadControls(); }

void CEnvGlobalPage::FillModeCombo() {
  m_modeCombo.ResetContent();
  if (m_requirement.EnumerateModes(m_host.GetDevice(), m_modes) != 0) {
    for (POSITION pos = m_modes.GetHeadPosition(); pos != nullptr;) {
      // The list's nodes stay where they are, so an entry's address serves
      // as its item's data.
      CApp3DDeviceInfo& entry = m_modes.GetNext(pos);
      CString name;
      entry.GetDisplayName(name);
      AddComboItem(m_modeCombo, name, reinterpret_cast<DWORD_PTR>(&entry));
    }
  }
  m_modeCombo.EnableWindow(m_modeCombo.GetCount() > 0);
}

void CEnvGlobalPage::LoadControls() {
  int values[kSelectDeviceFields] = {0, 0, 0, 0, 0, 0};
  CAppDX3DDeviceRequirement::LoadSelectDevice(kWindowSection, values);
  std::vector<ModeKey> keys;
  const int count = m_modeCombo.GetCount();
  for (int i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const CApp3DDeviceInfo*>(m_modeCombo.GetItemData(i));
    keys.push_back({entry->m_record.width, entry->m_record.height, static_cast<uint32_t>(entry->m_record.format),
                    entry->m_bWindowed != FALSE});
  }
  if (count > 0) m_modeCombo.SetCurSel(FindSelectDeviceEntry(keys.data(), count, values));

  // Without a sound device the music and effects boxes are off and
  // unusable.  Only an opening's load enables them again (InitControls):
  // after a reset on such a machine they come back checked but disabled.
  CSoundSetting& sound = GetSoundSetting();
  if (sound.GetBgmAvailable()) {
    SetCheckOf(*this, IDC_ENV_BGM, sound.GetBgmMute() == 0);
  } else if (SetCheckOf(*this, IDC_ENV_BGM, false)) {
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ENV_BGM), FALSE);
  }
  if (sound.GetSeAvailable()) {
    SetCheckOf(*this, IDC_ENV_SOUND_EFFECTS, sound.GetSeMute() == 0);
  } else if (SetCheckOf(*this, IDC_ENV_SOUND_EFFECTS, false)) {
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ENV_SOUND_EFFECTS), FALSE);
  }
  SetCheckOf(*this, IDC_ENV_MOVIES, sound.GetMovieSet() != 0);
}

BOOL CEnvGlobalPage::Apply() {
  if (!UpdateData(TRUE)) return FALSE;
  bool saved = true;
  const int sel = m_modeCombo.GetCurSel();
  if (sel >= 0) {
    const auto* entry = reinterpret_cast<const CApp3DDeviceInfo*>(m_modeCombo.GetItemData(sel));
    saved = CAppDX3DDeviceRequirement::SaveSelectDevice(*entry, kWindowSection) != FALSE;
  }
  // A box the page does not have leaves its setting alone.
  CSoundSetting& sound = GetSoundSetting();
  const int bgm = GetCheckOf(*this, IDC_ENV_BGM);
  if (bgm >= 0) sound.SetBgmMute(bgm == BST_CHECKED ? 0 : 1);
  const int se = GetCheckOf(*this, IDC_ENV_SOUND_EFFECTS);
  if (se >= 0) sound.SetSeMute(se == BST_CHECKED ? 0 : 1);
  const int movies = GetCheckOf(*this, IDC_ENV_MOVIES);
  if (movies >= 0) sound.SetMovieSet(movies == BST_CHECKED ? 1 : 0);
  CAppProfileStore profile(*AfxGetApp());
  saved = GetGraphicSetting().SaveRenderS(profile, kRenderSSection) != FALSE && saved;
  saved = sound.Save(profile, kSoundSection) != FALSE && saved;
  return SavedOrTold(saved);
}

void CEnvGlobalPage::OnModeFocus() { SetDescription(IDS_DESC_DISPLAY_MODE); }
void CEnvGlobalPage::OnBgmFocus() { SetDescription(IDS_DESC_BGM); }
void CEnvGlobalPage::OnSoundEffectsFocus() { SetDescription(IDS_DESC_SOUND_EFFECTS); }
void CEnvGlobalPage::OnMoviesFocus() { SetDescription(IDS_DESC_MOVIES); }
