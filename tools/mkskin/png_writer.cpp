#include "tools/mkskin/png_writer.h"

#include <zlib.h>

#include <cstdio>

namespace {

void Be32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Chunk(std::vector<uint8_t>* out, const char* type, const std::vector<uint8_t>& data) {
  Be32(out, static_cast<uint32_t>(data.size()));
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out->insert(out->end(), body.begin(), body.end());
  Be32(out, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(height) * (1 + static_cast<size_t>(width) * 4));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    raw.insert(raw.end(), rgba.begin() + static_cast<long>(y) * width * 4,
               rgba.begin() + static_cast<long>(y + 1) * width * 4);
  }
  uLongf packedLength = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedLength);
  if (compress2(packed.data(), &packedLength, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return false;
  packed.resize(packedLength);

  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  Be32(&ihdr, static_cast<uint32_t>(width));
  Be32(&ihdr, static_cast<uint32_t>(height));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
  Chunk(&file, "IHDR", ihdr);
  Chunk(&file, "IDAT", packed);
  Chunk(&file, "IEND", {});

  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && ok;
}
