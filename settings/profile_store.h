// The application's profile functions as the settings records see them.
// The Win32 side puts the application's registry profile behind it
// (profile_store_win.h); the native tests put a map behind it.
#pragma once

#include "framework/afxtypes.h"
#include "framework/cstring.h"

class CProfileStore {
 public:
  virtual ~CProfileStore() = default;

  // The stored REG_DWORD, or nDefault when the value is missing (or is not
  // a REG_DWORD: the game client reads it the same way).
  virtual UINT GetInt(const char* section, const char* entry, int nDefault) = 0;
  // Stores a REG_DWORD; FALSE when the registry refused.
  virtual BOOL WriteInt(const char* section, const char* entry, int value) = 0;
  // The stored text, or an empty text when the value is missing.
  virtual CString GetString(const char* section, const char* entry) = 0;
};
