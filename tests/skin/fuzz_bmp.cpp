// Reads arbitrary bytes as a BMP stream (uncompressed, RLE8 and RLE4, the
// reader behind Load), and as a sprite stored in an archive after a marker
// byte (Serialize).  A picture that reads is written back and read again,
// and must come back the same.  The input is read in place, and pictures
// that claim megabytes of pixels are passed over (fuzz_bmp_claim.h): an
// input costs its own bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/afxfile.h"
#include "skin/dib.h"
#include "tests/skin/fuzz_bmp_claim.h"

namespace {

size_t HeaderBytes(CDIB& d) {
  uint32_t n = GetColourCount(d.GetHeader());
  if (n > 256) n = 0;
  return kBitmapInfoHeaderBytes + 4 * n;
}

void CheckRoundTrip(CDIB& image) {
  image.GetPixel(0, 0);
  image.GetPixel(image.GetWidth() - 1, image.GetHeight() - 1);
  CMemFile out;
  if (!image.Write(&out)) std::abort();
  out.SeekToBegin();
  CDIB back;
  if (!back.Read(&out)) std::abort();
  const size_t header = HeaderBytes(image);
  if (HeaderBytes(back) != header || std::memcmp(image.GetHeader(), back.GetHeader(), header) != 0) std::abort();
  if (back.GetImageSize() != image.GetImageSize() ||
      std::memcmp(image.GetBits(), back.GetBits(), image.GetImageSize()) != 0)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t* bytes = const_cast<uint8_t*>(data);  // read only: a fixed block is never written
  if (!ClaimsLargePicture(data, size)) {
    CMemFile file(bytes, static_cast<UINT>(size));
    CDIB image;
    if (image.Read(&file)) CheckRoundTrip(image);
  }
  // The same bytes after a marker, as an archive holds an image among
  // other data: the archive reads ahead, Serialize must start where the
  // marker ends.
  if (size > 1 && !ClaimsLargePicture(data + 1, size - 1)) {
    CMemFile file(bytes, static_cast<UINT>(size));
    CSprite sprite;
    sprite.CreateBlank(1, 1, nullptr);
    try {
      CArchive ar(&file, CArchive::load, 64);
      uint8_t marker;
      ar.Read(&marker, 1);
      sprite.Serialize(ar);
      sprite.GetPixel(sprite.GetWidth() - 1, sprite.GetHeight() - 1);
    } catch (CException* e) {
      e->Delete();
      if (sprite.GetWidth() != 1) std::abort();  // the old picture is kept
    }
  }
  return 0;
}
