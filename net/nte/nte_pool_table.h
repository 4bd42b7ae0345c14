// The engine's pool table (internal): created at start, ended at finalize.
#pragma once

namespace nte_internal {
// Creates the table of slots entries: 0, or -7.
int pool_table_create(int slots);
// Ends every pool still open and frees the table.
int pool_table_end();
}  // namespace nte_internal
