// The installed versions as the game's installation stores them: the text
// value "PL" under the application's registry key, read only.
//
// Layers of the stored text, outside in:
//  1. 6-bit text (Decode6BitText) yielding bytes B[0] to B[m-1];
//  2. B[0] is a start byte s; B[i] (i >= 1) is XORed with s + 31 * (i - 1),
//     modulo 256;
//  3. B[1] up to the first NUL (or to B[m-1]) is a scrambled text
//     (ScrambleDecodeString) under the region's service id;
//  4. the plain text is two hexadecimal fields separated by one "|" and
//     optionally ended by one "|";
//  5. game version = byte-swap(field 0 XOR key), launcher version =
//     byte-swap(field 1 XOR NOT key).
//
// Every step is bounded by the lengths actually stored and decoded: a short
// or damaged value is unreadable rather than read past its end. Neutral: the
// Win32 reader (version_store_win.h) hands the value's bytes over.
#pragma once

#include <cstddef>
#include <cstdint>

// Longest stored text looked at; a well-formed value is under 60 symbols.
constexpr size_t kMaxStoredVersionText = 4096;

// Reverses the four bytes of a 32-bit value.
uint32_t ByteSwap32(uint32_t v);

// Reads one field of hexadecimal digits (0-9, a-f, A-F; digits beyond the
// eighth shift the earliest out) at position into value, skips one "|"
// after it, and returns the position of the next field, or null at the end
// of the text. A character that is neither a digit nor "|" is not consumed.
const char* ParseHexField(const char* position, uint32_t* value);

// Unwraps layers 1 to 4 of the stored value (the first size bytes of data,
// ending earlier at a NUL) and parses up to count fields into values. Every
// value not parsed is 0. Returns the number of fields parsed, 0 when the
// value is unreadable: empty, longer than kMaxStoredVersionText, nothing
// decoded, an empty or short scrambled text (one that lost the scrambler's
// stored terminator), or an unscrambling failure.
int DecodeScrambledValues(const char* data, size_t size, uint32_t key, uint32_t* values, int count);

// The two versions from the stored value: 1 when both fields were read.
// On failure the outputs receive the raw fields parsed so far (0 where
// none) and the result is 0; callers then use 0 as the version. Either
// output may be null.
int DecodeInstalledVersions(const char* data, size_t size, uint32_t key, uint32_t* game, uint32_t* launcher);
