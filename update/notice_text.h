// The server's notice for a version check: the maintenance or busy text
// that arrives in fragments with the answers of one component.  Owned by the
// check that shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CNoticeText {
 public:
  // Bytes of text the notice keeps; the rest of a longer notice is dropped.
  static constexpr size_t kCapacity = 8192;

  // Forgets the text and whose it was.
  void Clear();
  // Appends a fragment of component `id`'s notice.  The first fragment
  // decides the component; fragments of any other are ignored, as are
  // empty ones.  What does not fit the capacity is dropped, and the cut
  // never leaves the start of a UTF-8 sequence without its end; after a
  // cut, later fragments are dropped too (they would continue a text that
  // no longer ends where they begin).
  void Append(const void* data, size_t n, uint32_t id);

  // The text (UTF-8 from the server), terminated.
  const char* GetText() const { return m_text.c_str(); }
  size_t GetLength() const { return m_text.size(); }
  bool IsEmpty() const { return m_text.empty(); }
  uint32_t GetId() const { return m_nId; }
  bool WasCut() const { return m_bCut; }

 private:
  std::string m_text;
  uint32_t m_nId = 0;
  bool m_bCut = false;
};

// The length of text[0..n) without a UTF-8 sequence that begins but does
// not end inside it (n when the text ends on a sequence boundary).
size_t Utf8CompleteLength(const char* text, size_t n);
