// The download and proxy settings of the update run, kept in the registry
// subkey "Login" of the application's key, and the two folders that the
// update flow works with: the installed game's folder and the download
// folder.  Win32 only.
#pragma once

#include <windows.h>

#include "framework/cstring.h"
#include "update/download_rules.h"

class CBaseBinaryDownloadSetting {
 public:
  // key: the key under which "Login" lies (the application's key), may be
  // null (then every read gives its default and writes do nothing).  load:
  // run Load now, else Clear.  ownsKey: the destructor closes the key.
  CBaseBinaryDownloadSetting(HKEY key, BOOL load, BOOL ownsKey);
  virtual ~CBaseBinaryDownloadSetting();
  CBaseBinaryDownloadSetting(const CBaseBinaryDownloadSetting&) = delete;
  CBaseBinaryDownloadSetting& operator=(const CBaseBinaryDownloadSetting&) = delete;

  // Reads every value (missing or mistyped values give their defaults).
  virtual void Load();
  // Writes every value by the rules of the proxy mode; a failed write does
  // not stop the others.  TRUE when every write succeeded.
  virtual BOOL Save();
  // Mode 0 (system settings), all texts empty.
  void Clear();

  // TRUE with the user's folder when it is set and passes ValidateFolder;
  // otherwise FALSE with the temporary folder.  Either way out ends with one
  // backslash.
  BOOL GetDownloadFolder(CString& out);
  // The folder rule: a path on a fixed local drive that is the drive's root
  // or an existing folder.  TRUE with out := the folder and one backslash.
  BOOL ValidateFolder(const char* path, CString& out);
  // The drive type (GetDriveTypeA's numbers) of the path's root; network
  // paths, including those under the network-neighbourhood folder, give
  // DRIVE_REMOTE (4).
  UINT CheckDrive(const char* path);
  // The held proxy server split for display: host, and the port text as
  // stored ("80" when none; see SplitProxyServer).
  void SplitHostPort(CString& host, CString& port) const;
  // Setters of the network settings page.  CheckFolder: useTemp or no path
  // clears the download path (TRUE); else the path is kept when it passes
  // the folder rule (TRUE), and the download path stays empty when not.
  BOOL CheckFolder(BOOL useTemp, const char* path);
  void SetProxy(BOOL useProxy, BOOL useSystem, const char* host, UINT port, const char* user, const char* password);

  // Registry access on a subkey of the held key; each call opens the subkey
  // (creating it when missing) and closes it again.  OpenSubKey returns a
  // key the caller closes, or null.  Reads give their default unless the
  // value exists with the right type (REG_SZ, REG_DWORD).  WriteString with
  // a null text deletes the value.
  HKEY OpenSubKey(const char* name);
  CString ReadString(const char* subkey, const char* name, const char* def);
  DWORD ReadDword(const char* subkey, const char* name, DWORD def);
  BOOL WriteDword(const char* subkey, const char* name, DWORD value);
  BOOL WriteString(const char* subkey, const char* name, const char* text);

  HKEY m_hKey;
  BOOL m_bOwnsKey;
  int m_nProxyMode = kProxySystem;
  CString m_strProxyServer;  // host:port of the named proxy
  CString m_strProxyUser;
  CString m_strProxyPassword;  // plain in memory, scrambled in the registry
  CString m_strDownloadPath;   // empty: the temporary folder

 protected:
  // GetDriveTypeA of a root; tests replace it for drive kinds that the
  // test machine does not have.
  virtual UINT QueryDriveType(const char* root);
};

// The subkey of the application's key that holds these settings, and the
// value names.  Fixed: the game client and earlier launchers share them.
// The same subkey holds the login server's address, "Server".
constexpr const char* kLoginSubkey = "Login";
constexpr const char* kLoginServerEntry = "Server";

// The installed game's folder ("GameFolder" under the application's key,
// REG_SZ only) with one trailing backslash; empty when missing, empty or of
// another type.  The first form uses the application's key.
void ReadGameFolder(CString& out);
void ReadGameFolder(HKEY appKey, CString& out);
// The download folder by the settings under the application's key (see
// CBaseBinaryDownloadSetting::GetDownloadFolder).  The second form reads
// under appKey and leaves it open.
BOOL GetDownloadFolder(CString& out);
BOOL GetDownloadFolder(HKEY appKey, CString& out);
