// Opens arbitrary bytes as a resource-data file and asks for every entry,
// with a small cache so that eviction runs too.  The file objects are made
// once and reopened on each input: an input costs its own bytes only.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "skin/graphic_data.h"
#include "skin/launcher_screen.h"

namespace {

// The input's bytes as they are, without the private copy OpenMemory makes:
// they live as long as the call.
class CBorrowedBytes : public CGraphicDataSource {
 public:
  CBorrowedBytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  uint64_t GetLength() const override { return m_size; }
  bool ReadAt(uint64_t pos, void* buf, uint32_t n) override {
    if (pos > m_size || n > m_size - pos) return false;
    if (n != 0) std::memcpy(buf, m_data + pos, n);
    return true;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
};

// One file object per pixel form (1: the launcher's; 0: 32-bit pixels).
CGraphicData& FileFor(uint32_t flags) {
  static CGraphicData launcher(3, 1);
  static CGraphicData plain(3, 0);
  return flags == 1 ? launcher : plain;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (uint32_t flags : {1u, 0u}) {
    CGraphicData& file = FileFor(flags);
    // Opening closes the previous input first and empties the cache.
    if (!file.OpenSource(std::unique_ptr<CGraphicDataSource>(new CBorrowedBytes(data, size)))) continue;
    const int32_t count = file.GetCount();
    // A hostile count may be large but still inside the file; a few hundred
    // entries are enough to reach every path.
    const int32_t limit = count < 512 ? count : 512;
    {
      CGraphicDataHandle held;
      for (int32_t i = -1; i <= limit; ++i) {
        int32_t w = 0, h = 0;
        file.GetImageSize(i, &w, &h);
        CGraphicDataHandle handle;
        if (file.GetImage(i, &handle)) {
          // The first and the last byte claimed: AddressSanitizer reports a
          // block shorter than its size at the last one, without a walk over
          // megabytes per entry.
          volatile uint8_t touch = handle.data[0];
          touch = handle.data[handle.size - 1];
          (void)touch;
          if (i % 2 == 0) file.GetImage(i, &held);  // keep one referenced across evictions
        }
      }
    }
    // The launcher screen over the same file: its layout and blending read
    // the entries' sizes and bytes as the program would.  A large picture
    // takes the same paths as a small one, only slower.
    int32_t w = 0, h = 0;
    file.GetImageSize(0, &w, &h);
    if (flags == 1 && static_cast<int64_t>(w) * h <= 256 * 256 && IsUsableLauncherSkin(&file)) {
      CLauncherScreen screen;
      screen.Build(&file);
      screen.ButtonDown(200, 240);
      screen.MouseMove(20, 240, true);
      screen.ButtonUp(200, 240);
    }
    file.Close();
  }
  // The unpacker on its own, over the raw bytes.
  void* out = nullptr;
  uint32_t outLength = 0;
  if (UnpackBlock(data, static_cast<uint32_t>(size), &out, &outLength) == kUnpackDone) UnpackFree(out);
  return 0;
}
