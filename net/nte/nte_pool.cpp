// Fixed-size element pools.
#include "net/nte/nte_pool.h"

#include <cstdint>
#include <cstring>

#include "net/nte/nte_core.h"
#include "net/nte/nte_pool_table.h"

namespace {

struct Descriptor {
  int32_t in_use;
  Descriptor* prev;  // allocated just before this one
  Descriptor* next;  // allocated just after this one
  uint8_t* storage;
};

struct Pool {
  int32_t in_use;
  int32_t count;
  int32_t size;
  Descriptor* descriptors;
  Descriptor** blank;
  int32_t top;
  uint8_t* storage;
  uint32_t whole_size;
  Descriptor* newest;
  Descriptor* oldest;
  char name[NTE_POOL_NAME_MAX + 1];
};

Pool* g_table = nullptr;
int g_slots = 0;

Pool* pool_at(int index) {
  if (!g_table || index < 0 || index >= g_slots || !g_table[index].in_use) {
    nte_set_last_error(NTE_ERR_INVALID);
    return nullptr;
  }
  return &g_table[index];
}

// The element index of p, or -1 when p is outside or off a boundary.
// Pointer differences are taken as unsigned offsets, so that a pointer
// below the storage cannot wrap into range.
int element_of(const Pool* pool, const void* p) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  if (!b || b < pool->storage) return -1;
  uintptr_t off = static_cast<uintptr_t>(b - pool->storage);
  if (off % static_cast<uint32_t>(pool->size) != 0) return -1;
  uintptr_t i = off / static_cast<uint32_t>(pool->size);
  if (i >= static_cast<uint32_t>(pool->count)) return -1;
  return static_cast<int>(i);
}

}  // namespace

namespace nte_internal {

int pool_table_create(int slots) {
  if (g_table) return NTE_OK;
  // The table's byte size must not wrap on a 32-bit target.
  if (slots <= 0 || static_cast<size_t>(slots) > SIZE_MAX / sizeof(Pool)) {
    return nte_set_last_error(NTE_ERR_STARTUP_ALLOC);
  }
  g_table = static_cast<Pool*>(nte_malloc(sizeof(Pool) * static_cast<size_t>(slots)));
  if (!g_table) return nte_set_last_error(NTE_ERR_STARTUP_ALLOC);
  std::memset(g_table, 0, sizeof(Pool) * static_cast<size_t>(slots));
  g_slots = slots;
  return nte_set_last_error(NTE_OK);
}

int pool_table_end() {
  if (!g_table) return NTE_OK;
  // Pools still open at the end are released here, so that nothing leaks
  // when a module forgot its pool.
  for (int i = 0; i < g_slots; ++i) {
    if (g_table[i].in_use) nte_end_array(i);
  }
  nte_free(g_table);
  g_table = nullptr;
  g_slots = 0;
  return NTE_OK;
}

}  // namespace nte_internal

