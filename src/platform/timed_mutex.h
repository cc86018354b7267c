// A mutex that a thread can wait for with a time limit, reached through a
// handle that is null while no mutex exists.
#pragma once

#include <cstdint>

struct PlatformMutex;
using MutexHandle = PlatformMutex*;

enum class WaitResult { kAcquired, kTimedOut, kFailed };

// Creates a mutex that nobody holds.
MutexHandle CreateMutexHandle();

// Destroys a mutex created by CreateMutexHandle; null is ignored.
void CloseMutexHandle(MutexHandle mutex);

// Waits at most `milliseconds` for `mutex`. A null handle gives kFailed.
WaitResult WaitForMutex(MutexHandle mutex, uint32_t milliseconds);

// Releases a mutex that the calling thread acquired with WaitForMutex.
void ReleaseMutex(MutexHandle mutex);
