// The text form of the portal's launch data on the clipboard: the text cut
// into chunks of at most 2,000 bytes, each chunk zero-padded to whole 16-byte
// blocks, enciphered with SEED (ECB) under the launch key and written as
// lower-case hexadecimal, the chunks joined by "|".
//
// The key is the first 16 bytes of the launch key, filled up with zero bytes
// when it is shorter. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Longest chunk of plain text that is enciphered on its own.
constexpr size_t kPortalChunkSize = 2000;
// Longest "|"-separated piece of clipboard text accepted: a 2,000-byte chunk
// makes 4,000 digits, and the portal keeps its pieces within 7,999.
constexpr size_t kPortalMaxPieceLength = 7999;
// Longest deciphered text (and longest enciphered text written back), so
// that either fits a 4,096-byte block with its terminator.
constexpr size_t kPortalMaxTextLength = 4095;

// Value of the leading hexadecimal digits of text (0-9, A-F, a-f), stopping
// at the first other character; 0 for none or for null. Wraps modulo 2^32.
uint32_t HexToUInt(const char* text);

// Removes trailing spaces (only ' ') in place; the new length, or -1 for a
// null text.
int TrimTrailingSpaces(char* text);
// The same for a string.
void TrimTrailingSpaces(std::string* text);

// The 16 key bytes of a launch key (NUL-terminated; null counts as empty).
void PortalKeyBytes(const char* launchKey, uint8_t out[16]);

// Enciphers length bytes of chunk into 32 hexadecimal digits per 16-byte
// block (ceil(length / 16) blocks; an empty chunk gives nothing) and appends
// them to out.
void SeedEncryptToHex(const char* chunk, size_t length, const char* launchKey, std::string* out);

// Deciphers one piece of length hexadecimal digits. out receives, per block,
// the deciphered bytes up to the block's first zero byte, then loses its
// trailing spaces. 0 on success; -1 (out empty) when length is not a
// multiple of 32. A digit pair that is not hexadecimal reads as the value
// of its leading digits, as HexToUInt does.
int SeedDecryptFromHex(const char* hex, size_t length, const char* launchKey, std::string* out);

// Enciphers a whole NUL-terminated text: chunks of at most kPortalChunkSize
// bytes, "|" between them. An empty text gives an empty out. out is
// replaced. Always true (kept for the callers' flow).
bool EncryptPortalText(const char* text, const char* launchKey, std::string* out);

// Length of EncryptPortalText's result for a text of n bytes.
size_t EncipheredPortalLength(size_t n);

// Deciphers clipboard text: the first size bytes of data, or up to its first
// NUL if that comes earlier (clipboard data need not be terminated). Each
// "|"-separated piece goes through SeedDecryptFromHex and the results are
// joined. false (out empty) for an empty text, a piece that is not a
// multiple of 32 digits or longer than kPortalMaxPieceLength, or a result
// longer than kPortalMaxTextLength.
bool DecryptPortalText(const char* data, size_t size, const char* launchKey, std::string* out);