int init_array(int size, int n, const char* name) {
  if (!g_table) return nte_set_last_error(NTE_ERR_INVALID);
  int index = -1;
  for (int i = 0; i < g_slots; ++i) {
    if (!g_table[i].in_use) {
      index = i;
      break;
    }
  }
  if (index < 0) {
    nte_errout("Fatal:1003 array table scarcity (init_array)\n");
    return nte_set_last_error(NTE_ERR_NO_ROOM);
  }
  if (size <= 0 || n < 0) return nte_set_last_error(NTE_ERR_INVALID);
  // n x size must fit a 32-bit size: checked by division, not by a product
  // that could wrap.
  if (n > 0 && static_cast<uint32_t>(size) > 0xFFFFFFFFu / static_cast<uint32_t>(n)) {
    nte_errout("Fatal:1010 MALLOC fail (index=%d)\n", index);
    return nte_set_last_error(NTE_ERR_NO_ROOM);
  }
  size_t whole = static_cast<size_t>(size) * static_cast<size_t>(n);
  size_t alloc_n = n > 0 ? static_cast<size_t>(n) : 1;
  // The descriptors take 16 bytes an element on a 32-bit target: a count
  // whose storage fits may still wrap their byte size.
  if (alloc_n > SIZE_MAX / sizeof(Descriptor)) {
    nte_errout("Fatal:1011 MALLOC fail (index=%d)\n", index);
    return nte_set_last_error(NTE_ERR_NO_ROOM);
  }
  uint8_t* storage = static_cast<uint8_t*>(nte_malloc(whole > 0 ? whole : 1));
  if (!storage) {
    nte_errout("Fatal:1010 MALLOC fail (index=%d)\n", index);
    return nte_set_last_error(NTE_ERR_NO_ROOM);
  }
  Descriptor* desc = static_cast<Descriptor*>(nte_malloc(sizeof(Descriptor) * alloc_n));
  if (!desc) {
    nte_errout("Fatal:1011 MALLOC fail (index=%d)\n", index);
    nte_free(storage);
    return nte_set_last_error(NTE_ERR_NO_ROOM);
  }
  Descriptor** blank = static_cast<Descriptor**>(nte_malloc(sizeof(Descriptor*) * alloc_n));
  if (!blank) {
    nte_errout("Fatal:1012 MALLOC fail (index=%d)\n", index);
    nte_free(desc);
    nte_free(storage);
    return nte_set_last_error(NTE_ERR_NO_ROOM);
  }
  std::memset(storage, 0, whole);
  for (int i = 0; i < n; ++i) {
    desc[i].in_use = 0;
    desc[i].prev = nullptr;
    desc[i].next = nullptr;
    desc[i].storage = storage + static_cast<size_t>(i) * static_cast<size_t>(size);
    blank[i] = &desc[i];
  }
  Pool& pool = g_table[index];
  pool.in_use = 1;
  pool.count = n;
  pool.size = size;
  pool.descriptors = desc;
  pool.blank = blank;
  pool.top = 0;
  pool.storage = storage;
  pool.whole_size = static_cast<uint32_t>(whole);
  pool.newest = nullptr;
  pool.oldest = nullptr;
  nte_copy_bounded(pool.name, sizeof pool.name, name ? name : "");
  nte_verbose("Note:10310 init_array OK index:%d bufmaster:%p size:%u num:%d name:%s\n", index,
              static_cast<void*>(storage), static_cast<unsigned>(size), n, pool.name);
  nte_set_last_error(NTE_OK);
  return index;
}

int nte_end_array(int index) {
  Pool* pool = pool_at(index);
  if (!pool) return NTE_ERR_INVALID;
  nte_verbose("nte_end_array: index %d\n", index);
  nte_free(pool->storage);
  nte_free(pool->descriptors);
  nte_free(pool->blank);
  std::memset(pool, 0, sizeof *pool);
  return nte_set_last_error(NTE_OK);
}

void* nte_alloc_array_object(int index) {
  Pool* pool = pool_at(index);
  if (!pool) return nullptr;
  if (pool->top >= pool->count) {
    nte_errout("Fatal:1020 array full in %s\n", pool->name);
    nte_set_last_error(NTE_ERR_NO_ROOM);
    return nullptr;
  }
  Descriptor* d = pool->blank[pool->top++];
  d->in_use = 1;
  d->prev = pool->newest;
  d->next = nullptr;
  if (pool->newest)
    pool->newest->next = d;
  else
    pool->oldest = d;
  pool->newest = d;
  nte_set_last_error(NTE_OK);
  return d->storage;
}

