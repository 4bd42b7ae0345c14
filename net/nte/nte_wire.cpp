// Big-endian wire integers, length codes and the bounded record reader.
#include <cstring>

#include "framework/byte_order.h"
#include "net/nte/nte_framing.h"

namespace {

// True when [offset, offset + n) lies inside [0, length); written so that
// nothing can overflow on a 32-bit target.
bool inside(int offset, int n, int length) {
  return offset >= 0 && n >= 0 && length >= 0 && offset <= length && n <= length - offset;
}

int fail(int code) { return nte_set_last_error(code); }

int done(int offset) {
  nte_set_last_error(NTE_OK);
  return offset;
}

}  // namespace

int nte_binary_push_u32(uint8_t* buffer, int offset, int capacity, uint32_t value) {
  if (!buffer || !inside(offset, 4, capacity)) return fail(NTE_ERR_NO_ROOM);
  PutBe32(buffer + offset, value);
  return done(offset + 4);
}

int nte_binary_push_u16(uint8_t* buffer, int offset, int capacity, uint16_t value) {
  if (!buffer || !inside(offset, 2, capacity)) return fail(NTE_ERR_NO_ROOM);
  PutBe16(buffer + offset, value);
  return done(offset + 2);
}

int nte_binary_push_u8(uint8_t* buffer, int offset, int capacity, uint8_t value) {
  if (!buffer || !inside(offset, 1, capacity)) return fail(NTE_ERR_NO_ROOM);
  buffer[offset] = value;
  return done(offset + 1);
}

int nte_length_code_size(uint32_t value) { return value <= 252 ? 1 : 5; }

int nte_binary_push_bytes(uint8_t* buffer, int offset, int capacity, const void* data, int n) {
  if (!buffer || n < 0 || (n > 0 && !data)) return fail(NTE_ERR_NO_ROOM);
  int code = nte_length_code_size(static_cast<uint32_t>(n));
  if (!inside(offset, code, capacity) || !inside(offset + code, n, capacity)) return fail(NTE_ERR_NO_ROOM);
  if (code == 1) {
    buffer[offset] = static_cast<uint8_t>(n);
  } else {
    buffer[offset] = 253;
    nte_binary_push_u32(buffer, offset + 1, capacity, static_cast<uint32_t>(n));
  }
  if (n > 0) std::memcpy(buffer + offset + code, data, static_cast<size_t>(n));
  return done(offset + code + n);
}

int nte_binary_pop_u8(const uint8_t* buffer, int length, int offset, uint8_t* out) {
  if (!buffer || !inside(offset, 1, length)) return fail(NTE_ERR_NO_ROOM);
  if (out) *out = buffer[offset];
  return done(offset + 1);
}

int nte_binary_pop_u16(const uint8_t* buffer, int length, int offset, uint16_t* out) {
  if (!buffer || !inside(offset, 2, length)) return fail(NTE_ERR_NO_ROOM);
  if (out) *out = GetBe16(buffer + offset);
  return done(offset + 2);
}

int nte_binary_pop_u32(const uint8_t* buffer, int length, int offset, uint32_t* out) {
  if (!buffer || !inside(offset, 4, length)) return fail(NTE_ERR_NO_ROOM);
  if (out) *out = GetBe32(buffer + offset);
  return done(offset + 4);
}

int nte_read_length_code(const uint8_t* data, int available, uint32_t* high, uint32_t* low) {
  uint32_t h = 0, l = 0;
  int used;
  if (!data || available < 1) {
    used = NTE_ERR_TRUNCATED;
  } else if (data[0] <= 252) {
    l = data[0];
    used = 1;
  } else if (data[0] == 253) {
    used = available < 5 ? NTE_ERR_TRUNCATED : 5;
    if (used > 0) l = GetBe32(data + 1);
  } else if (data[0] == 254) {
    used = available < 9 ? NTE_ERR_TRUNCATED : 9;
    if (used > 0) {
      h = GetBe32(data + 1);
      l = GetBe32(data + 5);
    }
  } else {
    used = NTE_ERR_TOO_WIDE;
  }
  if (high) *high = h;
  if (low) *low = l;
  if (used < 0) return fail(used);
  return done(used);
}

