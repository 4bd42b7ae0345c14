// String scrambler and 6-bit text codec.
//
// Two layers shared by the localisation record, the installed-version store
// and the stored proxy password:
//  - a text codec that turns any bytes into symbols of a fixed 64-symbol
//    alphabet ("@A-Za-z0-9_") and back;
//  - a keyed scrambler for NUL-terminated texts: a clock seed masked with the
//    caller's key goes in front of the text, the text is XORed with a keystream
//    seeded by that seed, and the whole record goes through the text codec.
//
// Everything here is a free function without shared state; any routine may run
// on any thread. Platform-neutral: no Windows headers.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------
// 6-bit text codec

// Value 0..63 of one alphabet symbol, or -1 for any other byte (bytes 128-255
// included).
int32_t Decode6BitSymbol(char c);

// Characters needed to encode n bytes, plus one for the NUL:
// floor((4n + 2) / 3) + 1. Returns 0 when n is negative or the result does not
// fit an int32 (callers treat 0 as "cannot encode").
int32_t Get6BitEncodedLength(int32_t n);

// Most bytes that L characters can yield: floor(3L / 4). 0 for L <= 0.
int32_t Get6BitDecodedLength(int32_t L);

// Encodes srcLen bytes of src into dst as symbols followed by a NUL.
// Returns the number of symbols written (ceil(4 * srcLen / 3), NUL not
// counted), or 0 when src or dst is null, srcLen < 1, or dstCap is below
// Get6BitEncodedLength(srcLen). Nothing is written on failure.
int32_t Encode6BitText(const void* src, int32_t srcLen, char* dst, int32_t dstCap);

// Decodes the NUL-terminated text into dst. Decoding ends quietly at the first
// symbol outside the alphabet (a lone final symbol yields nothing); the bytes
// completed so far count. Returns the number of bytes written, or 0 when text
// or dst is null, the text is empty, dstCap is below
// Get6BitDecodedLength(strlen(text)), or a write would pass dstCap.
int32_t Decode6BitText(const char* text, void* dst, int32_t dstCap);

// ---------------------------------------------------------------------------
// Keystream generator (521 words, lagged-XOR)

struct Keystream521 {
  int32_t index;        // position of the word last handed out, 0..520
  uint32_t words[521];  // w[0]..w[520]
};

// A new generator seeded with seed, from the heap; null when out of memory.
Keystream521* KeystreamCreate(uint32_t seed);

// Low 8 bits of the generator's next word. The first call after seeding
// returns the low byte of w[0].
uint8_t KeystreamNextByte(Keystream521* ks);

// Releases a generator; null is ignored.
void KeystreamDestroy(Keystream521* ks);

// ---------------------------------------------------------------------------
// Scrambler

// Scrambles the NUL-terminated text with key, seeded by the current time in
// seconds since 1970. Returns 1 with a new text in *out (release it with
// ScrambleFreeString), or 0 with *out null: text or out null, empty text, text
// too long for the codec, or out of memory.
int32_t ScrambleEncodeString(const char* text, uint32_t key, char** out);

// The same with an explicit seed instead of the clock, so that a result can
// be reproduced (tests, build tools).
int32_t ScrambleEncodeStringWithSeed(const char* text, uint32_t key, uint32_t seed, char** out);

// Unscrambles a text made by ScrambleEncodeString with the same key. Returns 1
// with a new NUL-terminated text in *out (release it with ScrambleFreeString),
// or 0 with *out null: text or out null, empty text, fewer than 5 decoded
// bytes, text too long, or out of memory. A wrong key is not detected: it
// yields other bytes.
int32_t ScrambleDecodeString(const char* text, uint32_t key, char** out);

// Releases a text handed out by ScrambleEncodeString/ScrambleDecodeString;
// null is ignored.
void ScrambleFreeString(char* text);
