#include "update/notice_text.h"

void CNoticeText::Clear() {
  m_text.clear();
  m_nId = 0;
  m_bCut = false;
}

void CNoticeText::Append(const void* data, size_t n, uint32_t id) {
  if (data == nullptr || n == 0) return;
  if (m_nId == 0) m_nId = id;
  if (id != m_nId || m_bCut) return;
  const size_t room = kCapacity - m_text.size();
  if (n <= room) {
    m_text.append(static_cast<const char*>(data), n);
    return;
  }
  m_text.append(static_cast<const char*>(data), room);
  m_text.resize(Utf8CompleteLength(m_text.data(), m_text.size()));
  m_bCut = true;
}

size_t Utf8CompleteLength(const char* text, size_t n) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  // A sequence is at most four bytes: look back over at most three
  // continuation bytes for the lead byte of the last sequence.
  size_t back = 0;
  while (back < 3 && back < n && (p[n - 1 - back] & 0xC0) == 0x80) ++back;
  if (back == n) return n;  // only continuation bytes: nothing to complete
  const unsigned char lead = p[n - 1 - back];
  size_t need = 1;
  if (lead >= 0xF0)
    need = 4;
  else if (lead >= 0xE0)
    need = 3;
  else if (lead >= 0xC0)
    need = 2;
  return back + 1 < need ? n - 1 - back : n;
}
