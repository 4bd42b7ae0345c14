// Log lines, clocks and allocation wrappers of the engine.
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "net/nte/nte_core.h"
#include "net/nte/nte_os.h"
#include "net/nte/nte_records.h"

namespace {

int g_log_level = 0;
char g_log_dir[513] = "";
uint32_t g_rotation_size = 0;
uint32_t g_log_bytes = 0;
int g_rotation_index = 0;
nte_log_sink_fn g_sink = nullptr;
void* g_sink_user = nullptr;

uint32_t g_seconds = 0;
int64_t g_microseconds = 0;
nte_clock_fn g_clock = nullptr;

void* default_allocate(size_t n) { return std::malloc(n); }
void* default_resize(void* p, size_t n) { return std::realloc(p, n); }
void default_release(void* p) { std::free(p); }
nte_alloc_hooks g_hooks = {default_allocate, default_resize, default_release};

void write_line(const char* line) {
  if (g_sink) {
    g_sink(g_sink_user, line);
    return;
  }
  if (g_log_dir[0] == '\0') {
    std::fputs(line, stderr);
    return;
  }
  if (g_rotation_size > 0 && g_log_bytes > g_rotation_size) {
    ++g_rotation_index;
    g_log_bytes = 0;
  }
  char path[513];
  std::snprintf(path, sizeof path, "%s/stderr.%d.%d", g_log_dir, nte_os_process_id(), g_rotation_index);
  FILE* f = std::fopen(path, "a");
  if (!f) {
    // A log directory that cannot be written must not silence the engine.
    std::fputs(line, stderr);
    return;
  }
  ++nte_internal::stats()->logfile_opens;
  size_t n = std::strlen(line);
  std::fwrite(line, 1, n, f);
  std::fclose(f);
  g_log_bytes += static_cast<uint32_t>(n);
}

void vlog(const char* format, va_list ap) {
  char line[2048];
  std::vsnprintf(line, sizeof line, format, ap);
  write_line(line);
}

void system_clock(int64_t* seconds, int* milliseconds) {
  using namespace std::chrono;
  int64_t ms = duration_cast<std::chrono::milliseconds>(system_clock::now().time_since_epoch()).count();
  *seconds = ms / 1000;
  *milliseconds = static_cast<int>(ms % 1000);
}

}  // namespace

// Callers pass the log texts exactly as the engine has always written them.
void nte_errout(const char* format, ...) {
  if (g_log_level < 0) return;
  va_list ap;
  va_start(ap, format);
  vlog(format, ap);
  va_end(ap);
}

void nte_verbose(const char* format, ...) {
  if (g_log_level <= 0) return;
  va_list ap;
  va_start(ap, format);
  vlog(format, ap);
  va_end(ap);
}

void nte_set_log_level(int level) { g_log_level = level; }

void nte_set_log_directory(const char* dir) {
  nte_copy_bounded(g_log_dir, sizeof g_log_dir, dir ? dir : "");
  g_log_bytes = 0;
}

void nte_set_log_rotation_size(uint32_t bytes) { g_rotation_size = bytes; }

void nte_set_log_sink(nte_log_sink_fn sink, void* user) {
  g_sink = sink;
  g_sink_user = user;
}

void nte_update_time() {
  int64_t seconds = 0;
  int ms = 0;
  (g_clock ? g_clock : system_clock)(&seconds, &ms);
  g_seconds = static_cast<uint32_t>(seconds);
  g_microseconds = seconds * 1000000 + static_cast<int64_t>(ms) * 1000;
}

uint32_t nte_time_seconds() { return g_seconds; }
int64_t nte_time_microseconds() { return g_microseconds; }

void nte_set_clock(nte_clock_fn clock) {
  g_clock = clock;
  nte_update_time();
}

void* nte_malloc(size_t size) {
  void* p = g_hooks.allocate(size);
  nte_verbose("Note:10220 malloc(%u) returns %p\n", static_cast<unsigned>(size), p);
  nte_set_last_error(NTE_OK);
  return p;
}

void nte_free(void* p) {
  nte_verbose("Note:10221 free(%p)\n", p);
  g_hooks.release(p);
  nte_set_last_error(NTE_OK);
}

void nte_set_alloc_hooks(const nte_alloc_hooks* hooks) {
  if (hooks && hooks->allocate && hooks->resize && hooks->release)
    g_hooks = *hooks;
  else
    g_hooks = {default_allocate, default_resize, default_release};
}
