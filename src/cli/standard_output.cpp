#include "cli/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool FlushStandardOutput(std::string* error) {
  errno = 0;
  // The error indicator also keeps a failure of a write made before.
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  *error = std::string("cannot write to standard output") + (errno != 0 ? ": " + std::string(std::strerror(errno)) : "");
  return false;
}
