// Fixture helpers for the resource-data file tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "skin/graphic_data_source.h"

// An image in the launcher's form (flags 1): w x h indices, then 256
// {B, G, R, A}; the bytes depend on seed so that entries differ.
inline std::vector<uint8_t> MakeIndexedImage(uint16_t w, uint16_t h, uint8_t seed) {
  std::vector<uint8_t> bytes(static_cast<size_t>(w) * h + 1024);
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + seed) & 0xFF);
  for (size_t c = 0; c < 256; ++c) {
    uint8_t* p = bytes.data() + static_cast<size_t>(w) * h + 4 * c;
    p[0] = static_cast<uint8_t>(c);
    p[1] = static_cast<uint8_t>(c ^ seed);
    p[2] = static_cast<uint8_t>(255 - c);
    p[3] = static_cast<uint8_t>(c == 0 ? 0 : 255);
  }
  return bytes;
}

// A memory source that counts how often it is read.
class CCountingSource : public CGraphicDataSource {
 public:
  CCountingSource(std::vector<uint8_t> bytes, int* reads) : m_bytes(std::move(bytes)), m_reads(reads) {}
  uint64_t GetLength() const override { return m_bytes.size(); }
  bool ReadAt(uint64_t pos, void* buf, uint32_t n) override {
    ++*m_reads;
    if (pos > m_bytes.size() || n > m_bytes.size() - pos) return false;
    if (n != 0) std::memcpy(buf, m_bytes.data() + pos, n);
    return true;
  }

 private:
  std::vector<uint8_t> m_bytes;
  int* m_reads;
};
