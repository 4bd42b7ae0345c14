// The network settings page's rules that need no window: the page's fields
// from the stored proxy mode, which controls are usable, the message for a
// download folder on a drive that cannot hold it, and the walk that makes a
// missing download folder level by level over an injected file system.
#pragma once

#include <cstddef>
#include <string>

#include "framework/cstring.h"

// The page's two proxy fields from a proxy mode (kProxySystem, kProxyDirect,
// kProxyNamed): "use a proxy" unless the mode is direct; the kind (0 system
// settings, 1 named proxy) only when a proxy is used, else kind is left.
void ProxyFieldsFromMode(int mode, bool* useProxy, int* proxyKind);

// The page's proxy fields as the stored download settings fill them.
struct NetworkProxyFields {
  bool useProxy = false;
  int proxyKind = 0;  // 0 the system's settings, 1 the named proxy
  CString host;
  CString portText;    // as stored: a text that is no port is shown as it is
  unsigned port = 80;  // the port when portText is one, else 80
  CString user;
  CString password;
};
// From the download settings' mode (kProxy*), proxy server text ("host:port"),
// user and (plain) password.  The kind is left as it was in direct mode.
void ProxyFieldsFromSettings(int mode, const CString& server, const CString& user, const CString& password,
                             NetworkProxyFields* fields);

// Which controls the page enables.
struct NetworkEnabling {
  bool proxyKinds;   // the two radio buttons
  bool proxyFields;  // host, port, user, password
  bool folder;       // the folder edit and its browse button
};
NetworkEnabling ComputeNetworkEnabling(bool useProxy, bool namedProxy, bool ownFolder);

// A download folder's drive: fixed drives keep the folder; any other kind
// drops it (the temporary folder is used), with the message of its kind
// when it has one (0 = none).
struct DriveVerdict {
  bool keepFolder;
  unsigned messageId;
};
DriveVerdict JudgeDownloadDrive(unsigned driveType);

// The longest folder text the page takes: the path buffers are MAX_PATH
// bytes, terminator included.
constexpr size_t kMaxFolderText = 259;

// What the folder walk sees of the file system.
class CFolderWalkSystem {
 public:
  enum Kind { kMissing, kFolder, kFile };
  virtual ~CFolderWalkSystem() = default;
  virtual Kind Probe(const std::string& path) = 0;
  // Makes one folder level; false when it cannot be made.
  virtual bool MakeFolder(const std::string& path) = 0;
  // Asked once per walk, before the first level is made: true to go on.
  virtual bool ConfirmCreate() = 0;
  // The next character after p (multibyte-aware).
  virtual const char* Next(const char* p) = 0;
};

enum FolderWalkResult {
  kWalkDone,          // every level exists (or was made)
  kWalkDeclined,      // the user would not have the folder made
  kWalkCannotMake,    // a level could not be made
  kWalkFileInTheWay,  // a level names a file; *failedPath holds it
};
// Walks folder from the character after its first separator ('\\' or '/');
// at every separator and at the end, the text before that point must be a
// folder (made when missing, after ConfirmCreate the first time).  A
// folder without a separator, or with nothing after it, is not walked; a
// trailing separator ends the walk.
FolderWalkResult WalkDownloadFolder(const char* folder, CFolderWalkSystem& fs, std::string* failedPath);
