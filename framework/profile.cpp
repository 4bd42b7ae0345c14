// Profile settings of the application: values under
// HKEY_CURRENT_USER\Software\<registry key>\<profile name>\<section>, or an
// .ini file when no registry key was set.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/afxapp.h"
#include "framework/registry_value.h"
#include "framework/scoped_win.h"

namespace {

HKEY CreateSubKey(HKEY parent, const char* name) {
  HKEY h = nullptr;
  DWORD disposition = 0;
  if (::RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &h,
                        &disposition) != ERROR_SUCCESS) {
    return nullptr;
  }
  return h;
}

// A key for one profile call, the application's (no section) or a
// section's: the cache's kept key when a cache lives on this thread, else
// one opened for the call and closed after it.
class CProfileKey {
 public:
  CProfileKey(CWinApp& app, const char* section) {
    if (CProfileKeyCache* cache = app.GetProfileKeyCache()) {
      m_h = section != nullptr ? cache->SectionKey(section) : cache->AppKey();
    } else {
      m_h = section != nullptr ? app.GetSectionKey(section) : app.GetAppRegistryKey();
      m_bOwned = true;
    }
  }
  ~CProfileKey() {
    if (m_bOwned && m_h != nullptr) ::RegCloseKey(m_h);
  }
  CProfileKey(const CProfileKey&) = delete;
  CProfileKey& operator=(const CProfileKey&) = delete;
  HKEY Get() const { return m_h; }

 private:
  HKEY m_h = nullptr;
  bool m_bOwned = false;
};

}  // namespace

// ---- the key cache -----------------------------------------------------------

CProfileKeyCache::CProfileKeyCache(CWinApp* pApp) {
  if (pApp == nullptr || pApp->m_pszRegistryKey == nullptr) return;
  DWORD none = 0;
  if (!pApp->m_nProfileKeyThread.compare_exchange_strong(none, ::GetCurrentThreadId())) return;  // one lives already
  pApp->m_pProfileKeyCache = this;
  m_pApp = pApp;
}

CProfileKeyCache::~CProfileKeyCache() {
  for (const auto& section : m_sections) ::RegCloseKey(section.second);
  if (m_hAppKey != nullptr) ::RegCloseKey(m_hAppKey);
  if (m_pApp != nullptr) {
    m_pApp->m_pProfileKeyCache = nullptr;
    m_pApp->m_nProfileKeyThread.store(0);
  }
}

HKEY CProfileKeyCache::AppKey() {
  if (m_pApp == nullptr) return nullptr;
  if (m_hAppKey == nullptr) m_hAppKey = m_pApp->GetAppRegistryKey();
  return m_hAppKey;
}

HKEY CProfileKeyCache::SectionKey(const char* lpszSection) {
  if (m_pApp == nullptr || lpszSection == nullptr) return nullptr;
  for (const auto& section : m_sections) {
    if (section.first == lpszSection) return section.second;
  }
  HKEY app = AppKey();
  HKEY key = app != nullptr ? CreateSubKey(app, lpszSection) : nullptr;
  if (key != nullptr) m_sections.emplace_back(lpszSection, key);  // a failure is not kept: the next call tries again
  return key;
}

void CProfileKeyCache::ForgetSection(const char* lpszSection) {
  if (lpszSection == nullptr) return;
  for (auto it = m_sections.begin(); it != m_sections.end(); ++it) {
    if (it->first != lpszSection) continue;
    ::RegCloseKey(it->second);
    m_sections.erase(it);
    return;
  }
}

CProfileKeyCache* CWinApp::GetProfileKeyCache() const {
  return m_nProfileKeyThread.load() == ::GetCurrentThreadId() ? m_pProfileKeyCache : nullptr;
}

// ---- the profile functions -----------------------------------------------------

void CWinApp::SetRegistryKey(const char* lpszRegistryKey) {
  std::free(const_cast<char*>(m_pszRegistryKey));
  m_pszRegistryKey = ::_strdup(lpszRegistryKey != nullptr ? lpszRegistryKey : "");
  // The profile name becomes the application's name; an application that
  // wants another one replaces it afterwards.
  std::free(const_cast<char*>(m_pszProfileName));
  m_pszProfileName = ::_strdup(m_pszAppName != nullptr ? m_pszAppName : "");
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey) {
  CString key;
  key.LoadString(nIDRegistryKey);
  SetRegistryKey(key);
}

HKEY CWinApp::GetAppRegistryKey() {
  if (m_pszRegistryKey == nullptr || m_pszProfileName == nullptr) return nullptr;
  CScopedRegKey software(CreateSubKey(HKEY_CURRENT_USER, "Software"));
  if (software.Get() == nullptr) return nullptr;
  CScopedRegKey company(CreateSubKey(software.Get(), m_pszRegistryKey));
  if (company.Get() == nullptr) return nullptr;
  return CreateSubKey(company.Get(), m_pszProfileName);
}

HKEY CWinApp::GetSectionKey(const char* lpszSection) {
  if (lpszSection == nullptr) return nullptr;
  CScopedRegKey app(GetAppRegistryKey());
  if (app.Get() == nullptr) return nullptr;
  return CreateSubKey(app.Get(), lpszSection);
}

