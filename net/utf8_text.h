// Wide text from the server's UTF-8 strings.
#pragma once

#include <cstddef>
#include <string>

// Decodes UTF-8 into UTF-16 units the way the login server's texts need it:
// one unit per sequence of one, two or three bytes, without validating the
// continuation bytes.  A byte 0x80-0xBF in lead position stands for itself;
// a lead byte 0xC0 or above starts a two-byte sequence, 0xE0 or above a
// three-byte one, and the unit keeps the low 16 bits.  The text ends at the
// first zero byte or after n bytes, whichever comes first; a sequence cut
// short by that end becomes U+FFFD (nothing past the end is read).
std::u16string Utf8ToUtf16(const char* data, size_t n);
std::u16string Utf8ToUtf16(const std::string& text);
