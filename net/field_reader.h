// A reader over one received message body that never reads past it, on top
// of the engine's bounded record reader.  The first failing field sets a
// sticky error; later reads give zeros and empty texts, so a decoder reads
// its fields in order and checks Error() once at the end.
#pragma once

#include <cstdint>
#include <string>

#include "framework/cstring.h"
#include "net/nte/nte_framing.h"

class CFieldReader {
public:
    // Reads data[offset .. length).
    CFieldReader(const uint8_t* data, int length, int offset);

    uint8_t U8() { return nte_reader_u8(&m_reader); }
    uint16_t U16() { return nte_reader_u16(&m_reader); }
    uint32_t U32() { return nte_reader_u32(&m_reader); }
    int32_t I8() { return static_cast<int8_t>(U8()); }
    int32_t I16() { return static_cast<int16_t>(U16()); }
    // A length-coded string of at most max bytes, as the bytes received
    // (zeros included).  Longer than max: -2; running past the body: -46.
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
