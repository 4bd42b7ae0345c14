// How much of an answer's body a download keeps when its script announced
// the file's size.  A server that sends no Content-Length and never stops
// (a broken origin, or anyone on the plain-HTTP path) must not fill the
// player's disk before the size check can say the file is wrong.
#pragma once

#include <cstdint>

class CDownloadBound {
 public:
  // No announced size: every byte of the body is kept.
  CDownloadBound() = default;
  // The script announced size bytes (0 is a size like any other).
  explicit CDownloadBound(uint32_t announced)
      : m_bounded(true), m_announced(announced), m_room(uint64_t{announced} + 1) {}

  bool IsBounded() const { return m_bounded; }
  // Before the body: false when the answer gave a Content-Length other than
  // the announced size.  Then none of the body is worth reading: the file
  // cannot come out right.
  bool Agrees(bool lengthKnown, uint32_t length) const { return !m_bounded || !lengthKnown || length == m_announced; }
  // got new bytes of the body: cuts got to the bytes that go to the file
  // and tells whether the body has now passed the announced size (read no
  // more of it then).  The file keeps the announced size plus one byte:
  // that byte makes an over-long body fail the size check instead of
  // passing it with a correct prefix.  One compare per read.
  bool Take(uint32_t& got) {
    if (got >= m_room) {
      got = static_cast<uint32_t>(m_room);
      m_room = 0;
      return true;
    }
    m_room -= got;
    return false;
  }

 private:
  bool m_bounded = false;
  uint32_t m_announced = 0;
  // Bytes that may still go to the file; 64-bit because the announced size
  // plus one can be 2^32.
  uint64_t m_room = UINT64_MAX;
};
