// A reader over one received message body that never reads past it, on top
// of the engine's wire integers and length-coded strings.  The first failing
// field sets a sticky error; later reads give zeros and empty texts, so a
// decoder reads its fields in order and checks Error() once at the end.
// Codes: -2 an integer past the end or a string over its maximum, -46 a
// string running past the end, -26 a length that needs more than 32 bits.
#pragma once

#include <cstdint>
#include <string>

#include "framework/cstring.h"

class CFieldReader {
public:
    // Reads data[offset .. length).
    CFieldReader(const uint8_t* data, int length, int offset)
        : m_pData(data), m_nLength(data != nullptr && length > 0 ? length : 0), m_nOffset(offset)
    {
    }

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
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

    int Error() const { return m_nError; }
    bool Ok() const { return m_nError == 0; }
    int Remaining() const { return m_nError != 0 ? 0 : m_nLength - m_nOffset; }

private:
    bool Take(int result);

    const uint8_t* m_pData;
    int m_nLength;
    int m_nOffset;
    int m_nError = 0;
};
