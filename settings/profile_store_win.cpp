#include "settings/profile_store_win.h"

UINT CAppProfileStore::GetInt(const char* section, const char* entry, int nDefault) {
  return m_app.GetProfileInt(section, entry, nDefault);
}

BOOL CAppProfileStore::WriteInt(const char* section, const char* entry, int value) {
  return m_app.WriteProfileInt(section, entry, value);
}

CString CAppProfileStore::GetString(const char* section, const char* entry) {
  return m_app.GetProfileString(section, entry, "");
}
