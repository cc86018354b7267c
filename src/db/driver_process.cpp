#include "db/driver_process.h"

#include <dlfcn.h>
#include <malloc.h>
#include <sqlite3.h>

namespace {

void TurnOffSqliteMemoryStatistics() {
  // The driver loads the library by this name; loading it first gives both
  // the same copy. The handle stays open for the life of the process.
  void* library = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_GLOBAL);
  if (library == nullptr) return;
  using ConfigFunction = int (*)(int, ...);
  auto config = reinterpret_cast<ConfigFunction>(dlsym(library, "sqlite3_config"));
  // Refused (SQLITE_MISUSE) once the library is initialized: then it stays
  // as it is.
  if (config != nullptr) config(SQLITE_CONFIG_MEMSTATUS, 0);
}

// A day's result of a busy system is a few MiB; the allocator's own limits
// (the largest block it takes from the heap rather than its own mapping, 32
// MiB on 64-bit systems) are well above it, and memory is kept until this
// much lies free at the top of a heap.
constexpr int kLargestHeapBlock = 32 * 1024 * 1024;
constexpr int kFreeMemoryKept = 64 * 1024 * 1024;

void KeepFreedResultMemory() {
  mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
  mallopt(M_TRIM_THRESHOLD, kFreeMemoryKept);
}

}  // namespace

void PrepareProcessForDrivers() {
  TurnOffSqliteMemoryStatistics();
  KeepFreedResultMemory();
}
