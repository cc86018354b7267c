#include "platform/timed_mutex.h"

#include <chrono>
#include <mutex>

struct PlatformMutex {
  std::timed_mutex mutex;
};

MutexHandle CreateMutexHandle() { return new PlatformMutex; }

void CloseMutexHandle(MutexHandle mutex) { delete mutex; }

WaitResult WaitForMutex(MutexHandle mutex, uint32_t milliseconds) {
  if (mutex == nullptr) return WaitResult::kFailed;
  return mutex->mutex.try_lock_for(std::chrono::milliseconds(milliseconds)) ? WaitResult::kAcquired
                                                                            : WaitResult::kTimedOut;
}

void ReleaseMutex(MutexHandle mutex) {
  if (mutex != nullptr) mutex->mutex.unlock();
}
