// The settings records' profile store over the application's registry
// profile (HKEY_CURRENT_USER\Software\<key>\<profile>\<section>).
#pragma once

#include "framework/afxwin.h"
#include "settings/profile_store.h"

class CAppProfileStore : public CProfileStore {
 public:
  // app: the application whose profile functions are used (not owned).
  explicit CAppProfileStore(CWinApp& app) : m_app(app) {}

  UINT GetInt(const char* section, const char* entry, int nDefault) override;
  BOOL WriteInt(const char* section, const char* entry, int value) override;
  CString GetString(const char* section, const char* entry) override;

 private:
  CWinApp& m_app;
};
