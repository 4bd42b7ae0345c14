// Opens arbitrary bytes as a resource-data file and asks for every entry,
// with a small cache so that eviction runs too; draws the entries as alpha
// images of fuzzed sizes through the pixel lock and the blend; runs the
// launcher screen over the file; and reads the bytes as a BMP stream (RLE
// included; fuzz_bmp goes further there).  The file objects and the
// destination are made once and reopened on each input: an input costs its
// own bytes only.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "framework/afxfile.h"
#include "skin/dib.h"
#include "skin/graphic_data.h"
#include "skin/launcher_screen.h"
#include "tests/skin/fuzz_bmp_claim.h"

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
    // Alpha images over the entries, sized from the input's last bytes so
    // that an image larger than its entry is tried too, blended into a
    // fixed destination with the lock.
    static CDIB* dest = [] {
      CDIB* d = new CDIB;
      d->CreateBlank(64, 48, nullptr);
      return d;
    }();
    for (int32_t i = 0; i < limit && i < 32; ++i) {
      int32_t w = 0, h = 0;
      file.GetImageSize(i, &w, &h);
      const int extra = size > 0 ? data[size - 1 - static_cast<size_t>(i) % size] % 5 : 0;
      CAlphableDIB image;
      image.Create(w % 80 + extra, h % 60 + extra, i, &file);
      image.Draw(dest, extra - 2, -extra, 70, 50, extra, 0, 0);
      image.HitTest(extra, extra);
    }
    // The launcher screen over the same file: its layout and blending read
    // the entries' sizes and bytes as the program would.  A large picture
    // takes the same paths as a small one, only slower.
    int32_t w = 0, h = 0;
    file.GetImageSize(0, &w, &h);
    if (flags == 1 && static_cast<int64_t>(w) * h <= 256 * 256 && IsUsableLauncherSkin(&file)) {
      CLauncherScreen screen;
      screen.SetSkin(&file);
      screen.InitVisualObjects();
      screen.BuildScreen();
      screen.OnHoverTick(200, 240, false, 1000);
      screen.ButtonDown(200, 240);
      screen.MouseMove(20, 240, true);
      screen.ButtonUp(200, 240, true);
    }
    file.Close();
  }
  // The bytes as a BMP stream, read in place.
  if (!ClaimsLargePicture(data, size)) {
    CMemFile bmp(const_cast<uint8_t*>(data), static_cast<UINT>(size));
    CDIB image;
    if (image.Read(&bmp) && image.GetWidth() <= 4096) {
      image.GetPixel(0, 0);
      image.GetPixel(image.GetWidth() - 1, image.GetHeight() - 1);
    }
  }
  // The unpacker on its own, over the raw bytes.
  void* out = nullptr;
  uint32_t outLength = 0;
  if (UnpackBlock(data, static_cast<uint32_t>(size), &out, &outLength) == kUnpackDone) UnpackFree(out);
  return 0;
}
