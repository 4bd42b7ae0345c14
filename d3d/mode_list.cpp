#include "d3d/mode_list.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "d3d/dx_formats.h"
#include "res/resource.h"

bool IsSameModeEntry(const DX3DModeEntry& a, const DX3DModeEntry& b) {
  if (a.windowed != b.windowed || a.width != b.width || a.height != b.height) return false;
  return a.windowed || a.format == b.format;
}

bool IsCurrentModeEntry(const DX3DModeEntry& entry, const DX3DCurrentMode& current) {
  return entry.windowed == current.windowed && entry.width == current.width && entry.height == current.height &&
         entry.format == current.format;
}

namespace {

void AppendUnlessPresent(std::vector<DX3DModeEntry>& entries, const DX3DModeEntry& e) {
  for (const DX3DModeEntry& x : entries) {
    if (IsSameModeEntry(x, e)) return;
  }
  entries.push_back(e);
}

}  // namespace

std::vector<DX3DModeEntry> BuildModeEntries(const std::vector<DX3DModeCandidate>& candidates,
                                            const DX3DModeLimits& limits, const DX3DCurrentMode& current) {
  std::vector<DX3DModeEntry> entries;
  for (size_t i = 0; i < candidates.size(); ++i) {
    const DX3DModeCandidate& c = candidates[i];
    if (c.width < limits.minWidth || c.width > limits.maxWidth || c.height < limits.minHeight ||
        c.height > limits.maxHeight)
      continue;
    if (c.format == dxfmt::kA2R10G10B10) continue;
    if (limits.skip16Bit && GetFormatBitsPerPixel(c.format) == 16) continue;
    if (c.usableWindowed && c.width <= limits.windowWidth && c.height <= limits.windowHeight) {
      DX3DModeEntry e = {true, false, c.width, c.height, c.format, i};
      e.selected = IsCurrentModeEntry(e, current);
      AppendUnlessPresent(entries, e);
    }
    if (c.usableFullscreen) {
      DX3DModeEntry e = {false, false, c.width, c.height, c.format, i};
      e.selected = IsCurrentModeEntry(e, current);
      AppendUnlessPresent(entries, e);
    }
  }
  if (entries.size() > 1) SortModeEntries(entries);
  SelectDefaultModeEntry(entries, current);
  return entries;
}

void SortModeEntries(std::vector<DX3DModeEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const DX3DModeEntry& a, const DX3DModeEntry& b) {
    uint32_t ka = a.width * 65536u + a.height;
    uint32_t kb = b.width * 65536u + b.height;
    if (ka != kb) return ka < kb;
    if (a.windowed != b.windowed) return !a.windowed;
    return a.format < b.format;
  });
}

void SelectDefaultModeEntry(std::vector<DX3DModeEntry>& entries, const DX3DCurrentMode& current) {
  if (entries.empty()) return;
  for (const DX3DModeEntry& e : entries) {
    if (e.selected) return;
  }
  for (DX3DModeEntry& e : entries) {
    if (e.windowed == current.windowed && e.width == current.width && e.height == current.height) {
      e.selected = true;
      return;
    }
  }
  for (DX3DModeEntry& e : entries) {
    if (e.windowed == current.windowed) {
      e.selected = true;
      return;
    }
  }
  entries.front().selected = true;
}

int ScanSelectDevice(const char* text, int values[kSelectDeviceFields]) {
  if (text == nullptr) return 0;
  const char* p = text;
  int n = 0;
  while (n < kSelectDeviceFields) {
    if (n > 0) {
      // A literal in the format matches itself only, with no blanks before it.
      if (*p != ',') break;
      ++p;
    }
    // %d: blanks, an optional sign, at least one digit.
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
      negative = *p == '-';
      ++p;
    }
    if (*p < '0' || *p > '9') break;
    long long v = 0;
    bool tooLarge = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
      if (!tooLarge) {
        v = v * 10 + (*p - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) tooLarge = true;
      }
    }
    if (negative) v = -v;
    if (tooLarge || v > INT_MAX || v < INT_MIN) break;
    values[n++] = static_cast<int>(v);
  }
  return n;
}

void ReadSelectDevice(const char* text, int values[kSelectDeviceFields]) {
  if (text == nullptr || *text == '\0') {
    const int defaults[kSelectDeviceFields] = {0, 0, kDefaultModeWidth, kDefaultModeHeight, kDefaultModeFormat, 0};
    std::copy(defaults, defaults + kSelectDeviceFields, values);
    return;
  }
  ScanSelectDevice(text, values);
}

std::string FormatSelectDevice(uint32_t width, uint32_t height, uint32_t format, bool windowed) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%d,%d,%d,%d,%d,%d", 0, 0, static_cast<int>(width), static_cast<int>(height),
                static_cast<int>(format), windowed ? 1 : 0);
  return buf;
}

unsigned AntialiasNameId(int samples) {
  switch (samples) {
    case 0:
      return IDS_ANTIALIAS_NONE;
    case 2:
      return IDS_ANTIALIAS_2X;
    case 4:
      return IDS_ANTIALIAS_4X;
    default:
      return 0;
  }
}
