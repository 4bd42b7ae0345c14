#include "skin/graphic_unpack.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "framework/byte_order.h"

namespace {

uint32_t Min32(uint32_t a, uint32_t b) { return a < b ? a : b; }

// Runs the inflate loop over an initialised stream.  Returns 0 only when the
// stream ended exactly at the end of both the input and the output.
int InflateExactly(z_stream* s, const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                   UnpackNotifyFn notify, void* context, uint32_t message) {
  uint32_t inUsed = 0;
  uint32_t outUsed = 0;
  bool ended = false;
  // The steps exist for the window that is told after each one.  Without
  // one the whole block goes in one call: the result is the same, but
  // inflate then stays in its fast loop and does not copy every step's
  // output into its history window as well.
  const uint32_t step = notify != nullptr ? kUnpackStep : UINT32_MAX;
  while (!ended && outUsed < outLength && inUsed < inLength) {
    const uint32_t inStep = Min32(step, inLength - inUsed);
    const uint32_t outStep = Min32(step, outLength - outUsed);
    s->next_in = const_cast<Bytef*>(in + inUsed);
    s->avail_in = inStep;
    s->next_out = out + outUsed;
    s->avail_out = outStep;
    const int rc = inflate(s, Z_NO_FLUSH);
    inUsed += inStep - s->avail_in;
    outUsed += outStep - s->avail_out;
    if (notify != nullptr) notify(context, message);
    if (rc == Z_STREAM_END) {
      ended = true;
    } else if (rc == Z_NEED_DICT) {
      // The skin never uses a preset dictionary.
      return Z_DATA_ERROR;
    } else if (rc == Z_BUF_ERROR) {
      // No progress although both sides had room: never on sound data, and
      // looping on it would never end.
      return Z_DATA_ERROR;
    } else if (rc < 0) {
      return rc;
    }
  }
  if (!ended && outUsed == outLength && inUsed < inLength) {
    // The output is full but the stream goes on: either the announced size
    // is too small, or only the end marker is left.  Let inflate read on
    // with no output room; only a clean end is accepted.
    uint8_t spare = 0;
    s->next_in = const_cast<Bytef*>(in + inUsed);
    s->avail_in = inLength - inUsed;
    s->next_out = &spare;
    s->avail_out = 0;
    const int rc = inflate(s, Z_NO_FLUSH);
    inUsed = inLength - s->avail_in;
    if (rc == Z_STREAM_END) {
      ended = true;
    } else if (rc == Z_OK && s->avail_in == 0) {
      return Z_BUF_ERROR;  // the trailer is cut off
    } else if (rc < 0 && rc != Z_BUF_ERROR) {
      return rc;
    } else {
      return Z_DATA_ERROR;  // more output is waiting than announced
    }
  }
  if (!ended) return Z_BUF_ERROR;  // the input ran out before the stream's end
  // Ended: both sides must be used up exactly.
  if (outUsed != outLength || inUsed != inLength) return Z_DATA_ERROR;
  return Z_OK;
}

}  // namespace

int UnpackBlock(const void* block, uint32_t length, void** out, uint32_t* outLength, UnpackNotifyFn notify,
                void* notifyContext, uint32_t message) {
  if (out != nullptr) *out = nullptr;
  if (outLength != nullptr) *outLength = 0;
  if (block == nullptr || out == nullptr || outLength == nullptr || length == 0) return kUnpackBadArgs;
  const uint8_t* bytes = static_cast<const uint8_t*>(block);
  if (length < 4 || GetLe32(bytes) != kPackedBlockMagic) return kUnpackNotPacked;
  if (length < kPackedBlockHeader) return kUnpackBadArgs;
  const uint32_t unpacked = GetLe32(bytes + 4);
  const uint32_t packed = GetLe32(bytes + 8);
  // Written as a subtraction: packed + 12 could wrap on a hostile header.
  if (packed != length - kPackedBlockHeader) return kUnpackBadArgs;
  if (unpacked == 0 || unpacked > kMaxUnpackedSize) return kUnpackBadArgs;
  // Written as a division: packed * 1032 could wrap.
  if ((unpacked - 1) / kMaxDeflateRatio >= packed) return kUnpackBadArgs;

  uint8_t* dest = static_cast<uint8_t*>(std::malloc(unpacked));
  if (dest == nullptr) return kUnpackNoMemory;

  z_stream s;
  std::memset(&s, 0, sizeof(s));
  // Fixed on purpose: inflateInit_ with the version text "1.2.1", not the
  // inflateInit macro; zlib only compares its first character.
  int rc = inflateInit_(&s, "1.2.1", static_cast<int>(sizeof(z_stream)));
  if (rc != Z_OK) {
    std::free(dest);
    return rc < 0 ? rc : Z_STREAM_ERROR;
  }
  rc = InflateExactly(&s, bytes + kPackedBlockHeader, packed, dest, unpacked, notify, notifyContext, message);
  const int endRc = inflateEnd(&s);
  if (rc == Z_OK && endRc < 0) rc = endRc;
  if (notify != nullptr) notify(notifyContext, message);
  if (rc != Z_OK) {
    std::free(dest);
    return rc;
  }
  *out = dest;
  *outLength = unpacked;
  return kUnpackDone;
}

int UnpackFree(void* bytes) {
  std::free(bytes);
  return kUnpackDone;
}
