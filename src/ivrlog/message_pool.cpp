#include "ivrlog/message_pool.h"

#include <cstring>
#include <limits>
#include <new>

#include "trace/trace.h"

CMessagePool MessagePool;

namespace {

// Room that ReturnBuffer clears beyond the recorded size.
constexpr int32_t kSlack = 2;

}  // namespace

CMessagePool::~CMessagePool() {
  for (Entry& entry : entries) delete[] entry.buffer;
  entries.clear();
  CloseMutexHandle(lock);
  lock = nullptr;
}

char* CMessagePool::TakeBuffer(int32_t size) {
  if (size < 0 || size > std::numeric_limits<int32_t>::max() - kSlack) return nullptr;
  CMutexLock held(&lock);
  // Unlike a return, a take can simply be refused when the lock is busy.
  if (lock != nullptr && !held.Wait(kWorkerLockWaitMilliseconds)) return nullptr;
  for (Entry& entry : entries) {
    if (entry.inUse == 0 && entry.size >= size) {
      entry.inUse = 1;
      std::memset(entry.buffer, 0, static_cast<size_t>(entry.size) + kSlack);
      return entry.buffer;
    }
  }
  char* buffer = new (std::nothrow) char[static_cast<size_t>(size) + kSlack]();
  if (buffer == nullptr) return nullptr;
  try {
    entries.push_back(Entry{1, buffer, size});
  } catch (...) {
    delete[] buffer;
    return nullptr;
  }
  return buffer;
}

WorkerMessage* CMessagePool::TakeMessage(uint32_t type, const char* text, int32_t length) {
  if (length < 0 || (text == nullptr && length > 0)) return nullptr;
  if (length > std::numeric_limits<int32_t>::max() - kSlack - static_cast<int32_t>(sizeof(WorkerMessage))) {
    return nullptr;
  }
  char* buffer = TakeBuffer(static_cast<int32_t>(sizeof(WorkerMessage)) + length);
  if (buffer == nullptr) return nullptr;
  WorkerMessage* message = new (buffer) WorkerMessage{type, length};
  if (length > 0) std::memcpy(message->Text(), text, static_cast<size_t>(length));
  return message;
}

void CMessagePool::ReturnBuffer(const void* buffer) {
  CMutexLock held(&lock);
  held.Wait(kWorkerLockWaitMilliseconds);
  for (Entry& entry : entries) {
    if (entry.buffer == buffer) {
      entry.inUse = 0;
      std::memset(entry.buffer, 0, static_cast<size_t>(entry.size) + kSlack);
      return;
    }
  }
}

int32_t CMessagePool::InUseCount() const {
  int32_t count = 0;
  for (const Entry& entry : entries) count += entry.inUse != 0 ? 1 : 0;
  return count;
}
