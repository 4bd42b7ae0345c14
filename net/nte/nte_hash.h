// The engine's table of hash tables: chains of nodes keyed by two signed
// 32-bit integers, each table with its own node pool.  The program itself
// starts the engine with no hash tables.
#pragma once

#include <cstdint>

// Allocates the table of max_tables entries (zero-filled; nothing when 0):
// 0 or -7.
int nte_hash_table_init(int max_tables);
// Destroys every table and frees the table of tables.
int nte_hash_table_end();

// The bucket of a key pair: (key1 + key2) with two's-complement wrap,
// modulo the bucket count, a negative remainder made positive.  -6 for a
// count below 1.
int nte_hash_bucket(int32_t key1, int32_t key2, int32_t bucket_count);
// A new table of bucket_count chains holding at most max_nodes nodes: its
// index, or -6 (no table of tables, bad sizes), -8 (no free table), -2
// (allocation).
int nte_hash_table_create(int bucket_count, int max_nodes);
// Destroys a table and its nodes: 0 or -6.
int nte_hash_table_destroy(int index);
// Inserts a node with value: 0, -6 (bad index or unused table), -3 (the
// key pair is there already), -2 (node pool full).
int nte_hash_insert(int index, int32_t key1, int32_t key2, void* value);
// The value of the key pair, or null.
void* nte_hash_lookup(int index, int32_t key1, int32_t key2);
// Unlinks the node of the key pair and returns it to the node pool: 0, -6
// (bad index or unused table), -8 (no such node).
int nte_hash_remove(int index, int32_t key1, int32_t key2);
