// Task worlds and hash tables: their engine-lifetime storage.  The program
// runs with none of either; the scheduling itself is not part of this build.
#include "net/nte/nte_task.h"

#include <cstring>

#include "net/nte/nte_core.h"
#include "net/nte/nte_pool.h"

namespace {

struct TaskWorld {
  int32_t in_use;
  int32_t task_pool;
  int32_t task_count;
  int64_t last_scan;
  int32_t interval;
  int32_t cursor;
  char name[32];
};

struct HashTable {
  int32_t in_use;
  void* buckets;
};

int g_world_pool = -1;
HashTable* g_tables = nullptr;

}  // namespace

int nte_taskworld_init(int max_worlds) {
  g_world_pool = -1;
  if (max_worlds <= 0) return NTE_OK;
  g_world_pool = init_array(static_cast<int>(sizeof(TaskWorld)), max_worlds, "taskworld");
  if (g_world_pool < 0) return nte_set_last_error(NTE_ERR_POOL_CREATE);
  return NTE_OK;
}

int nte_taskworld_end() {
  int r = NTE_OK;
  if (g_world_pool >= 0 && nte_end_array(g_world_pool) < 0) r = NTE_ERR_FINALIZE;
  g_world_pool = -1;
  return r;
}

int nte_hash_table_init(int max_tables) {
  if (max_tables <= 0) return NTE_OK;
  size_t bytes = sizeof(HashTable) * static_cast<size_t>(max_tables);
  g_tables = static_cast<HashTable*>(nte_malloc(bytes));
  if (!g_tables) return nte_set_last_error(NTE_ERR_STARTUP_ALLOC);
  std::memset(g_tables, 0, bytes);
  return NTE_OK;
}

int nte_hash_table_end() {
  if (g_tables) nte_free(g_tables);
  g_tables = nullptr;
  return NTE_OK;
}

void nte_task_poll() {}
