// Reduces a drawn image to the launcher's 8-bit form: one index per pixel
// and a table of 256 {B, G, R, A}.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkskin/canvas.h"

struct CIndexedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices;  // top row first, width bytes per row
  uint8_t table[256][4] = {};    // {B, G, R, A}

  // The entry's bytes: indices, then the 1024-byte table.
  std::vector<uint8_t> Bytes() const;
};

// The screen is 5:5:5, so palette colours are put on the 5-bit grid and the
// image is error-diffused against what will really show.  Index 0 is kept
// fully transparent when the image has any transparency.
CIndexedImage Quantise(const Image& image);
