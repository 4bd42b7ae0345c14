// Builds message bodies byte by byte for the tests, independent of the code
// under test: big-endian integers and length-coded strings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CWire {
 public:
  CWire& U8(uint32_t v) {
    m_bytes.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  CWire& U16(uint32_t v) { return U8(v >> 8).U8(v); }
  CWire& U32(uint32_t v) { return U8(v >> 24).U8(v >> 16).U8(v >> 8).U8(v); }
  CWire& Raw(const std::string& s) {
    m_bytes.insert(m_bytes.end(), s.begin(), s.end());
    return *this;
  }
  // Length code in its shortest form (one byte below 253, else 253 + u32).
  CWire& Len(uint32_t n) { return n < 253 ? U8(n) : U8(253).U32(n); }
  CWire& Str(const std::string& s) { return Len(static_cast<uint32_t>(s.size())).Raw(s); }

  const std::vector<uint8_t>& Bytes() const { return m_bytes; }
  const uint8_t* Data() const { return m_bytes.data(); }
  int Size() const { return static_cast<int>(m_bytes.size()); }

 private:
  std::vector<uint8_t> m_bytes;
};

// A record of the 16-bit length framing around a body.
inline std::vector<uint8_t> Frame(const std::vector<uint8_t>& body) {
  std::vector<uint8_t> out;
  out.push_back(static_cast<uint8_t>(body.size() >> 8));
  out.push_back(static_cast<uint8_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}
