// Task worlds: their pool, the poll of every engine pass, task creation and
// release.
#include "net/nte/nte_task.h"

#include <cstring>

#include "net/nte/nte_core.h"
#include "net/nte/nte_pool.h"
#include "net/nte/nte_records.h"

namespace {

int g_world_pool = -1;

bool is_world(const nte_taskworld* w) { return w && g_world_pool >= 0 && nte_array_owns_used(g_world_pool, w); }

// The world whose pool holds the task (in use or not), or null.  Found from
// the worlds, so that a pointer that is no task is never read.
nte_taskworld* world_of(const nte_task* task) {
  if (!task || g_world_pool < 0) return nullptr;
  const int n = nte_array_count(g_world_pool);
  for (int i = 0; i < n; ++i) {
    nte_taskworld* w = static_cast<nte_taskworld*>(nte_array_used_object_at(g_world_pool, i));
    if (!w) continue;
    const int k = nte_array_index(w->task_pool, task);
    if (k >= 0 && k < w->size) return w;
  }
  return nullptr;
}

}  // namespace

int nte_taskworld_init(int max_worlds) {
  g_world_pool = -1;
  if (max_worlds <= 0) return NTE_OK;
  g_world_pool = init_array(static_cast<int>(sizeof(nte_taskworld)), max_worlds, "taskworld");
  if (g_world_pool < 0) return nte_set_last_error(NTE_ERR_POOL_CREATE);
  return NTE_OK;
}

int nte_taskworld_end() {
  int r = NTE_OK;
  if (g_world_pool >= 0) {
    const int n = nte_array_count(g_world_pool);
    for (int i = 0; i < n; ++i) {
      nte_taskworld* w = static_cast<nte_taskworld*>(nte_array_used_object_at(g_world_pool, i));
      if (w && w->task_pool >= 0 && nte_end_array(w->task_pool) < 0) r = NTE_ERR_FINALIZE;
    }
    if (nte_end_array(g_world_pool) < 0) r = NTE_ERR_FINALIZE;
  }
  g_world_pool = -1;
  return r;
}

nte_taskworld* nte_taskworld_create(const char* name, int64_t interval_us, int slots, int tasks_per_scan, int trace) {
  if (g_world_pool < 0 || slots <= 0 || tasks_per_scan <= 0 || interval_us < 0) {
    nte_set_last_error(NTE_ERR_INVALID);
    return nullptr;
  }
  nte_taskworld* w = static_cast<nte_taskworld*>(nte_alloc_array_object(g_world_pool));
  if (!w) return nullptr;
  std::memset(w, 0, sizeof *w);
  nte_copy_bounded(w->name, sizeof w->name, name ? name : "");
  w->task_pool = init_array(static_cast<int>(sizeof(nte_task)), slots, "task");
  if (w->task_pool < 0) {
    nte_free_array_object(g_world_pool, w);
    nte_set_last_error(NTE_ERR_NO_ROOM);
    return nullptr;
  }
  w->interval = interval_us;
  w->last_scan = nte_time_microseconds();
  w->size = slots;
  w->tasks_per_scan = tasks_per_scan;
  w->trace = trace;
  nte_set_last_error(NTE_OK);
  return w;
}

nte_task* nte_task_create(nte_taskworld* world, int64_t interval_us, nte_task_fn callback, int32_t arg1, int32_t arg2) {
  if (!is_world(world) || !callback || interval_us < 0) {
    nte_set_last_error(NTE_ERR_INVALID);
    return nullptr;
  }
  nte_task* t = static_cast<nte_task*>(nte_alloc_array_object(world->task_pool));
  if (!t) return nullptr;
  std::memset(t, 0, sizeof *t);
  t->in_use = 1;
  t->interval = interval_us;
  t->last_run = nte_time_microseconds();
  t->arg1 = arg1;
  t->arg2 = arg2;
  t->callback = callback;
  t->world = world;
  ++world->task_count;
  nte_set_last_error(NTE_OK);
  return t;
}

int nte_task_free(nte_task* task) {
  nte_taskworld* w = world_of(task);
  if (!w) return nte_set_last_error(NTE_ERR_INVALID);
  // A callback may free its own task and then return a negative value:
  // the second free must not count the task out twice.
  if (!task->in_use) return nte_set_last_error(NTE_OK);
  task->in_use = 0;
  task->callback = nullptr;
  --w->task_count;
  nte_free_array_object(w->task_pool, task);
  return nte_set_last_error(NTE_OK);
}

void nte_task_poll() {
  if (g_world_pool < 0) return;
  const int64_t now = nte_time_microseconds();
  const int worlds = nte_array_count(g_world_pool);
  for (int i = 0; i < worlds; ++i) {
    nte_taskworld* w = static_cast<nte_taskworld*>(nte_array_used_object_at(g_world_pool, i));
    if (!w) continue;
    // Slots are visited only in a pass whose clock reached the next scan.
    if (now < w->last_scan + w->interval) continue;
    ++w->scans;
    w->last_scan = now;
    for (int k = 0; k < w->tasks_per_scan; ++k) {
      nte_task* t = static_cast<nte_task*>(nte_array_object_at(w->task_pool, w->cursor));
      if (!t) {
        nte_errout("Bug: task: nte_task_poll bug 1\n");
        break;
      }
      if (t->in_use) {
        ++w->visits;
        if (now > t->last_run + t->interval) {
          ++w->runs;
          t->last_run = now;
          ++t->calls;
          const int32_t r = t->callback ? t->callback(t, t->arg1, t->arg2) : 0;
          if (r < 0) nte_task_free(t);
          // A callback that ended the engine: its worlds go when the pass ends.
          if (nte_internal_finalize_pending()) return;
        }
      }
      if (++w->cursor >= w->size) {
        w->cursor = 0;
        if (w->trace) nte_errout("[task %s scan complete]\n", w->name);
      }
    }
  }
}
