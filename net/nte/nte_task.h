// Task worlds: groups of periodic callbacks that every engine pass polls.
//
// A world holds a fixed number of task slots and visits a few of them per
// scan, one scan per interval (microseconds clock); a task in use runs when
// more than its interval has passed since its last run.  A callback that
// returns a negative value frees its task.  The program itself starts the
// engine with no task worlds.
#pragma once

#include <cstdint>

struct nte_task;
struct nte_taskworld;

// A task's callback: (task, argument 1, argument 2); negative frees the task.
typedef int32_t (*nte_task_fn)(nte_task* task, int32_t arg1, int32_t arg2);

struct nte_taskworld {
  char name[32];           // printed in the scan-complete line
  int64_t interval;        // microseconds between scans
  int64_t last_scan;       // microseconds
  int32_t task_pool;       // pool of this world's tasks
  int32_t cursor;          // next slot to visit
  int32_t size;            // task slots
  int32_t tasks_per_scan;  // slots one scan visits
  uint32_t scans, visits, runs;
  int32_t task_count;  // tasks in use
  int32_t trace;       // non-zero: "[task %s scan complete]" at each wrap
};

struct nte_task {
  int32_t in_use;
  int64_t interval;  // microseconds
  int64_t last_run;  // microseconds
  int32_t arg1, arg2;
  nte_task_fn callback;
  nte_taskworld* world;
  uint32_t calls;
};

// Creates the pool "taskworld" (nothing when max_worlds is 0): 0 or -79.
int nte_taskworld_init(int max_worlds);
int nte_taskworld_end();
// Runs the due tasks of every task world (one call per engine pass).
void nte_task_poll();

// A new world: slots task slots, tasks_per_scan visited per scan, one scan
// per interval_us.  Null with -6 (no world pool, bad sizes) or the pool's
// error (-2 full).
nte_taskworld* nte_taskworld_create(const char* name, int64_t interval_us, int slots, int tasks_per_scan, int trace);
// A new task of the world, first run one interval after now.  Null with -6
// (unknown world, no callback) or -2 (no free slot).
nte_task* nte_task_create(nte_taskworld* world, int64_t interval_us, nte_task_fn callback, int32_t arg1, int32_t arg2);
// Frees a task: in-use flag and callback cleared, the world's count one
// less, the slot back in the world's pool.  A task not in use (freed
// already) is left alone: 0 either way, -6 for a pointer that is no task.
int nte_task_free(nte_task* task);
