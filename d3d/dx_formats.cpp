#include "d3d/dx_formats.h"

#include <cmath>

using namespace dxfmt;

int GetFormatBitsPerPixel(uint32_t format) {
  switch (format) {
    case kR8G8B8:
      return 24;
    case kA8R8G8B8:
    case kX8R8G8B8:
    case kA2B10G10R10:
    case kA8B8G8R8:
    case kX8B8G8R8:
    case kG16R16:
    case kA2R10G10B10:
    case kX8L8V8U8:
    case kQ8W8V8U8:
    case kV16U16:
    case kA2W10V10U10:
    case kD32:
    case kD24S8:
    case kD24X8:
    case kD24X4S4:
    case kD24FS8:
    case kIndex32:
    case kG16R16F:
    case kR32F:
      return 32;
    case kR5G6B5:
    case kX1R5G5B5:
    case kA1R5G5B5:
    case kA4R4G4B4:
    case kA8R3G3B2:
    case kX4R4G4B4:
    case kA8P8:
    case kA8L8:
    case kV8U8:
    case kL6V5U5:
    case kD16Lockable:
    case kD15S1:
    case kD16:
    case kL16:
    case kIndex16:
    case kR16F:
    case kCxV8U8:
    case kUYVY:
    case kYUY2:
    case kR8G8_B8G8:
    case kG8R8_G8B8:
      return 16;
    case kR3G3B2:
    case kA8:
    case kP8:
    case kL8:
    case kA4L4:
    case kDXT2:
    case kDXT3:
    case kDXT4:
    case kDXT5:
      return 8;
    case kDXT1:
      return 4;
    case kA16B16G16R16:
    case kQ16W16V16U16:
    case kA16B16G16R16F:
    case kG32R32F:
      return 64;
    case kA32B32G32R32F:
      return 128;
    default:
      return 0;
  }
}

bool GetDepthFormatPrecision(uint32_t format, float* epsilon, uint32_t* stencilBits) {
  if (format == kUnknown) return false;
  int depth = 0;
  uint32_t stencil = 0;
  switch (format) {
    case kD16Lockable:
      depth = 16;
      break;
    case kD32:
      depth = 32;
      break;
    case kD15S1:
      depth = 15;
      stencil = 1;
      break;
    case kD24S8:
      depth = 24;
      stencil = 8;
      break;
    case kD24X8:
      depth = 24;
      break;
    case kD24X4S4:
      depth = 24;
      stencil = 4;
      break;
    case kD16:
      depth = 16;
      break;
    default:
      break;
  }
  *epsilon = depth != 0 ? std::ldexp(1.0f, -depth) : 1.0f;
  *stencilBits = stencil;
  return true;
}
