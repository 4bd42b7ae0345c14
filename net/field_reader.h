// A reader over one received message body that never reads past it: the
// engine's bounded record reader (nte_reader) with the message layer's
// texts on top.  The first failing field sets the reader's sticky error;
// later reads give zeros and empty texts, so a decoder reads its fields in
// order and checks Error() once at the end.
// Codes: -2 an integer past the end or a string over its maximum, -46 a
// string running past the end, -26 a length that needs more than 32 bits.
#pragma once

#include <cstdint>
#include <string>

#include "framework/cstring.h"
#include "net/nte/nte_framing.h"

class CFieldReader {
 public:
  // Reads data[offset .. length); an offset outside the body fails the
  // first read.
  CFieldReader(const uint8_t* data, int length, int offset);

  uint8_t U8() { return nte_reader_u8(&m_reader); }
  uint16_t U16() { return nte_reader_u16(&m_reader); }
  uint32_t U32() { return nte_reader_u32(&m_reader); }
  int32_t I8() { return static_cast<int8_t>(U8()); }
  int32_t I16() { return static_cast<int16_t>(U16()); }
  // A length-coded string of at most max bytes, in place: its length, with
  // p pointing into the body (null and 0 on failure or when empty).
  int View(int max, const uint8_t*& p);
  // As View, copied (zeros included).
  std::string Bytes(int max);
  // As Bytes, cut at the first zero byte, as multi-byte text.
  CString Text(int max);
  // As Bytes, cut at the first zero byte, decoded from UTF-8.
  std::u16string Utf8Text(int max);

  int Error() const { return m_reader.error; }
  bool Ok() const { return m_reader.error == 0; }
  int Remaining() const { return nte_reader_remaining(&m_reader); }

 private:
  nte_reader m_reader;
};
