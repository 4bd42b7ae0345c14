// Download settings on the registry and the file system.
#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "framework/afxapp.h"
#include "framework/afxfile.h"
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

void CBaseBinaryDownloadSetting::Save() {
  WriteDword(kLoginSubkey, "UseProxy", UseProxyValueForMode(m_nProxyMode));
  WriteString(kLoginSubkey, "ProxyServer", m_nProxyMode == kProxySystem ? "" : m_strProxyServer.GetString());
  if (m_nProxyMode == kProxyNamed) {
    WriteString(kLoginSubkey, "ProxyUser", m_strProxyUser);
    CString stored;
    // Never the plain text: a password that cannot be scrambled is not kept.
    WriteString(kLoginSubkey, "ProxyPasswd",
                ScrambleProxyPassword(m_strProxyPassword, stored) ? stored.GetString() : nullptr);
  } else {
    WriteString(kLoginSubkey, "ProxyUser", nullptr);
    WriteString(kLoginSubkey, "ProxyPasswd", nullptr);
  }
  CString folder;
  const BOOL keep = !m_strDownloadPath.IsEmpty() && ValidateFolder(m_strDownloadPath, folder);
  WriteString(kLoginSubkey, "DownloadPath", keep ? folder.GetString() : nullptr);
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

void CBaseBinaryDownloadSetting::SplitHostPort(CString& host, UINT* port) const {
  unsigned value = 80;
  SplitProxyServer(m_strProxyServer, host, &value);
  if (port != nullptr) *port = value;
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
  // The stored bytes need not end with a NUL: keep room for one of ours.
  std::vector<char> buf(static_cast<size_t>(size) + 1, '\0');
  DWORD got = size;
  if (::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got) != ERROR_SUCCESS ||
      type != REG_SZ || got > size) {
    return def;
  }
  buf[got] = '\0';
  return CString(buf.data());
}

DWORD CBaseBinaryDownloadSetting::ReadDword(const char* subkey, const char* name, DWORD def) {
  const CScopedRegKey key(OpenSubKey(subkey));
  if (!key) return def;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value) {
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
