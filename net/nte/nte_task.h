// Task worlds and hash tables: the hooks the engine's start, end and pass
// call.  The program itself runs with no task worlds and no hash tables.
#pragma once

// Creates the pool "taskworld" (nothing when max_worlds is 0): 0 or -79.
int nte_taskworld_init(int max_worlds);
int nte_taskworld_end();
// Allocates the hash-table table (nothing when max_tables is 0): 0 or -7.
int nte_hash_table_init(int max_tables);
int nte_hash_table_end();
// Runs the due tasks of every task world (one call per engine pass).
void nte_task_poll();
