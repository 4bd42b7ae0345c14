// Download settings on the registry and the file system.
#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "framework/afxapp.h"
#include "framework/afxfile.h"
#include "framework/registry_value.h"
#include "framework/scoped_win.h"
#include "update/download_setting.h"

namespace {

bool IsLeadByteOfAnsiCodePage(unsigned char c) { return ::IsDBCSLeadByte(c) != FALSE; }

// Case-insensitive equality of the first n bytes, as the user's locale
// compares multibyte text.
bool EqualNoCase(const char* a, int na, const char* b, int nb) {
  return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, na, b, nb) == CSTR_EQUAL;
}

// The root of a path ("C:\", "\\server\share\") with one backslash.
CString RootOf(const char* path) {
  char buf[MAX_PATH + 1];
  ::lstrcpynA(buf, path, sizeof buf);
  ::PathStripToRootA(buf);
  return WithOneTrailingBackslash(buf, IsLeadByteOfAnsiCodePage);
}

}  // namespace

CBaseBinaryDownloadSetting::CBaseBinaryDownloadSetting(HKEY key, BOOL load, BOOL ownsKey)
    : m_hKey(key), m_bOwnsKey(ownsKey) {
  if (load)
    Load();
  else
    Clear();
}

CBaseBinaryDownloadSetting::~CBaseBinaryDownloadSetting() {
  if (m_bOwnsKey && m_hKey != nullptr) ::RegCloseKey(m_hKey);
}

void CBaseBinaryDownloadSetting::Clear() {
  m_nProxyMode = kProxySystem;
  m_strProxyServer.Empty();
  m_strProxyUser.Empty();
  m_strProxyPassword.Empty();
  m_strDownloadPath.Empty();
}

void CBaseBinaryDownloadSetting::Load() {
  Clear();
  m_strProxyServer = ReadString(kLoginSubkey, "ProxyServer", "");
  m_strProxyUser = ReadString(kLoginSubkey, "ProxyUser", "");
  // A stored password that does not unscramble is left out, not shown raw.
  const CString raw = ReadString(kLoginSubkey, "ProxyPasswd", "");
  if (!raw.IsEmpty()) UnscrambleProxyPassword(raw, m_strProxyPassword);
  m_nProxyMode = ProxyModeFromStored(ReadDword(kLoginSubkey, "UseProxy", 1), m_strProxyServer);
  m_strDownloadPath = ReadString(kLoginSubkey, "DownloadPath", "");
}

BOOL CBaseBinaryDownloadSetting::Save() {
  bool ok = WriteDword(kLoginSubkey, "UseProxy", UseProxyValueForMode(m_nProxyMode)) != FALSE;
  ok = WriteString(kLoginSubkey, "ProxyServer", m_nProxyMode == kProxySystem ? "" : m_strProxyServer.GetString()) && ok;
  if (m_nProxyMode == kProxyNamed) {
    ok = WriteString(kLoginSubkey, "ProxyUser", m_strProxyUser) && ok;
    CString stored;
    // Never the plain text: a password that cannot be scrambled is not kept.
    ok = WriteString(kLoginSubkey, "ProxyPasswd",
                     ScrambleProxyPassword(m_strProxyPassword, stored) ? stored.GetString() : nullptr) &&
         ok;
  } else {
    ok = WriteString(kLoginSubkey, "ProxyUser", nullptr) && ok;
    ok = WriteString(kLoginSubkey, "ProxyPasswd", nullptr) && ok;
  }
  CString folder;
  const BOOL keep = !m_strDownloadPath.IsEmpty() && ValidateFolder(m_strDownloadPath, folder);
  ok = WriteString(kLoginSubkey, "DownloadPath", keep ? folder.GetString() : nullptr) && ok;
  return ok ? TRUE : FALSE;
}

BOOL CBaseBinaryDownloadSetting::GetDownloadFolder(CString& out) {
  if (!m_strDownloadPath.IsEmpty() && ValidateFolder(m_strDownloadPath, out)) return TRUE;
  char temp[MAX_PATH];
  const DWORD n = ::GetTempPathA(sizeof temp, temp);
  out = CString(temp, n > 0 && n < sizeof temp ? static_cast<int>(n) : 0);
  if (!EndsWithBackslash(out, IsLeadByteOfAnsiCodePage)) out += '\\';
  return FALSE;
}

BOOL CBaseBinaryDownloadSetting::ValidateFolder(const char* path, CString& out) {
  if (path == nullptr || path[0] == '\0') return FALSE;
  if (CheckDrive(path) != DRIVE_FIXED) return FALSE;
  const CString root = RootOf(path);
  const CString candidate = WithOneTrailingBackslash(path, IsLeadByteOfAnsiCodePage);
  if (EqualNoCase(candidate, candidate.GetLength(), root, root.GetLength())) {
    out = candidate;
    return TRUE;
  }
  const CString folder = candidate.Left(candidate.GetLength() - 1);
  CFileStatus status;
  if (!CFile::GetStatus(folder, status) || !(status.m_attribute & CFile::directory)) return FALSE;
  out = candidate;
  return TRUE;
}

UINT CBaseBinaryDownloadSetting::QueryDriveType(const char* root) { return ::GetDriveTypeA(root); }

