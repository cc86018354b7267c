#include "platform/exclusive_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// The process number written by the holder; 0 when there is none to read.
long HolderOf(int descriptor) {
  char text[32] = {};
  const ssize_t length = pread(descriptor, text, sizeof text - 1, 0);
  if (length <= 0) return 0;
  char* end = nullptr;
  const long pid = std::strtol(text, &end, 10);
  return pid > 0 && (*end == '\n' || *end == '\0') ? pid : 0;
}

}  // namespace

CExclusiveLock::~CExclusiveLock() { Release(); }

bool CExclusiveLock::TryAcquire(const std::string& path, std::string* holder) {
  Release();
  const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (descriptor < 0) {
    *holder = "cannot open " + path + " (" + std::strerror(errno) + ")";
    return false;
  }
  int taken = 0;
  while ((taken = flock(descriptor, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (taken != 0) {
    const int reason = errno;
    const long pid = HolderOf(descriptor);
    if (reason == EWOULDBLOCK) {
      *holder = pid > 0 ? "process " + std::to_string(pid) : std::string("another process");
    } else {
      *holder = "cannot lock " + path + " (" + std::strerror(reason) + ")";
    }
    close(descriptor);
    return false;
  }
  // Only the holder writes, so that a reader sees the number of the holder
  // or none; a number left by an earlier holder that ended is overwritten.
  // A holder whose number could not be written holds the lock all the same.
  const std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(descriptor, 0) == 0) {
    [[maybe_unused]] const ssize_t written = pwrite(descriptor, pid.data(), pid.size(), 0);
  }
  descriptor_ = descriptor;
  return true;
}

void CExclusiveLock::Release() {
  if (descriptor_ < 0) return;
  // Closing the descriptor drops the lock.
  close(descriptor_);
  descriptor_ = -1;
}
