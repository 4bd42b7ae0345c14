// The installation's side of the "PL" value, which the launcher never
// writes: built here from the stored form's layers so that the tests can
// store values of every shape.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/scramble.h"

namespace pl_encoder {

struct Options {
  uint8_t start = 0x5A;         // B[0]
  uint32_t seed = 1700000000;   // the scrambler's clock seed
  bool outerTerminator = true;  // a NUL after the scrambled text in layer 2
};

// Layers 2 and 1 around the bytes that follow the start byte.
inline std::string Outer(const std::string& inner, const Options& o = Options()) {
  std::vector<uint8_t> b;
  b.push_back(o.start);
  b.insert(b.end(), inner.begin(), inner.end());
  if (o.outerTerminator) b.push_back(0);
  uint8_t s = o.start;
  for (size_t i = 1; i < b.size(); ++i) {
    b[i] ^= s;
    s = static_cast<uint8_t>(s + 31);
  }
  std::vector<char> text(static_cast<size_t>(Get6BitEncodedLength(static_cast<int32_t>(b.size()))));
  if (Encode6BitText(b.data(), static_cast<int32_t>(b.size()), text.data(), static_cast<int32_t>(text.size())) <= 0)
    return std::string();
  return text.data();
}

// Layers 3 to 1 around a plain text.
inline std::string Wrap(const std::string& plain, uint32_t key, const Options& o = Options()) {
  char* scrambled = nullptr;
  if (!ScrambleEncodeStringWithSeed(plain.c_str(), key, o.seed, &scrambled)) return std::string();
  const std::string inner(scrambled);
  ScrambleFreeString(scrambled);
  return Outer(inner, o);
}

// The installation's byte swap, built from the bytes rather than taken
// from the reader: a reader whose swap were wrong but its own inverse
// would otherwise read back every value this encoder stores.
inline uint32_t Swap(uint32_t v) {
  const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                        static_cast<uint8_t>(v >> 24)};
  return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | uint32_t{b[3]};
}

// The plain text of two versions: "x0|x1" with an optional final "|".
inline std::string PlainFields(uint32_t game, uint32_t launcher, uint32_t key, bool finalBar = true,
                               bool upperCase = false) {
  char text[40];
  std::snprintf(text, sizeof text, upperCase ? "%X|%X%s" : "%x|%x%s", Swap(game) ^ key, Swap(launcher) ^ ~key,
                finalBar ? "|" : "");
  return text;
}

inline std::string Encode(uint32_t game, uint32_t launcher, uint32_t key, const Options& o = Options()) {
  return Wrap(PlainFields(game, launcher, key), key, o);
}

}  // namespace pl_encoder
