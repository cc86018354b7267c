// CMessagePool: the process-wide store of buffers in which worker messages
// are written. A host takes a buffer (or a whole message) from the pool,
// posts it to the worker, and the worker returns it once the message is
// handled; returned buffers are zero-filled and handed out again.
//
// Both operations wait at most 15 seconds for `lock` when it exists. The
// buffers belong to the pool and are freed when it is destroyed.
#pragma once

#include <cstdint>
#include <vector>

#include "ivrlog/worker_message.h"
#include "platform/timed_mutex.h"

class CMessagePool {
 public:
  struct Entry {
    int32_t inUse;  // nonzero while handed out
    char* buffer;
    int32_t size;  // the buffer holds size + 2 bytes
  };

  CMessagePool() = default;
  ~CMessagePool();
  CMessagePool(const CMessagePool&) = delete;
  CMessagePool& operator=(const CMessagePool&) = delete;

  // A zero-filled buffer of at least `size` + 2 bytes, marked in use. Null
  // when `size` is negative or too large, memory runs out, or `lock` exists
  // and cannot be had within the wait.
  char* TakeBuffer(int32_t size);

  // Takes a buffer and writes a message of `type` with the `length` bytes of
  // `text` into it (`text` may be null when `length` is 0). Null as for
  // TakeBuffer, and for a negative length or a null text with a length.
  WorkerMessage* TakeMessage(uint32_t type, const char* text, int32_t length);

  // Marks the entry of `buffer` free and zero-fills its size + 2 bytes. A
  // pointer that the pool did not hand out changes nothing. When `lock`
  // cannot be had within the wait, the work is done without it.
  void ReturnBuffer(const void* buffer);

  // Buffers handed out and not yet returned.
  int32_t InUseCount() const;

  // Created by the host when several threads use the pool; closed with it.
  MutexHandle lock = nullptr;
  int32_t reserved = 0;
  std::vector<Entry> entries;
};

// How long the pool and the worker wait for their locks.
inline constexpr uint32_t kWorkerLockWaitMilliseconds = 15000;

// The pool that the IVR worker returns its message buffers to.
extern CMessagePool MessagePool;
