// A minimal PNG writer (8-bit RGBA) for previews of the skin.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgba: width x height x 4 bytes, top row first.  False when the file
// cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);
