// Packed blocks of the resource-data file: a 12-byte header
// {magic, unpacked size, packed size} followed by a zlib stream.
#pragma once

#include <cstdint>

// "MWC\x1A" read as a little-endian uint32.
constexpr uint32_t kPackedBlockMagic = 0x1A43574Du;
constexpr uint32_t kPackedBlockHeader = 12;
// No skin image comes near this; a larger claim is a damaged file.
constexpr uint32_t kMaxUnpackedSize = 64u * 1024u * 1024u;
// zlib's bound on how far deflate can expand: at most 1032 bytes out for each
// byte in.  A header that claims more is damaged and is refused before its
// output block is allocated.
constexpr uint32_t kMaxDeflateRatio = 1032;
// Input and output are offered to inflate in steps of this many bytes.
constexpr uint32_t kUnpackStep = 8196;

// Result codes of UnpackBlock and UnpackFree; negative values are zlib's.
enum UnpackResult : int {
  kUnpackDone = 0,
  kUnpackNoMemory = 2,
  kUnpackNotPacked = 3,
  kUnpackBadArgs = 6,
};

// Called after every inflate step and once at the end (progress for a UI).
typedef void (*UnpackNotifyFn)(void* context, uint32_t message);

// Unpacks one packed block of length bytes.  On 0 *out holds exactly
// *outLength bytes (the unpacked size the header announced), to be freed
// with UnpackFree.  Any other result hands out nothing (*out = nullptr,
// *outLength = 0): 2 out of memory, 3 the block does not start with the
// magic, 6 missing pointers, an empty block, a packed size that does not
// match length, or an unpacked size of 0, above kMaxUnpackedSize or beyond
// what the packed size can give (kMaxDeflateRatio); a
// negative zlib code for a corrupt stream (Z_DATA_ERROR also when the stream
// gives more or fewer bytes than announced or is followed by extra bytes,
// Z_BUF_ERROR when it is cut short).  notify may be null.
int UnpackBlock(const void* block, uint32_t length, void** out, uint32_t* outLength, UnpackNotifyFn notify = nullptr,
                void* notifyContext = nullptr, uint32_t message = 0);

// Frees bytes handed out by UnpackBlock; 0 (also for null).
int UnpackFree(void* bytes);
