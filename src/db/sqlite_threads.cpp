#include "db/sqlite_threads.h"

#include <dlfcn.h>
#include <sqlite3.h>

void PrepareSqliteForThreads() {
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
