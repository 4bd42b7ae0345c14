#include "net/field_reader.h"

#include "net/nte/nte_framing.h"
#include "net/utf8_text.h"

bool CFieldReader::Take(int result)
{
    if (result < 0) {
        m_nError = result;
        return false;
    }
    m_nOffset = result;
    return true;
}

uint8_t CFieldReader::U8()
{
    uint8_t v = 0;
    if (m_nError != 0 || !Take(nte_binary_pop_u8(m_pData, m_nLength, m_nOffset, &v)))
        return 0;
    return v;
}

uint16_t CFieldReader::U16()
{
    uint16_t v = 0;
    if (m_nError != 0 || !Take(nte_binary_pop_u16(m_pData, m_nLength, m_nOffset, &v)))
        return 0;
    return v;
}

uint32_t CFieldReader::U32()
{
    uint32_t v = 0;
    if (m_nError != 0 || !Take(nte_binary_pop_u32(m_pData, m_nLength, m_nOffset, &v)))
        return 0;
    return v;
}

int CFieldReader::View(int max, const uint8_t*& p)
{
    p = nullptr;
    if (m_nError != 0)
        return 0;
    // The engine's reader checks the string in place against the body and
    // the maximum, so nothing is copied before it is known to be sound.
    nte_reader r;
    nte_reader_init(&r, m_pData, m_nLength);
    r.offset = m_nOffset;
    const int n = nte_reader_bytes_view(&r, &p, max);
    if (r.error != 0) {
        m_nError = r.error;
        p = nullptr;
        return 0;
    }
    m_nOffset = r.offset;
    if (p == nullptr || n <= 0) {
        p = nullptr;
        return 0;
    }
    return n;
}

std::string CFieldReader::Bytes(int max)
{
    const uint8_t* p = nullptr;
    const int n = View(max, p);
    return n > 0 ? std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
}

CString CFieldReader::Text(int max)
{
    const std::string bytes = Bytes(max);
    const size_t end = bytes.find('\0');
    return CString(bytes.data(), static_cast<int>(end == std::string::npos ? bytes.size() : end));
}

std::u16string CFieldReader::Utf8Text(int max)
{
    const std::string bytes = Bytes(max);
    return Utf8ToUtf16(bytes.data(), bytes.size());
}
