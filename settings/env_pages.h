// The settings dialog's four settings pages (global, graphics, sea,
// detail) and the sea page's parameter dialog.  Each edits the user record
// of the graphics settings or the sound settings and saves whole registry
// sections when the dialog's OK applies it.
#pragma once

#include "d3d/launcher_device.h"
#include "framework/afxwin.h"
#include "settings/env_base_page.h"
#include "settings/env_page_rules.h"

// Display mode, music, sound effects and movies; saves "select_device" in
// "window", then "render_s" and "sound".
class CEnvGlobalPage : public CEnvSettingsPage {
 public:
  explicit CEnvGlobalPage(CEnvDialogHost& host);
  UINT GetTemplateID() const override;
  BOOL OnInitDialog() override;
  void InitControls() override;
  void RefreshControls() override;
  BOOL Apply() override;

  // Empties the mode combo and fills it from a fresh mode list; the combo
  // is usable only when the list has an entry.
  void FillModeCombo();
  void LoadControls();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnModeFocus();
  void OnBgmFocus();
  void OnSoundEffectsFocus();
  void OnMoviesFocus();
  DECLARE_MESSAGE_MAP()

 private:
  CComboBox m_modeCombo;
  CAppDX3DDeviceRequirement m_requirement;  // with the dialog's mode limits
  CApp3DDeviceInfoList m_modes;             // the combo's item data point into it
  CFont m_font;
};

// Textures, anti-alias, sync and the display checks; saves "render_s".
class CEnvGraphicsPage : public CEnvSettingsPage {
 public:
  using CEnvSettingsPage::CEnvSettingsPage;
  UINT GetTemplateID() const override;
  BOOL OnInitDialog() override;
  void InitControls() override;
  void RefreshControls() override;
  BOOL Apply() override;
  void LoadControls();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnTex2dFocus();
  void OnTex3dFocus();
  void OnAntialiasFocus();
  void OnSyncFocus();
  void OnNoDxtFocus();
  void OnCheckFocus(UINT id);
  DECLARE_MESSAGE_MAP()

 private:
  CComboBox m_tex2d, m_tex3d, m_antialias, m_sync;
};

// The six custom sea values, each in its combo; changed only by OK.
class CSeaParamDialog : public CDialog {
 public:
  explicit CSeaParamDialog(CEnvDialogHost& host);
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  // The six values from the user record, and back into it.
  void LoadValues();
  void StoreValues() const;
  // The window the dialog is run over.
  void SetParent(CWnd* parent) { m_pParentWnd = parent; }

  int32_t m_values[kSeaParamCount];

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnParamFocus(UINT id);
  DECLARE_MESSAGE_MAP()

 private:
  CEnvDialogHost& m_host;
  CComboBox m_combos[kSeaParamCount];
};

// The sea page (template 156): the sea preset with its custom parameters,
// sea texture and land detail; saves "render_s" and "render_d".  Its number
// is not its tab: the sea and detail pages keep the names the game's
// settings code has always given them.
class CEnvGraphicsPage2 : public CEnvSettingsPage {
 public:
  explicit CEnvGraphicsPage2(CEnvDialogHost& host);
  UINT GetTemplateID() const override;
  BOOL OnInitDialog() override;
  void InitControls() override;
  void RefreshControls() override;
  BOOL Apply() override;
  void LoadControls();

  CSeaParamDialog& GetSeaDialog() { return m_seaDialog; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnCustomSea();
  void OnSeaPresetChange();
  void OnPresetFocus();
  void OnOceanTexFocus();
  void OnMaxLodFocus();
  DECLARE_MESSAGE_MAP()

 private:
  CSeaParamDialog m_seaDialog;
  CComboBox m_oceanTex, m_maxlod, m_preset;
};

// The detail page (template 157): back buffers, device reset and the 3D
// background levels; saves "render_s".
class CEnvGraphicsPage3 : public CEnvSettingsPage {
 public:
  using CEnvSettingsPage::CEnvSettingsPage;
  UINT GetTemplateID() const override;
  BOOL OnInitDialog() override;
  void InitControls() override;
  void RefreshControls() override;
  BOOL Apply() override;
  void LoadControls();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnBbcFocus();
  void OnDvrstFocus();
  void OnLandMFocus();
  void OnLandRFocus();
  DECLARE_MESSAGE_MAP()

 private:
  CComboBox m_bbc, m_dvrst, m_landM, m_landR;
};
