// Direct3D 9 surface formats as plain numbers, for the rules that need no
// Direct3D headers.  The values are Direct3D's own (D3DFORMAT); the Win32
// side checks them against <d3d9types.h> at compile time.
#pragma once

#include <cstdint>

namespace dxfmt {

constexpr uint32_t FourCC(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<unsigned char>(a)) |
         (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 8) |
         (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(d)) << 24);
}

constexpr uint32_t kUnknown = 0;
constexpr uint32_t kR8G8B8 = 20;
constexpr uint32_t kA8R8G8B8 = 21;
constexpr uint32_t kX8R8G8B8 = 22;
constexpr uint32_t kR5G6B5 = 23;
constexpr uint32_t kX1R5G5B5 = 24;
constexpr uint32_t kA1R5G5B5 = 25;
constexpr uint32_t kA4R4G4B4 = 26;
constexpr uint32_t kR3G3B2 = 27;
constexpr uint32_t kA8 = 28;
constexpr uint32_t kA8R3G3B2 = 29;
constexpr uint32_t kX4R4G4B4 = 30;
constexpr uint32_t kA2B10G10R10 = 31;
constexpr uint32_t kA8B8G8R8 = 32;
constexpr uint32_t kX8B8G8R8 = 33;
constexpr uint32_t kG16R16 = 34;
constexpr uint32_t kA2R10G10B10 = 35;
constexpr uint32_t kA16B16G16R16 = 36;
constexpr uint32_t kA8P8 = 40;
constexpr uint32_t kP8 = 41;
constexpr uint32_t kL8 = 50;
constexpr uint32_t kA8L8 = 51;
constexpr uint32_t kA4L4 = 52;
constexpr uint32_t kV8U8 = 60;
constexpr uint32_t kL6V5U5 = 61;
constexpr uint32_t kX8L8V8U8 = 62;
constexpr uint32_t kQ8W8V8U8 = 63;
constexpr uint32_t kV16U16 = 64;
constexpr uint32_t kA2W10V10U10 = 67;
constexpr uint32_t kD16Lockable = 70;
constexpr uint32_t kD32 = 71;
constexpr uint32_t kD15S1 = 73;
constexpr uint32_t kD24S8 = 75;
constexpr uint32_t kD24X8 = 77;
constexpr uint32_t kD24X4S4 = 79;
constexpr uint32_t kD16 = 80;
constexpr uint32_t kL16 = 81;
constexpr uint32_t kD32FLockable = 82;
constexpr uint32_t kD24FS8 = 83;
constexpr uint32_t kIndex16 = 101;
constexpr uint32_t kIndex32 = 102;
constexpr uint32_t kQ16W16V16U16 = 110;
constexpr uint32_t kR16F = 111;
constexpr uint32_t kG16R16F = 112;
constexpr uint32_t kA16B16G16R16F = 113;
constexpr uint32_t kR32F = 114;
constexpr uint32_t kG32R32F = 115;
constexpr uint32_t kA32B32G32R32F = 116;
constexpr uint32_t kCxV8U8 = 117;
constexpr uint32_t kUYVY = FourCC('U', 'Y', 'V', 'Y');
constexpr uint32_t kYUY2 = FourCC('Y', 'U', 'Y', '2');
constexpr uint32_t kR8G8_B8G8 = FourCC('R', 'G', 'B', 'G');
constexpr uint32_t kG8R8_G8B8 = FourCC('G', 'R', 'G', 'B');
constexpr uint32_t kDXT1 = FourCC('D', 'X', 'T', '1');
constexpr uint32_t kDXT2 = FourCC('D', 'X', 'T', '2');
constexpr uint32_t kDXT3 = FourCC('D', 'X', 'T', '3');
constexpr uint32_t kDXT4 = FourCC('D', 'X', 'T', '4');
constexpr uint32_t kDXT5 = FourCC('D', 'X', 'T', '5');

}  // namespace dxfmt

// Bits per pixel of a format as the display-mode labels show it: 24, 32, 16,
// 8, 4 (DXT1), 64 or 128; 0 for a format the table does not know.
int GetFormatBitsPerPixel(uint32_t format);

// Depth bits d and stencil bits s of a depth/stencil format, for the depth
// epsilon 2^-d: D16_LOCKABLE (16, 0), D32 (32, 0), D15S1 (15, 1), D24S8
// (24, 8), D24X8 (24, 0), D24X4S4 (24, 4), D16 (16, 0).  Any other non-zero
// format gives epsilon 1.0 and 0 stencil bits.  Format 0 (no depth buffer)
// returns false and leaves both outputs unchanged.
bool GetDepthFormatPrecision(uint32_t format, float* epsilon, uint32_t* stencilBits);
