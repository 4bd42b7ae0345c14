// The captioned update screen shown while the launcher patches itself and
// the game.  The update sequence itself runs from the start message.
#pragma once

#include <cstdint>

#include "framework/afxwin.h"

class CQuorlLauncherUpdateView : public CFormView {
  DECLARE_DYNCREATE(CQuorlLauncherUpdateView)
 public:
  CQuorlLauncherUpdateView();
  ~CQuorlLauncherUpdateView() override;

  void OnInitialUpdate() override;

  // The version check (update/version_check_win.h): 1 answers complete,
  // 2 failed (the user was told), 3 this window is gone or the application
  // quits.  version 0 asks about the installed launcher and game.
  int CheckVersion(uint32_t version);

  // 0 verified, 1 download again, 2 again bypassing caches, 3 give up.
  int DownloadWithRetry(const char* address, const char* targetPath, uint32_t size, uint32_t crc);
  int SetLatestVersion(uint32_t a, uint32_t b, uint32_t version);
  int SetNextVersion(uint32_t a, uint32_t b, uint32_t version);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  LRESULT OnStartUpdate(WPARAM, LPARAM);
  void OnCancelUpdate();
  DECLARE_MESSAGE_MAP()

 private:
  uint32_t m_latestVersion = 0;
  uint32_t m_nextVersion = 0;
};

// "%u.%03u" of the version's millions and thousands.
CString FormatVersion(uint32_t version);
