// Reading the localisation record from the program's resource and from the
// id file beside it; the record itself is decoded by CLocalizeInfo.
#include <vector>

#include "app/launcher_app.h"

namespace {

// The id file is a line or two of text; anything larger is not one.
constexpr DWORD kMaxIdFileSize = 64 * 1024;

// Reads a whole small file, shared for reading only (share-deny-write).
// Returns 1 when it cannot be opened, 2 when reading fails, else 0.
int ReadIdFile(const char* path, std::vector<char>& data) {
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) return kLocalizeCannotOpen;
  try {
    uint64_t length = file.GetLength();
    if (length > kMaxIdFileSize) {
      file.Close();
      return kLocalizeReadFailed;
    }
    data.resize(static_cast<size_t>(length));
    UINT got = data.empty() ? 0 : file.Read(data.data(), static_cast<UINT>(data.size()));
    data.resize(got);
    file.Close();
  } catch (CException* e) {
    e->Delete();
    return kLocalizeReadFailed;
  }
  return kLocalizeOk;
}

}  // namespace

int LoadLocalizeInfoResource(CLocalizeInfo& info, UINT id, uint32_t key, const char* type) {
  HINSTANCE module = AfxGetResourceHandle();
  HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!found) return kLocalizeResourceMissing;
  HGLOBAL loaded = ::LoadResource(module, found);
  const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
  if (!data) return kLocalizeResourceMissing;
  // Nothing guarantees a terminating NUL inside the resource: bound the
  // text by the resource's own size.
  return info.DecodeRecord(data, ::SizeofResource(module, found), key);
}

int LoadLocalizeInfoScrambledFile(CLocalizeInfo& info, const char* path, uint32_t key) {
  std::vector<char> data;
  int rc = ReadIdFile(path, data);
  if (rc != kLocalizeOk) return rc;
  return info.LoadFromFileText(data.data(), data.size(), key);
}

int LoadLocalizeInfoTextFile(CLocalizeInfo& info, const char* path) {
  std::vector<char> data;
  int rc = ReadIdFile(path, data);
  if (rc == kLocalizeReadFailed) return kLocalizeCodePageUnreadable;
  if (rc != kLocalizeOk) return rc;
  return info.LoadFromFileText(data.data(), data.size(), 0);
}
