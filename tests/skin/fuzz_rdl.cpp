// Opens arbitrary bytes as a resource-data file and asks for every entry,
// with a small cache so that eviction runs too.
#include <cstddef>
#include <cstdint>

#include "skin/graphic_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (uint32_t flags : {1u, 0u}) {
    CGraphicData file(3, flags);
    if (!file.OpenMemory(data, size)) continue;
    const int32_t count = file.GetCount();
    // A hostile count may be large but still inside the file; a few hundred
    // entries are enough to reach every path.
    const int32_t limit = count < 512 ? count : 512;
    CGraphicDataHandle held;
    for (int32_t i = -1; i <= limit; ++i) {
      int32_t w = 0, h = 0;
      file.GetImageSize(i, &w, &h);
      CGraphicDataHandle handle;
      if (file.GetImage(i, &handle)) {
        // Touch every byte: the sanitizers catch a block shorter than claimed.
        volatile uint8_t sum = 0;
        for (uint32_t k = 0; k < handle.size; ++k) sum = static_cast<uint8_t>(sum + handle.data[k]);
        if (i % 2 == 0) file.GetImage(i, &held);  // keep one referenced across evictions
      }
    }
  }
  // The unpacker on its own, over the raw bytes.
  void* out = nullptr;
  uint32_t outLength = 0;
  if (UnpackBlock(data, static_cast<uint32_t>(size), &out, &outLength) == kUnpackDone) UnpackFree(out);
  return 0;
}
