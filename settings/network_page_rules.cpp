#include "settings/network_page_rules.h"

#include "res/resource.h"
#include "update/download_rules.h"

void ProxyFieldsFromMode(int mode, bool* useProxy, int* proxyKind) {
  *useProxy = mode != kProxyDirect;
  if (mode != kProxyDirect) *proxyKind = mode != kProxySystem ? 1 : 0;
}

void ProxyFieldsFromSettings(int mode, const CString& server, const CString& user, const CString& password,
                             NetworkProxyFields* fields) {
  ProxyFieldsFromMode(mode, &fields->useProxy, &fields->proxyKind);
  SplitProxyServer(server, fields->host, fields->portText);
  unsigned port = 80;
  ParseProxyPort(fields->portText, &port);
  fields->port = port;
  fields->user = user;
  fields->password = password;
}

NetworkEnabling ComputeNetworkEnabling(bool useProxy, bool namedProxy, bool ownFolder) {
  return {useProxy, useProxy && namedProxy, ownFolder};
}

DriveVerdict JudgeDownloadDrive(unsigned driveType) {
  // The drive kinds as GetDriveTypeA numbers them.
  switch (driveType) {
    case 3:  // fixed
      return {true, 0};
    case 0:  // unknown
    case 1:  // no root directory
      return {false, IDS_NET_NO_SUCH_DRIVE};
    case 2:  // removable
    case 5:  // CD-ROM
      return {false, IDS_NET_REMOVABLE_DRIVE};
    case 4:  // remote
      return {false, IDS_NET_NETWORK_DRIVE};
    case 6:  // RAM disk
      return {false, IDS_NET_RAM_DISK};
    default:
      return {false, 0};
  }
}

namespace {

// Windows takes '/' for a separator as well as '\\', so the walk does too:
// "C:\\games/quorl/patch" is three levels.
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

FolderWalkResult WalkDownloadFolder(const char* folder, CFolderWalkSystem& fs, std::string* failedPath) {
  // Stepped character by character, so that the second byte of a
  // two-byte character (0x5C in some code pages) is never taken for a
  // backslash.
  auto next = [&fs](const char* at) {
    const char* n = fs.Next(at);
    return n > at ? n : at + 1;  // always forward
  };
  const char* first = folder;
  while (*first != '\0' && !IsSeparator(*first)) first = next(first);
  if (*first == '\0' || first[1] == '\0') return kWalkDone;
  bool asked = false;
  const char* p = first + 1;
  for (;;) {
    const bool atEnd = *p == '\0';
    if (atEnd || IsSeparator(*p)) {
      const std::string prefix(folder, static_cast<size_t>(p - folder));
      switch (fs.Probe(prefix)) {
        case CFolderWalkSystem::kMissing:
          if (!asked) {
            asked = true;
            if (!fs.ConfirmCreate()) return kWalkDeclined;
          }
          if (!fs.MakeFolder(prefix)) return kWalkCannotMake;
          break;
        case CFolderWalkSystem::kFile:
          if (failedPath != nullptr) *failedPath = prefix;
          return kWalkFileInTheWay;
        case CFolderWalkSystem::kFolder:
          break;
      }
      // The end of the text, or a backslash that ends it.
      if (atEnd || p[1] == '\0') return kWalkDone;
    }
    p = next(p);
  }
}