int nte_binary_pop_bytes(const uint8_t* buffer, int length, int offset, uint8_t* out, int* capacity) {
  if (!buffer || !capacity || offset < 0 || length < 0) return fail(NTE_ERR_NO_ROOM);
  if (offset >= length) return fail(NTE_ERR_TRUNCATED);
  uint32_t high = 0, low = 0;
  int used = nte_read_length_code(buffer + offset, length - offset, &high, &low);
  if (used < 0) return used;
  if (high != 0) return fail(NTE_ERR_TOO_WIDE);
  int rest = length - offset - used;
  if (low > static_cast<uint32_t>(rest)) return fail(NTE_ERR_TRUNCATED);
  int n = static_cast<int>(low);
  if (*capacity < 0 || n > *capacity || (n > 0 && !out)) return fail(NTE_ERR_NO_ROOM);
  if (n > 0) std::memcpy(out, buffer + offset + used, static_cast<size_t>(n));
  *capacity = n;
  return done(offset + used + n);
}

// The reader keeps the first failure and refuses every read after it, so a
// message parser can read all its fields and test once at the end.

void nte_reader_init(nte_reader* r, const void* data, int length) {
  r->data = static_cast<const uint8_t*>(data);
  r->length = (data && length > 0) ? length : 0;
  r->offset = 0;
  r->error = 0;
}

namespace {
bool reader_fail(nte_reader* r, int code) {
  if (r->error == 0) r->error = code;
  nte_set_last_error(r->error);
  return false;
}
// Integers and skipped bytes past the end fail as the wire-integer readers
// do (-2); strings that run past it keep their own code (-46).
bool reader_take(nte_reader* r, int n) {
  if (r->error != 0) return reader_fail(r, r->error);
  if (!inside(r->offset, n, r->length)) return reader_fail(r, NTE_ERR_NO_ROOM);
  return true;
}
}  // namespace

uint8_t nte_reader_u8(nte_reader* r) {
  if (!reader_take(r, 1)) return 0;
  return r->data[r->offset++];
}

uint16_t nte_reader_u16(nte_reader* r) {
  if (!reader_take(r, 2)) return 0;
  uint16_t v = GetBe16(r->data + r->offset);
  r->offset += 2;
  return v;
}

uint32_t nte_reader_u32(nte_reader* r) {
  if (!reader_take(r, 4)) return 0;
  uint32_t v = GetBe32(r->data + r->offset);
  r->offset += 4;
  return v;
}

int nte_reader_bytes_view(nte_reader* r, const uint8_t** out, int max) {
  if (out) *out = nullptr;
  if (r->error != 0) return reader_fail(r, r->error), 0;
  if (r->offset >= r->length) return reader_fail(r, NTE_ERR_TRUNCATED), 0;
  uint32_t high = 0, low = 0;
  int used = nte_read_length_code(r->data + r->offset, r->length - r->offset, &high, &low);
  if (used < 0) return reader_fail(r, used), 0;
  if (high != 0) return reader_fail(r, NTE_ERR_TOO_WIDE), 0;
  if (low > static_cast<uint32_t>(r->length - r->offset - used)) return reader_fail(r, NTE_ERR_TRUNCATED), 0;
  if (max < 0 || low > static_cast<uint32_t>(max)) return reader_fail(r, NTE_ERR_NO_ROOM), 0;
  if (out) *out = r->data + r->offset + used;
  r->offset += used + static_cast<int>(low);
  nte_set_last_error(NTE_OK);
  return static_cast<int>(low);
}

int nte_reader_bytes(nte_reader* r, uint8_t* out, int capacity) {
  const uint8_t* p = nullptr;
  int start = r->offset;
  int n = nte_reader_bytes_view(r, &p, capacity);
  if (r->error != 0) return 0;
  if (n > 0 && !out) {
    r->offset = start;
    return reader_fail(r, NTE_ERR_NO_ROOM), 0;
  }
  if (n > 0) std::memcpy(out, p, static_cast<size_t>(n));
  return n;
}

void nte_reader_skip(nte_reader* r, int n) {
  if (!reader_take(r, n)) return;
  r->offset += n;
}

int nte_reader_remaining(const nte_reader* r) { return r->error ? 0 : r->length - r->offset; }

int nte_reader_error(const nte_reader* r) {
  nte_set_last_error(r->error);
  return r->error;
}