int nte_free_array_object(int index, void* p) {
  Pool* pool = pool_at(index);
  if (!pool) return NTE_ERR_INVALID;
  uint8_t* b = static_cast<uint8_t*>(p);
  if (!b) {
    nte_verbose("Warning:4000 freeing null pointer in %s\n", pool->name);
    return nte_set_last_error(NTE_ERR_INVALID);
  }
  if (b < pool->storage) {
    nte_verbose("Warning:4001 freeing an out-of-bound element in %s address:%p master-address:%p\n", pool->name, p,
                static_cast<void*>(pool->storage));
    return nte_set_last_error(NTE_ERR_INVALID);
  }
  uintptr_t off = static_cast<uintptr_t>(b - pool->storage);
  if (off % static_cast<uint32_t>(pool->size) != 0) {
    nte_verbose(
        "Warning:4002 freeing an oddly-aligned element in %s address:%p master-address:%p "
        "sizeof:%u\n",
        pool->name, p, static_cast<void*>(pool->storage), static_cast<unsigned>(pool->size));
    return nte_set_last_error(NTE_ERR_INVALID);
  }
  uintptr_t i = off / static_cast<uint32_t>(pool->size);
  if (i >= static_cast<uint32_t>(pool->count)) {
    nte_verbose(
        "Warning:4003 freeing an out-of-bound element in %s address:%p master-address:%p "
        "sizeof:%u\n",
        pool->name, p, static_cast<void*>(pool->storage), static_cast<unsigned>(pool->size));
    return nte_set_last_error(NTE_ERR_INVALID);
  }
  Descriptor* d = &pool->descriptors[i];
  if (!d->in_use) {
    nte_verbose("Warning:4214 re-freeing an element in %s address:%p\n", pool->name, p);
    return nte_set_last_error(NTE_ERR_DOUBLE_FREE);
  }
  pool->blank[--pool->top] = d;
  if (d->next)
    d->next->prev = d->prev;
  else
    pool->newest = d->prev;
  if (d->prev)
    d->prev->next = d->next;
  else
    pool->oldest = d->next;
  d->prev = nullptr;
  d->next = nullptr;
  d->in_use = 0;
  return nte_set_last_error(NTE_OK);
}

void* nte_array_first_used(int index) {
  Pool* pool = pool_at(index);
  if (!pool) return nullptr;
  nte_set_last_error(NTE_OK);
  return pool->newest ? pool->newest->storage : nullptr;
}

void* nte_array_next_used(int index, void* p) {
  Pool* pool = pool_at(index);
  if (!pool) return nullptr;
  int i = element_of(pool, p);
  if (i < 0) {
    nte_set_last_error(NTE_ERR_UNALIGNED);
    return nullptr;
  }
  nte_set_last_error(NTE_OK);
  Descriptor* prev = pool->descriptors[i].prev;
  return prev ? prev->storage : nullptr;
}

int nte_array_index(int index, const void* p) {
  Pool* pool = pool_at(index);
  if (!pool) return NTE_ERR_INVALID;
  const uint8_t* b = static_cast<const uint8_t*>(p);
  if (!b || b < pool->storage) return nte_set_last_error(NTE_ERR_UNALIGNED);
  uintptr_t off = static_cast<uintptr_t>(b - pool->storage);
  if (off % static_cast<uint32_t>(pool->size) != 0) return nte_set_last_error(NTE_ERR_UNALIGNED);
  uintptr_t i = off / static_cast<uint32_t>(pool->size);
  if (i > 0x7FFFFFFFu) return nte_set_last_error(NTE_ERR_UNALIGNED);
  nte_set_last_error(NTE_OK);
  return static_cast<int>(i);
}

void* nte_array_object_at(int index, int i) {
  Pool* pool = pool_at(index);
  if (!pool) return nullptr;
  if (i < 0 || i >= pool->count) {
    nte_set_last_error(NTE_ERR_INVALID);
    return nullptr;
  }
  nte_set_last_error(NTE_OK);
  return pool->descriptors[i].storage;
}

void* nte_array_used_object_at(int index, int i) {
  Pool* pool = pool_at(index);
  if (!pool) return nullptr;
  if (i < 0 || i >= pool->count) {
    nte_set_last_error(NTE_ERR_INVALID);
    return nullptr;
  }
  nte_set_last_error(NTE_OK);
  return pool->descriptors[i].in_use ? pool->descriptors[i].storage : nullptr;
}

int nte_array_element_size(int index) {
  Pool* pool = pool_at(index);
  if (!pool) return NTE_ERR_INVALID;
  nte_set_last_error(NTE_OK);
  return pool->size;
}

int nte_array_count(int index) {
  Pool* pool = pool_at(index);
  if (!pool) return NTE_ERR_INVALID;
  nte_set_last_error(NTE_OK);
  return pool->count;
}

int nte_array_used_count(int index) {
  Pool* pool = pool_at(index);
  if (!pool) return NTE_ERR_INVALID;
  nte_set_last_error(NTE_OK);
  return pool->top;
}

int nte_array_owns_used(int index, const void* p) {
  if (!g_table || index < 0 || index >= g_slots || !g_table[index].in_use) return 0;
  const Pool* pool = &g_table[index];
  int i = element_of(pool, p);
  return i >= 0 && pool->descriptors[i].in_use ? 1 : 0;
}
