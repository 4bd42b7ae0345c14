// Fuzzes the reader of the profile value "select_device": whatever the
// registry holds, the scan stays inside the text, sets only the fields it
// read, and a full value written back scans to the same mode.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "d3d/mode_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  int values[kSelectDeviceFields] = {-7, -7, -7, -7, -7, -7};
  int n = ScanSelectDevice(text.c_str(), values);
  if (n < 0 || n > kSelectDeviceFields) std::abort();
  for (int i = n; i < kSelectDeviceFields; ++i) {
    if (values[i] != -7) std::abort();
  }
  if (n == kSelectDeviceFields) {
    std::string written = FormatSelectDevice(static_cast<uint32_t>(values[2]), static_cast<uint32_t>(values[3]),
                                             static_cast<uint32_t>(values[4]), values[5] != 0);
    int back[kSelectDeviceFields] = {};
    if (ScanSelectDevice(written.c_str(), back) != kSelectDeviceFields || back[0] != 0 || back[1] != 0 ||
        back[2] != values[2] || back[3] != values[3] || back[4] != values[4] || back[5] != (values[5] != 0))
      std::abort();
  }
  int read[kSelectDeviceFields] = {};
  ReadSelectDevice(text.c_str(), read);
  return 0;
}
