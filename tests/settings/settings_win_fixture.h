// Shared by the settings' Win32 tests: the launcher's application object
// with its registry key and a profile of the tests' own, its main window and
// its real Direct3D device, plain registry reads and writes beside the
// profile functions, and text conversions.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/launcher_app.h"

// HKEY_CURRENT_USER\Software\Halvane\<this profile>: the launcher's key
// with a profile name that no other test program uses.
constexpr char kTestProfile[] = "QuorlSettingsTest";
constexpr char kTestAppKey[] = "Software\\Halvane\\QuorlSettingsTest";

// The launcher's application object, set up on first use with
// SetRegistryKey("Halvane") and the test profile name, and a main window
// that lives for the whole run (the device is created on it once).
CQuorlLauncherApp& SettingsTestApp();
// The device check on the main window, once per run; false (with the
// message) when Direct3D is not usable here.
bool InitTestDevice(std::string* message);

// A registry value as a plain read sees it.
struct RegValue {
  bool present = false;
  DWORD type = REG_NONE;
  std::string data;  // raw bytes
  DWORD AsDword() const;
};

RegValue ReadRegValue(const char* section, const char* name);
void WriteRegDword(const char* section, const char* name, DWORD value);
void WriteRegString(const char* section, const char* name, const char* value);
// Every value of every section of the test profile, "section/name" ->
// type and bytes, for before/after comparisons.
std::string SnapshotProfile();
void DeleteTestProfile();

// Wide text from the thread's ANSI code page, and from UTF-8.
std::wstring FromAnsi(const char* text);
std::wstring FromUtf8(const char* text);

// COM for the thread, the main window and a fresh test profile.
class SettingsWinTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  HWND window = nullptr;  // the application's main window
  bool comStarted = false;
};
