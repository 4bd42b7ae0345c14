#include "update/version_store_win.h"

#include <vector>

#include "framework/afxwin.h"
#include "framework/scoped_win.h"
#include "update/version_store.h"

namespace {

const char kVersionValueName[] = "PL";
const char kProfileFileSection[] = "Main";
constexpr DWORD kProfileFileBuffer = 4096;

void SetOutputs(uint32_t* first, uint32_t* second, uint32_t a, uint32_t b) {
  if (first != nullptr) *first = a;
  if (second != nullptr) *second = b;
}

}  // namespace

CMMORPGBaseVersionInfo::~CMMORPGBaseVersionInfo() = default;

int CMMORPGBaseVersionInfo::ReadVersions(uint32_t key, uint32_t* first, uint32_t* second, int useProfileFile) {
  CWinApp* app = AfxGetApp();
  if (useProfileFile != 0) {
    std::vector<char> text(kProfileFileBuffer, '\0');
    const DWORD n = app != nullptr ? ::GetPrivateProfileStringA(kProfileFileSection, kVersionValueName, "", text.data(),
                                                                kProfileFileBuffer, app->m_pszProfileName)
                                   : 0;
    return DecodeInstalledVersions(text.data(), n, MaskKey(key, 0), first, second);
  }
  CScopedRegKey appKey(app != nullptr ? app->GetAppRegistryKey() : nullptr);
  if (appKey.Get() == nullptr) {
    SetOutputs(first, second, 0, 0);
    return 0;
  }
  return ReadRegistryPair(appKey.Get(), MaskKey(key, 0), first, second);
}

int CMMORPGBaseVersionInfo::ReadRegistryPair(HKEY hkey, uint32_t key, uint32_t* first, uint32_t* second) {
  uint32_t values[2] = {0, 0};
  int result = 0;
  if (hkey != nullptr && ReadScrambledValues(hkey, key, values, 2)) {
    values[0] = ByteSwap32(values[0] ^ key);
    values[1] = ByteSwap32(values[1] ^ ~key);
    result = 1;
  }
  SetOutputs(first, second, values[0], values[1]);
  return result;
}

uint32_t CMMORPGBaseVersionInfo::MaskKey(uint32_t key, int variant) {
  // Only variant 0 exists for the launcher; it is the key itself.
  (void)variant;
  return key;
}

int CMMORPGBaseVersionInfo::ReadScrambledValues(HKEY hkey, uint32_t key, uint32_t* values, int count) {
  for (int i = 0; i < count; ++i) values[i] = 0;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(hkey, kVersionValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
    return 0;
  }
  // A value far longer than the installation ever writes is not read.
  if (size > kMaxStoredVersionText + 1) return 0;
  // One spare zero byte: the stored text need not end with a terminator.
  std::vector<char> text(static_cast<size_t>(size) + 1, '\0');
  DWORD got = size;
  if (::RegQueryValueExA(hkey, kVersionValueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &got) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return 0;
  }
  if (got > size) got = size;
  return DecodeScrambledValues(text.data(), got, key, values, count) == count ? 1 : 0;
}
