#include "settings/env_page_rules.h"

int MapSeaPreset(int value) { return value >= 0 && value <= 2 ? value : kSeaPresetCustomIndex; }

namespace {

// The highest value that has an item of its own, per sea combo, for the
// combos whose item index is the value.
int HighestOwnValue(SeaParam param) {
  switch (param) {
    case kSeaType:
      return 2;
    case kSeaWave:
    case kSeaReflect:
    case kSeaRefract:
      return 3;
    case kSeaSun:
      return 4;
    default:
      return 0;
  }
}

}  // namespace

int SeaIndexFromValue(SeaParam param, int32_t value) {
  // The shoal has two items: none, and shoals (stored as 2).
  if (param == kSeaShoal) return value == 2 ? 1 : 0;
  return value >= 1 && value <= HighestOwnValue(param) ? value : 0;
}

int32_t SeaValueFromIndex(SeaParam param, int index) {
  if (param == kSeaShoal) return index == 1 ? 2 : 0;
  return index >= 1 && index <= HighestOwnValue(param) ? index : 0;
}

int ClampIndex(int index, int lo, int hi) {
  if (index < lo) return lo;
  if (index > hi) return hi;
  return index;
}

uint8_t MaxLodFromIndex(int index) {
  if (index < 0) return 0;
  const uint8_t low = static_cast<uint8_t>(index & 0xFF);
  return low < 3 ? low : 3;
}

int IndexOfItemData(const int64_t* data, int count, int64_t value) {
  for (int i = 0; i < count; ++i) {
    if (data[i] == value) return i;
  }
  return 0;
}

int32_t BackBufferCountFromItem(bool selected, int64_t data) {
  if (!selected) return 1;
  return data < 2 ? static_cast<int32_t>(data) : 2;
}

int FindSelectDeviceEntry(const ModeKey* entries, int count, const int values[6]) {
  const bool windowed = values[5] != 0;
  for (int i = 0; i < count; ++i) {
    const ModeKey& e = entries[i];
    if (static_cast<int>(e.width) == values[2] && static_cast<int>(e.height) == values[3] &&
        static_cast<int>(e.format) == values[4] && e.windowed == windowed)
      return i;
  }
  return 0;
}
