// The launcher's display-mode list, its profile value "select_device" and
// the anti-alias choices, as plain data.  The Win32 side builds the
// framework lists of the settings dialog from these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One enumerated combination, reduced to what the list needs.
struct DX3DModeCandidate {
  uint32_t width, height, format;
  bool usableWindowed, usableFullscreen;
};

// Which candidates become entries.  Bounds are inclusive.
struct DX3DModeLimits {
  uint32_t minWidth, minHeight;        // the requirement's minimum (800 x 600)
  uint32_t maxWidth, maxHeight;        // the upper mode limit
  uint32_t windowWidth, windowHeight;  // a windowed entry must fit inside this
  bool skip16Bit;                      // Windows 8 and 8.1 workstations
};

// The device's present state, for the "selected" mark and the default.
struct DX3DCurrentMode {
  bool windowed;
  uint32_t width, height, format;  // of the back buffer
};

// One entry of the list.
struct DX3DModeEntry {
  bool windowed;
  bool selected;
  uint32_t width, height, format;
  size_t source;  // index of the candidate it came from
};

// Same windowed flag, width and height; full-screen entries also need the
// same format.
bool IsSameModeEntry(const DX3DModeEntry& a, const DX3DModeEntry& b);

// The device runs in the entry's state with a back buffer of the entry's
// size and format.
bool IsCurrentModeEntry(const DX3DModeEntry& entry, const DX3DCurrentMode& current);

// Builds the list in enumeration order: candidates outside the limits, of
// format A2R10G10B10, or (skip16Bit) of 16 bits per pixel are skipped; a
// windowed-usable candidate inside the window limit gives a windowed entry
// and a full-screen-usable one a full-screen entry, each unless the list
// already holds the same mode.  Then sorted (SortModeEntries) and a default
// chosen (SelectDefaultModeEntry).
std::vector<DX3DModeEntry> BuildModeEntries(const std::vector<DX3DModeCandidate>& candidates,
                                            const DX3DModeLimits& limits, const DX3DCurrentMode& current);

// Ascending by width * 65536 + height (unsigned), full screen before
// windowed, then ascending format.
void SortModeEntries(std::vector<DX3DModeEntry>& entries);

// Nothing when an entry is already selected or the list is empty; else
// selects the first entry in the device's state with its back-buffer size,
// failing that the first in the device's state, failing that the first.
void SelectDefaultModeEntry(std::vector<DX3DModeEntry>& entries, const DX3DCurrentMode& current);

// --- "select_device": "0,0,width,height,format,windowed" ---

constexpr int kSelectDeviceFields = 6;
constexpr int kDefaultModeWidth = 800;
constexpr int kDefaultModeHeight = 600;
constexpr int kDefaultModeFormat = 22;  // X8R8G8B8

// Scans up to six integers of the form "%d,%d,%d,%d,%d,%d" and returns how
// many were read; the fields after the first that does not scan keep what
// the caller preset.  A number outside the int range stops the scan there
// too (scanf would give an undefined result).
int ScanSelectDevice(const char* text, int values[kSelectDeviceFields]);

// The value as read back: an empty (or missing) text gives 0, 0, 800, 600,
// 22, 0; anything else is scanned over the caller's presets.
void ReadSelectDevice(const char* text, int values[kSelectDeviceFields]);

// The text written for an entry; the first two fields are always 0.
std::string FormatSelectDevice(uint32_t width, uint32_t height, uint32_t format, bool windowed);

// --- Anti-alias choices ---

constexpr int kAntialiasChoices[] = {0, 2, 4};

// The string id of a choice's name (IDS_ANTIALIAS_*); 0 for a value that is
// not a choice.
unsigned AntialiasNameId(int samples);
