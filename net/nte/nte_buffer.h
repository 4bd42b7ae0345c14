// Byte buffers: one pool element used as a FIFO of bytes.
//
// Invariant: 0 <= start <= end <= size; start = end = 0 whenever a read
// empties the buffer.  A push compacts (moves the unread bytes to the front)
// only when the bytes would not fit at the tail.
#pragma once

#include <cstdint>

struct nte_sbuf {
  uint8_t* storage;  // one element of the pool, or null
  uint32_t start;    // first unread byte
  uint32_t end;      // just past the last written byte
  uint32_t size;     // the pool's element size
  int32_t pool;      // pool index, -1 when none
};

// Takes one element of the pool as storage; 0, or the pool's error (-2 full, -6).
int nte_sbuf_init(nte_sbuf* buf, int pool);
// Returns the storage to its pool (when it holds one); the buffer becomes empty.
void nte_sbuf_free(nte_sbuf* buf);
// Appends n bytes: n, or -2 when they do not fit even after compaction
// (nothing copied), -6 for a negative n or a buffer without storage.
int nte_sbuf_push(nte_sbuf* buf, const void* data, int n);
// Removes up to n bytes from the front, copying them to out unless out is
// null; the number removed (0 when empty).
int nte_sbuf_shift(nte_sbuf* buf, void* out, int n);
// Free space: size - end + start.
int nte_sbuf_get_rest(const nte_sbuf* buf);
// Bytes held: end - start.
int nte_sbuf_get_use(const nte_sbuf* buf);
// p = storage + start, len = end - start (either output may be null).
void nte_sbuf_get_buffer(const nte_sbuf* buf, uint8_t** p, int* len);
