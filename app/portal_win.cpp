// The portal hand-off's clipboard side: the launch data is read off the
// clipboard at start-up and put back for the game client.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/portal.h"
#include "app/portal_cipher.h"

namespace {

// Fixed by the web portal and the game client, which read and write the
// same format.
const char kPortalClipboardFormat[] = "Sabrix_ClipFormat";

// Holds the clipboard open for one call; opened without an owner window.
class CClipboardSession {
 public:
  CClipboardSession() : m_open(::OpenClipboard(nullptr) != FALSE) {}
  ~CClipboardSession() {
    if (m_open) ::CloseClipboard();
  }
  CClipboardSession(const CClipboardSession&) = delete;
  CClipboardSession& operator=(const CClipboardSession&) = delete;
  bool IsOpen() const { return m_open; }

 private:
  bool m_open;
};

// Locks a global memory block for the life of the object.
class CGlobalLock {
 public:
  explicit CGlobalLock(HGLOBAL block) : m_block(block), m_data(block ? ::GlobalLock(block) : nullptr) {}
  ~CGlobalLock() {
    if (m_data != nullptr) ::GlobalUnlock(m_block);
  }
  CGlobalLock(const CGlobalLock&) = delete;
  CGlobalLock& operator=(const CGlobalLock&) = delete;
  void* Data() const { return m_data; }

 private:
  HGLOBAL m_block;
  void* m_data;
};

}  // namespace

bool GetPortalClipboard(char* out, size_t size, const char* key, bool clear) {
  if (out == nullptr || size == 0) return false;
  const UINT format = ::RegisterClipboardFormatA(kPortalClipboardFormat);
  if (format == 0) return false;
  CClipboardSession clipboard;
  if (!clipboard.IsOpen()) return false;
  HANDLE handle = ::GetClipboardData(format);
  if (handle == nullptr) return false;
  std::string text;
  {
    CGlobalLock lock(static_cast<HGLOBAL>(handle));
    if (lock.Data() == nullptr) return false;
    // Any process can write this format: the text is bounded by the block's
    // own size and need not carry a terminator.
    const SIZE_T blockSize = ::GlobalSize(static_cast<HGLOBAL>(handle));
    if (!DecryptPortalText(static_cast<const char*>(lock.Data()), blockSize, key, &text)) return false;
  }
  if (text.size() > size - 1) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  if (clear) {
    // No data under the format any more: a second reader finds nothing.
    ::SetClipboardData(format, nullptr);
  }
  return true;
}

bool PutPortalClipboard(const char* text, const char* key) {
  if (text == nullptr || text[0] == '\0') return false;
  const size_t length = std::strlen(text);
  if (length + 1 >= kPortalClipboardBlockSize) return false;
  // The enciphered form is more than twice as long as the text: refuse what
  // would not fit the block rather than write past it.
  if (EncipheredPortalLength(length) + 1 > kPortalClipboardBlockSize) return false;
  std::string hex;
  EncryptPortalText(text, key, &hex);

  const UINT format = ::RegisterClipboardFormatA(kPortalClipboardFormat);
  if (format == 0) return false;
  CClipboardSession clipboard;
  if (!clipboard.IsOpen()) return false;
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, hex.size() + 1);
  if (block == nullptr) return false;
  {
    CGlobalLock lock(block);
    if (lock.Data() == nullptr) {
      ::GlobalFree(block);
      return false;
    }
    std::memcpy(lock.Data(), hex.c_str(), hex.size() + 1);
  }
  // The clipboard is not emptied first: the user's other formats stay.
  if (::SetClipboardData(format, block) == nullptr) {
    ::GlobalFree(block);
    return false;
  }
  return true;  // the clipboard owns the block now
}

bool HandOffPortalData() {
  const std::string& text = GetPortalText();
  const std::string& key = GetPortalLaunchKey();
  if (text.empty() || key.empty()) return false;
  return PutPortalClipboard(text.c_str(), key.c_str());
}

bool ParseLaunchArgument(const char* argument) {
  ClearPortalRecord();
  // A key longer than the portal ever gives is not the portal's: the
  // clipboard is left alone.
  if (argument == nullptr || std::strlen(argument) > kPortalKeyMax) return false;
  std::vector<char> buffer(kPortalClipboardBufferSize, '\0');
  if (!GetPortalClipboard(buffer.data(), buffer.size() - 1, argument, true)) return false;
  return AdoptPortalText(buffer.data(), argument);
}
