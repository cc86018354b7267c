// An exclusive lock on a lock file, held by one process at a time: the
// holder keeps it until it releases it or ends (the operating system drops
// it with the process, so that a killed holder never leaves it taken). The
// holder writes its process number into the file, so that a process that
// finds the lock taken can say who holds it.
#pragma once

#include <string>

class CExclusiveLock {
 public:
  CExclusiveLock() = default;
  // Releases the lock when held.
  ~CExclusiveLock();
  CExclusiveLock(const CExclusiveLock&) = delete;
  CExclusiveLock& operator=(const CExclusiveLock&) = delete;

  // Takes the lock on `path` (created when missing) without waiting. False
  // when another process holds it (`holder` then names it: "process N", or
  // "another process" when its number cannot be read) or when the file
  // cannot be opened (`holder` gets the reason).
  bool TryAcquire(const std::string& path, std::string* holder);

  // Gives the lock up; nothing when not held.
  void Release();

  bool IsHeld() const { return descriptor_ >= 0; }

 private:
  int descriptor_ = -1;
};