UINT CWinApp::GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault) {
  if (lpszEntry == nullptr) return static_cast<UINT>(nDefault);
  if (m_pszRegistryKey == nullptr) {
    return ::GetPrivateProfileIntA(lpszSection, lpszEntry, nDefault, m_pszProfileName);
  }
  CProfileKey key(*this, lpszSection);
  if (key.Get() == nullptr) return static_cast<UINT>(nDefault);
  BYTE bytes[sizeof(DWORD)] = {};
  DWORD type = 0;
  DWORD size = sizeof bytes;
  uint32_t value = 0;
  // A longer value does not fit and is no number; a shorter one is none
  // either.
  if (::RegQueryValueExA(key.Get(), lpszEntry, nullptr, &type, bytes, &size) != ERROR_SUCCESS ||
      !RegistryDwordOf(type, bytes, size, &value)) {
    return static_cast<UINT>(nDefault);
  }
  return value;
}

BOOL CWinApp::WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue) {
  if (lpszEntry == nullptr) return FALSE;
  if (m_pszRegistryKey == nullptr) {
    char text[16];
    ::wsprintfA(text, "%d", nValue);
    return ::WritePrivateProfileStringA(lpszSection, lpszEntry, text, m_pszProfileName);
  }
  CProfileKey key(*this, lpszSection);
  if (key.Get() == nullptr) return FALSE;
  DWORD value = static_cast<DWORD>(nValue);
  return ::RegSetValueExA(key.Get(), lpszEntry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

CString CWinApp::GetProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszDefault) {
  CString fallback(lpszDefault);
  if (lpszEntry == nullptr) return fallback;
  if (m_pszRegistryKey == nullptr) {
    // Grow until the value fits: the call truncates silently.
    for (DWORD size = 256; size <= 65536; size *= 2) {
      CString out;
      DWORD n = ::GetPrivateProfileStringA(lpszSection, lpszEntry, fallback, out.GetBuffer(static_cast<int>(size)),
                                           size + 1, m_pszProfileName);
      if (n < size) {
        out.ReleaseBuffer(static_cast<int>(n));
        return out;
      }
    }
    return fallback;
  }
  CProfileKey key(*this, lpszSection);
  if (key.Get() == nullptr) return fallback;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(key.Get(), lpszEntry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return fallback;
  }
  // The stored data need not end with a terminator: the text is cut at the
  // first NUL or at the end of what was read.
  std::vector<BYTE> data(size > 0 ? size : 1);
  DWORD got = size;
  if (size > 0 && ::RegQueryValueExA(key.Get(), lpszEntry, nullptr, &type, data.data(), &got) != ERROR_SUCCESS) {
    return fallback;
  }
  CString out;
  if (!RegistryTextOf(type, data.data(), got < size ? got : size, true, &out)) return fallback;
  return out;
}

BOOL CWinApp::WriteProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszValue) {
  if (lpszSection == nullptr) return FALSE;
  if (m_pszRegistryKey == nullptr) {
    return ::WritePrivateProfileStringA(lpszSection, lpszEntry, lpszValue, m_pszProfileName);
  }
  if (lpszEntry == nullptr) {
    // Deletes the whole section (its values; a section has no subkeys).
    if (CProfileKeyCache* cache = GetProfileKeyCache()) cache->ForgetSection(lpszSection);
    CProfileKey app(*this, nullptr);
    if (app.Get() == nullptr) return FALSE;
    LONG r = ::RegDeleteKeyA(app.Get(), lpszSection);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
  }
  CProfileKey key(*this, lpszSection);
  if (key.Get() == nullptr) return FALSE;
  if (lpszValue == nullptr) {
    LONG r = ::RegDeleteValueA(key.Get(), lpszEntry);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
  }
  return ::RegSetValueExA(key.Get(), lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                          static_cast<DWORD>(std::strlen(lpszValue) + 1)) == ERROR_SUCCESS;
}

BOOL CWinApp::GetProfileBinary(const char* lpszSection, const char* lpszEntry, LPBYTE* ppData, UINT* pBytes) {
  if (ppData == nullptr || pBytes == nullptr) return FALSE;
  *ppData = nullptr;
  *pBytes = 0;
  if (lpszEntry == nullptr || m_pszRegistryKey == nullptr) return FALSE;
  CProfileKey key(*this, lpszSection);
  if (key.Get() == nullptr) return FALSE;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(key.Get(), lpszEntry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_BINARY) {
    return FALSE;
  }
  std::vector<BYTE> data(size);
  DWORD got = size;
  if (size > 0 && ::RegQueryValueExA(key.Get(), lpszEntry, nullptr, &type, data.data(), &got) != ERROR_SUCCESS) {
    return FALSE;
  }
  if (got > size) got = size;
  *ppData = new BYTE[got > 0 ? got : 1];
  if (got > 0) std::memcpy(*ppData, data.data(), got);
  *pBytes = got;
  return TRUE;
}

BOOL CWinApp::WriteProfileBinary(const char* lpszSection, const char* lpszEntry, LPBYTE pData, UINT nBytes) {
  if (lpszEntry == nullptr || m_pszRegistryKey == nullptr) return FALSE;
  if (pData == nullptr && nBytes != 0) return FALSE;
  CProfileKey key(*this, lpszSection);
  if (key.Get() == nullptr) return FALSE;
  return ::RegSetValueExA(key.Get(), lpszEntry, 0, REG_BINARY, pData, nBytes) == ERROR_SUCCESS;
}