UINT CBaseBinaryDownloadSetting::CheckDrive(const char* path) {
  if (path == nullptr) return DRIVE_NO_ROOT_DIR;
  const CString root = RootOf(path);
  const UINT type = QueryDriveType(root);
  if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) return ::PathIsUNCA(root) ? DRIVE_REMOTE : type;
  if (type != DRIVE_FIXED) return type;
  // Shortcuts to network places look like local folders: whatever lies
  // under the network-neighbourhood folder counts as remote.
  char nethood[MAX_PATH + 1] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, nethood, CSIDL_NETHOOD, FALSE)) return type;
  const int n = static_cast<int>(std::strlen(nethood));
  const int len = static_cast<int>(std::strlen(path));
  if (n > 0 && len >= n && EqualNoCase(path, n, nethood, n)) return DRIVE_REMOTE;
  return type;
}

void CBaseBinaryDownloadSetting::SplitHostPort(CString& host, CString& port) const {
  SplitProxyServer(m_strProxyServer, host, port);
}

BOOL CBaseBinaryDownloadSetting::CheckFolder(BOOL useTemp, const char* path) {
  m_strDownloadPath.Empty();
  if (useTemp || path == nullptr) return TRUE;
  CString folder;
  if (!ValidateFolder(path, folder)) return FALSE;
  m_strDownloadPath = folder;
  return TRUE;
}

void CBaseBinaryDownloadSetting::SetProxy(BOOL useProxy, BOOL useSystem, const char* host, UINT port, const char* user,
                                          const char* password) {
  if (!useProxy) {
    m_nProxyMode = kProxyDirect;
    m_strProxyServer.Empty();
    m_strProxyUser.Empty();
    m_strProxyPassword.Empty();
    return;
  }
  if (!useSystem && host != nullptr && host[0] != '\0') {
    m_nProxyMode = kProxyNamed;
    m_strProxyServer = FormatProxyServer(host, port);
  } else {
    m_nProxyMode = kProxySystem;
    m_strProxyServer.Empty();
  }
  m_strProxyUser = user != nullptr ? user : "";
  m_strProxyPassword = password != nullptr ? password : "";
}

HKEY CBaseBinaryDownloadSetting::OpenSubKey(const char* name) {
  if (m_hKey == nullptr || name == nullptr) return nullptr;
  HKEY h = nullptr;
  DWORD disposition = 0;
  if (::RegCreateKeyExA(m_hKey, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &h, &disposition) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return h;
}

CString CBaseBinaryDownloadSetting::ReadString(const char* subkey, const char* name, const char* def) {
  const CScopedRegKey key(OpenSubKey(subkey));
  if (!key) return def;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
    return def;
  }
  // The stored bytes need not end with a NUL: the text ends at the first
  // one or at the end of the data.
  std::vector<BYTE> buf(size > 0 ? size : 1);
  DWORD got = size;
  if (size > 0 &&
      (::RegQueryValueExA(key.Get(), name, nullptr, &type, buf.data(), &got) != ERROR_SUCCESS || got > size)) {
    return def;
  }
  CString text;
  if (!RegistryTextOf(type, buf.data(), got, false, &text)) return def;
  return text;
}

DWORD CBaseBinaryDownloadSetting::ReadDword(const char* subkey, const char* name, DWORD def) {
  const CScopedRegKey key(OpenSubKey(subkey));
  if (!key) return def;
  DWORD type = 0;
  BYTE bytes[sizeof(DWORD)] = {};
  DWORD size = sizeof bytes;
  uint32_t value = 0;
  if (::RegQueryValueExA(key.Get(), name, nullptr, &type, bytes, &size) != ERROR_SUCCESS ||
      !RegistryDwordOf(type, bytes, size, &value)) {
    return def;
  }
  return value;
}

BOOL CBaseBinaryDownloadSetting::WriteDword(const char* subkey, const char* name, DWORD value) {
  const CScopedRegKey key(OpenSubKey(subkey));
  if (!key) return FALSE;
  return ::RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

BOOL CBaseBinaryDownloadSetting::WriteString(const char* subkey, const char* name, const char* text) {
  const CScopedRegKey key(OpenSubKey(subkey));
  if (!key) return FALSE;
  if (text == nullptr) {
    const LONG rc = ::RegDeleteValueA(key.Get(), name);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
  }
  return ::RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

// ---- free functions --------------------------------------------------------

void ReadGameFolder(HKEY appKey, CString& out) {
  out.Empty();
  if (appKey == nullptr) return;
  // 260 characters and a NUL; one more byte so that a value stored without
  // its NUL still reads as a terminated text.
  char buf[262] = {};
  DWORD type = 0;
  DWORD size = 261;
  if (::RegQueryValueExA(appKey, "GameFolder", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
      type != REG_SZ || size > 261) {
    return;
  }
  buf[size] = '\0';
  if (buf[0] == '\0') return;
  out = buf;
  if (!EndsWithBackslash(out, IsLeadByteOfAnsiCodePage)) out += '\\';
}

namespace {

HKEY AppKey() {
  CWinApp* app = AfxGetApp();
  return app != nullptr ? app->GetAppRegistryKey() : nullptr;
}

}  // namespace

void ReadGameFolder(CString& out) {
  const CScopedRegKey key(AppKey());
  ReadGameFolder(key.Get(), out);
}

BOOL GetDownloadFolder(HKEY appKey, CString& out) {
  CBaseBinaryDownloadSetting setting(appKey, TRUE, FALSE);
  return setting.GetDownloadFolder(out);
}

BOOL GetDownloadFolder(CString& out) {
  CBaseBinaryDownloadSetting setting(AppKey(), TRUE, TRUE);
  return setting.GetDownloadFolder(out);
}
