// The settings pages' rules that need no window: how a stored value picks a
// combo item and what an item stores back, the sea presets, the sea
// dialog's six index <-> value maps and the display-mode match.  The pages
// (Win32) move values between these rules and their controls.
#pragma once

#include <cstdint>

// "ocean_set" <-> the sea page's preset combo: 0, 1 and 2 stand for
// themselves, anything else is the custom preset 3.
int MapSeaPreset(int value);
// The preset index that makes the custom-parameters button usable.
constexpr int kSeaPresetCustomIndex = 3;

// The six combos of the sea dialog, in the order of their controls.
enum SeaParam : int {
  kSeaType = 0,  // ocean_type: 0 standard, 1 real, 2 best
  kSeaShoal,     // ocean_shoal: 0 or 2
  kSeaWave,      // ocean_wave: 0..3
  kSeaReflect,   // ocean_reflect: 0..3
  kSeaRefract,   // ocean_refract: 0..3
  kSeaSun,       // ocean_sun: 0..4
  kSeaParamCount
};
// The item that shows a stored value (0 for a value without its own item).
int SeaIndexFromValue(SeaParam param, int32_t value);
// The value an item stores; no selection (-1) and unknown items store 0.
int32_t SeaValueFromIndex(SeaParam param, int index);

// A combo whose item index is the value ("2dtex", "3dtexsize",
// "ocean_tex"): the index brought into lo..hi, so that no selection (-1)
// stores lo.
int ClampIndex(int index, int lo, int hi);
// The sea page's "maxlod" combo: no selection stores 0, else the smaller of
// 3 and the index's low byte (the setting is a byte).
uint8_t MaxLodFromIndex(int index);

// "Select by data": the first of count items whose data equals value, or
// item 0 when none does.
int IndexOfItemData(const int64_t* data, int count, int64_t value);

// The detail page's back-buffer count combo: no selection stores 1, a
// selection the smaller of its data and 2.
int32_t BackBufferCountFromItem(bool selected, int64_t data);

// A display mode as the global page compares it with "select_device".
struct ModeKey {
  uint32_t width, height, format;
  bool windowed;
};
// The entry that "select_device" (its six fields: 0, 0, width, height,
// format, windowed) names: same width, height and format and the same
// windowed-ness, for windowed entries too.  0 when none matches (the
// page then shows the first entry).
int FindSelectDeviceEntry(const ModeKey* entries, int count, const int values[6]);
