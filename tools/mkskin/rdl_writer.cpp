#include "tools/mkskin/rdl_writer.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

void AppendLe16(std::vector<uint8_t>* out, uint16_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

void AppendLe32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void CRdlWriter::AddRaw(uint16_t width, uint16_t height, const std::vector<uint8_t>& bytes) {
  m_entries.push_back(Entry{width, height, bytes});
}

void CRdlWriter::AddPacked(uint16_t width, uint16_t height, const std::vector<uint8_t>& bytes, int level) {
  m_entries.push_back(Entry{width, height, PackBlock(bytes, level)});
}

std::vector<uint8_t> CRdlWriter::PackBlock(const std::vector<uint8_t>& bytes, int level) {
  uLongf packedLength = compressBound(static_cast<uLong>(bytes.size()));
  std::vector<uint8_t> packed(packedLength);
  if (compress2(packed.data(), &packedLength, bytes.data(), static_cast<uLong>(bytes.size()), level) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  std::vector<uint8_t> block;
  block.reserve(12 + packedLength);
  AppendLe32(&block, 0x1A43574Du);
  AppendLe32(&block, static_cast<uint32_t>(bytes.size()));
  AppendLe32(&block, static_cast<uint32_t>(packedLength));
  block.insert(block.end(), packed.begin(), packed.begin() + static_cast<long>(packedLength));
  return block;
}

std::vector<uint8_t> CRdlWriter::EncodeCount(uint32_t count) {
  std::vector<uint8_t> out;
  if (count < 255) {
    out.push_back(static_cast<uint8_t>(count));
  } else if (count < 65535) {
    out.push_back(0xFF);
    AppendLe16(&out, static_cast<uint16_t>(count));
  } else {
    out.push_back(0xFF);
    AppendLe16(&out, 0xFFFF);
    AppendLe32(&out, count);
  }
  return out;
}

std::vector<uint8_t> CRdlWriter::Build() const {
  std::vector<uint8_t> out = EncodeCount(static_cast<uint32_t>(m_entries.size()));
  uint32_t offset = 0;
  for (const Entry& e : m_entries) {
    AppendLe32(&out, offset);
    AppendLe16(&out, e.width);
    AppendLe16(&out, e.height);
    offset += static_cast<uint32_t>(e.stored.size());
  }
  AppendLe32(&out, offset);
  for (const Entry& e : m_entries) out.insert(out.end(), e.stored.begin(), e.stored.end());
  return out;
}

bool CRdlWriter::WriteFile(const std::string& path) const {
  const std::vector<uint8_t> bytes = Build();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  return wrote && closed;
}
