// Fixed-size element pools: every engine object lives in one.
//
// A pool is created once with n elements of one size (zero-filled storage),
// hands elements out in O(1) from a stack of blank descriptors and keeps the
// elements in use on a list in allocation order.  Pools are addressed by
// their index in the engine's pool table; every operation first checks that
// the index names a pool in use (else -6).
#pragma once

#include <cstdint>

constexpr int NTE_POOL_NAME_MAX = 31;

// Creates a pool of n elements of size bytes; its index (0 or more) or a
// negative code (-2 table full or allocation failed, -6 size 0 or n < 0).
int init_array(int size, int n, const char* name);
// Releases the pool's storage and frees its slot; 0 or -6.  Does not visit
// the elements.
int nte_end_array(int index);
// Storage of a fresh element, or null (last error -2 full, -6 bad index).
void* nte_alloc_array_object(int index);
// Returns an element: 0, -6 (null, outside, misaligned) or -3 (not in use).
int nte_free_array_object(int index, void* p);
// Newest element in use, or null.
void* nte_array_first_used(int index);
// The in-use element allocated just before p, or null (-32 when p is not on
// an element boundary).
void* nte_array_next_used(int index, void* p);
// (p - storage) / size, or -32 when p is not on an element boundary, -6 for
// a bad index.  No upper bound test: compare with nte_array_count().
int nte_array_index(int index, const void* p);
// Element i whatever its state; null and -6 when i is outside 0..n-1.
void* nte_array_object_at(int index, int i);
// As above, but null (last error 0) when element i is not in use.
void* nte_array_used_object_at(int index, int i);
// The pool's element size, or -6.
int nte_array_element_size(int index);
// The pool's element count n, or -6.
int nte_array_count(int index);
// Elements handed out, or -6.
int nte_array_used_count(int index);
// 1 when p is the storage of an element of the pool that is in use, else 0
// (never logs, never changes the last error).
int nte_array_owns_used(int index, const void* p);
