// Byte buffers on pool elements.
#include "net/nte/nte_buffer.h"

#include <cstring>

#include "net/nte/nte_error.h"
#include "net/nte/nte_pool.h"

int nte_sbuf_init(nte_sbuf* buf, int pool) {
  if (!buf) return nte_set_last_error(NTE_ERR_INVALID);
  buf->storage = nullptr;
  buf->start = buf->end = buf->size = 0;
  buf->pool = -1;
  int size = nte_array_element_size(pool);
  if (size < 0) return size;
  void* p = nte_alloc_array_object(pool);
  if (!p) return nte_get_last_error();
  buf->storage = static_cast<uint8_t*>(p);
  buf->size = static_cast<uint32_t>(size);
  buf->pool = pool;
  return nte_set_last_error(NTE_OK);
}

void nte_sbuf_free(nte_sbuf* buf) {
  if (!buf || !buf->storage) return;
  buf->start = buf->end = 0;
  nte_free_array_object(buf->pool, buf->storage);
  buf->storage = nullptr;
}

int nte_sbuf_push(nte_sbuf* buf, const void* data, int n) {
  if (!buf || !buf->storage || n < 0 || (n > 0 && !data)) return nte_set_last_error(NTE_ERR_INVALID);
  uint32_t un = static_cast<uint32_t>(n);
  if (buf->size - buf->end < un) {
    // Compact only when the bytes would not fit at the tail.
    uint32_t used = buf->end - buf->start;
    if (used > 0 && buf->start > 0) std::memmove(buf->storage, buf->storage + buf->start, used);
    buf->start = 0;
    buf->end = used;
    if (buf->size - buf->end < un) return nte_set_last_error(NTE_ERR_NO_ROOM);
  }
  if (un > 0) std::memcpy(buf->storage + buf->end, data, un);
  buf->end += un;
  nte_set_last_error(NTE_OK);
  return n;
}

int nte_sbuf_shift(nte_sbuf* buf, void* out, int n) {
  if (!buf || n <= 0) return 0;
  uint32_t k = buf->end - buf->start;
  if (static_cast<uint32_t>(n) < k) k = static_cast<uint32_t>(n);
  if (k > 0 && out) std::memcpy(out, buf->storage + buf->start, k);
  buf->start += k;
  if (buf->start == buf->end) buf->start = buf->end = 0;
  return static_cast<int>(k);
}

int nte_sbuf_get_rest(const nte_sbuf* buf) {
  if (!buf || !buf->storage) return 0;
  return static_cast<int>(buf->size - buf->end + buf->start);
}

int nte_sbuf_get_use(const nte_sbuf* buf) {
  if (!buf || !buf->storage) return 0;
  return static_cast<int>(buf->end - buf->start);
}

void nte_sbuf_get_buffer(const nte_sbuf* buf, uint8_t** p, int* len) {
  if (p) *p = (buf && buf->storage) ? buf->storage + buf->start : nullptr;
  if (len) *len = nte_sbuf_get_use(buf);
}
