#include "update/client_start.h"

// Fixed by the game's installation: the launcher starts exactly this file.
const char kClientFileName[] = "quorl.bin";

CString EnsureTrailingBackslash(const char* folder) {
  CString text(folder);
  // By characters: the last byte of a double-byte name may be 0x5C.
  if (!text.IsEmpty() && text.ReverseFind('\\') != text.GetLength() - 1) text += '\\';
  return text;
}

CString FolderOfPath(const char* fullPath) {
  const CString path(fullPath);
  // ReverseFind steps over double-byte characters, so a trail byte 0x5C of
  // a Korean or Japanese name is not taken for a separator.
  const int slash = path.ReverseFind('\\');
  if (slash >= 0) return path.Left(slash + 1);
  if (path.GetLength() >= 2 && path[1] == ':') return path.Left(2) + "\\";
  return CString();
}

CString BuildClientCommandLine(const char* fullPath, const char* extra, const char* launchKey) {
  CString line;
  line.Format("\"%s\" ", fullPath != nullptr ? fullPath : "");
  if (extra != nullptr) line += extra;
  if (launchKey != nullptr) line += launchKey;
  return line;
}
