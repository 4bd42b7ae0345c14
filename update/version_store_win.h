// The installed-version store over the registry: reads the value "PL" under
// the application's registry key (see update/version_store.h for its
// layers). The launcher never writes the value; the game's installation
// does.
#pragma once

#include <windows.h>

#include <cstdint>

class CMMORPGBaseVersionInfo {
 public:
  CMMORPGBaseVersionInfo() = default;
  virtual ~CMMORPGBaseVersionInfo();

  // Opens the application's registry key through the application object and
  // reads both versions with the key (the region's service id): 1 when both
  // were read, else 0 (versions 0 when the key cannot be opened). first is
  // the game's version, second the launcher's; either may be null. With a
  // non-zero useProfileFile the same text is read from the application's
  // profile file (section "Main", key "PL") instead; the launcher never
  // asks for that.
  virtual int ReadVersions(uint32_t key, uint32_t* first, uint32_t* second, int useProfileFile = 0);

  // Reads and decodes "PL" under an open key: 1 read, 0 not (outputs as
  // DecodeInstalledVersions leaves them; 0 with no key).
  virtual int ReadRegistryPair(HKEY hkey, uint32_t key, uint32_t* first, uint32_t* second);

  // The key for a variant of the store; the launcher only reads variant 0,
  // which is the key unchanged.
  virtual uint32_t MaskKey(uint32_t key, int variant);

  // Reads "PL" (REG_SZ only) under hkey and parses count fields into values:
  // 1 when all count were parsed, else 0.
  static int ReadScrambledValues(HKEY hkey, uint32_t key, uint32_t* values, int count);
};
