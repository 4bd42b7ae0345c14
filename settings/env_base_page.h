// The protocol of the settings dialog's pages: each page is a child dialog
// that fills its controls from the settings records once they are loaded
// (InitControls), fills them again after a reset (RefreshControls), moves
// them back and saves its sections when the dialog's OK applies it
// (Apply), and shows what the focused control sets in its description
// line (control 1071).
#pragma once

#include "framework/afxwin.h"
#include "settings/env_dialog_host.h"

class CEnvBasePage : public CDialog {
 public:
  explicit CEnvBasePage(CEnvDialogHost& host) : m_host(host) {}

  // Shows string stringId (an empty text for a negative id) in the
  // description line.  Base: nothing.
  virtual void SetDescription(int stringId);
  // Shows the hint text of a settings item there.  Base: nothing.
  virtual void SetDescriptionBySetting(int item);
  // Moves the controls into the settings and saves the page's sections;
  // FALSE keeps the dialog open.  Base: TRUE.
  virtual BOOL Apply();
  // The current settings into the controls again (after a reset).
  virtual void RefreshControls();
  virtual void OnPageShow();
  virtual void OnPageHide();
  // Fills the controls once the settings are loaded.
  virtual void InitControls();
  // The page's dialog template.
  virtual UINT GetTemplateID() const = 0;

  // Creates the page as a modeless child dialog of parent from its template.
  BOOL Create(CWnd* parent);

  // A page never closes itself on IDOK (Enter in one of its controls).
  void OnOK() override;

  // Brings this page's tab to the front of the dialog (as a click on it
  // would), so that a prompt about one of its fields shows the field.
  void ShowOwnTab();

 protected:
  // The end of an Apply: TRUE when every save went through; otherwise the
  // player is told that the settings could not be saved, and FALSE keeps
  // the dialog open.
  BOOL SavedOrTold(bool saved);

  CEnvDialogHost& m_host;
};

// The description line of a page (or of the sea dialog): string stringId,
// empty for a negative id or a missing string.
void ShowDescriptionText(CWnd& page, int stringId);
// The hint text of a settings item, for the device of the host.
void ShowSettingHint(CWnd& page, CEnvDialogHost& host, int item);

// The four settings pages' shared description operations.
class CEnvSettingsPage : public CEnvBasePage {
 public:
  using CEnvBasePage::CEnvBasePage;
  void SetDescription(int stringId) override;
  void SetDescriptionBySetting(int item) override;
};

// Combo helpers of the pages: items with item data, and "select by data".
void AddComboItem(CComboBox& combo, const char* text, DWORD_PTR data);
void AddComboStringItem(CComboBox& combo, UINT stringId, DWORD_PTR data);
// Selects the first item whose data equals value, else item 0.
void SelectComboByData(CComboBox& combo, int64_t value);
// "Select index = value": a value without an item leaves no selection.
void SelectComboIndex(CComboBox& combo, int value);
// The check state of button id (BST_*), or -1 when the page has none.
int GetCheckOf(CWnd& page, int id);
// Checks button id when on; FALSE when the page has no such button.
BOOL SetCheckOf(CWnd& page, int id, bool on);
