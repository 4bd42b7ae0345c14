#include "net/field_reader.h"

#include "net/utf8_text.h"

CFieldReader::CFieldReader(const uint8_t* data, int length, int offset) {
  nte_reader_init(&m_reader, data, length);
  nte_reader_skip(&m_reader, offset);
}

int CFieldReader::View(int max, const uint8_t*& p) {
  // The engine's reader checks the string in place against the body and
  // the maximum, so nothing is copied before it is known to be sound.
  const int n = nte_reader_bytes_view(&m_reader, &p, max);
  if (!Ok() || p == nullptr || n <= 0) {
    p = nullptr;
    return 0;
  }
  return n;
}

std::string CFieldReader::Bytes(int max) {
  const uint8_t* p = nullptr;
  const int n = View(max, p);
  return n > 0 ? std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
}

CString CFieldReader::Text(int max) {
  const std::string bytes = Bytes(max);
  const size_t end = bytes.find('\0');
  return CString(bytes.data(), static_cast<int>(end == std::string::npos ? bytes.size() : end));
}

std::u16string CFieldReader::Utf8Text(int max) {
  const std::string bytes = Bytes(max);
  return Utf8ToUtf16(bytes.data(), bytes.size());
}
