// The table of hash tables.
#include "net/nte/nte_hash.h"

#include <cstdio>
#include <cstring>

#include "net/nte/nte_core.h"
#include "net/nte/nte_pool.h"

namespace {

struct HashNode {
  int32_t key1, key2;
  void* value;
  HashNode* next;
};

struct HashTable {
  int32_t in_use;
  int32_t bucket_count;
  HashNode** buckets;
  int32_t node_pool;
};

HashTable* g_tables = nullptr;
int g_table_count = 0;

HashTable* table_at(int index) {
  if (!g_tables || index < 0 || index >= g_table_count || !g_tables[index].in_use) return nullptr;
  return &g_tables[index];
}

void destroy(HashTable* t) {
  if (t->node_pool >= 0) nte_end_array(t->node_pool);
  if (t->buckets) nte_free(t->buckets);
  std::memset(t, 0, sizeof *t);
}

}  // namespace

int nte_hash_table_init(int max_tables) {
  g_tables = nullptr;
  g_table_count = 0;
  if (max_tables <= 0) return NTE_OK;
  const size_t bytes = sizeof(HashTable) * static_cast<size_t>(max_tables);
  g_tables = static_cast<HashTable*>(nte_malloc(bytes));
  if (!g_tables) return nte_set_last_error(NTE_ERR_STARTUP_ALLOC);
  std::memset(g_tables, 0, bytes);
  g_table_count = max_tables;
  return NTE_OK;
}

int nte_hash_table_end() {
  if (g_tables) {
    for (int i = 0; i < g_table_count; ++i) {
      if (g_tables[i].in_use) destroy(&g_tables[i]);
    }
    nte_free(g_tables);
  }
  g_tables = nullptr;
  g_table_count = 0;
  return NTE_OK;
}

int nte_hash_bucket(int32_t key1, int32_t key2, int32_t bucket_count) {
  if (bucket_count < 1) return nte_set_last_error(NTE_ERR_INVALID);
  // The sum wraps as a 32-bit two's-complement value would; in signed
  // arithmetic the overflow would be undefined.
  const int32_t sum = static_cast<int32_t>(static_cast<uint32_t>(key1) + static_cast<uint32_t>(key2));
  int32_t r = sum % bucket_count;
  if (r < 0) r = -r;
  return r;
}

int nte_hash_table_create(int bucket_count, int max_nodes) {
  if (!g_tables || bucket_count < 1 || max_nodes < 1) return nte_set_last_error(NTE_ERR_INVALID);
  int index = -1;
  for (int i = 0; i < g_table_count; ++i) {
    if (!g_tables[i].in_use) {
      index = i;
      break;
    }
  }
  if (index < 0) return nte_set_last_error(NTE_ERR_NO_HASH_TABLE);
  HashTable* t = &g_tables[index];
  t->node_pool = -1;
  const size_t bytes = sizeof(HashNode*) * static_cast<size_t>(bucket_count);
  t->buckets = static_cast<HashNode**>(nte_malloc(bytes));
  char name[32];
  std::snprintf(name, sizeof name, "hash%d", index);
  if (t->buckets) t->node_pool = init_array(static_cast<int>(sizeof(HashNode)), max_nodes, name);
  if (!t->buckets || t->node_pool < 0) {
    destroy(t);
    return nte_set_last_error(NTE_ERR_NO_ROOM);
  }
  std::memset(t->buckets, 0, bytes);
  t->bucket_count = bucket_count;
  t->in_use = 1;
  nte_set_last_error(NTE_OK);
  return index;
}

int nte_hash_table_destroy(int index) {
  HashTable* t = table_at(index);
  if (!t) return nte_set_last_error(NTE_ERR_INVALID);
  destroy(t);
  return nte_set_last_error(NTE_OK);
}

int nte_hash_insert(int index, int32_t key1, int32_t key2, void* value) {
  HashTable* t = table_at(index);
  if (!t) return nte_set_last_error(NTE_ERR_INVALID);
  const int b = nte_hash_bucket(key1, key2, t->bucket_count);
  for (HashNode* n = t->buckets[b]; n; n = n->next) {
    if (n->key1 == key1 && n->key2 == key2) return nte_set_last_error(NTE_ERR_DOUBLE_FREE);
  }
  HashNode* node = static_cast<HashNode*>(nte_alloc_array_object(t->node_pool));
  if (!node) return nte_set_last_error(NTE_ERR_NO_ROOM);
  node->key1 = key1;
  node->key2 = key2;
  node->value = value;
  node->next = t->buckets[b];
  t->buckets[b] = node;
  return nte_set_last_error(NTE_OK);
}

void* nte_hash_lookup(int index, int32_t key1, int32_t key2) {
  HashTable* t = table_at(index);
  if (!t) return nullptr;
  for (HashNode* n = t->buckets[nte_hash_bucket(key1, key2, t->bucket_count)]; n; n = n->next) {
    if (n->key1 == key1 && n->key2 == key2) return n->value;
  }
  return nullptr;
}

int nte_hash_remove(int index, int32_t key1, int32_t key2) {
  HashTable* t = table_at(index);
  if (!t) return nte_set_last_error(NTE_ERR_INVALID);
  HashNode** link = &t->buckets[nte_hash_bucket(key1, key2, t->bucket_count)];
  for (HashNode* n = *link; n; link = &n->next, n = n->next) {
    if (n->key1 == key1 && n->key2 == key2) {
      *link = n->next;
      nte_free_array_object(t->node_pool, n);
      return nte_set_last_error(NTE_OK);
    }
  }
  return nte_set_last_error(NTE_ERR_NO_HASH_TABLE);
}
