// The video memory estimate: DirectDraw's total of local video memory plus
// the primary surface, in MB.  The sum is taken in 64 bits: Wine reports a
// total that makes the sum exactly 4 GB - 1 bytes, which a 32-bit sum would
// take for the failure value (and any more would wrap it).
#pragma once

#include <cstdint>

// HORZRES x VERTRES x PLANES x BITSPIXEL / 8 (negative counts as 0).
uint64_t PrimarySurfaceBytes(int horzRes, int vertRes, int planes, int bitsPixel);
// (totalVideoMemory + primaryBytes) / 1024 / 1024, truncated.
uint32_t SumVideoMemoryMB(uint32_t totalVideoMemory, uint64_t primaryBytes);

// Win32: the estimate for the default display driver, or
// kVideoMemoryFailed (0xFFFFFFFF) when DirectDraw or IDirectDraw2 is not
// there.  Any thread may ask.  The DirectDraw object of the first answer is
// kept and asked again by the next calls (a new one is made when it
// refuses), until ReleaseVideoMemoryProbe.
uint32_t GetVideoMemoryMB();
// Releases the kept DirectDraw object; the next call makes a new one.  The
// application calls it on its way out, while DirectDraw is still loaded.
void ReleaseVideoMemoryProbe();
