// CWorker: the base of a worker object that a host drives from a thread of
// its own. Producers append work to the worker while holding `queueLock`;
// the host calls Run again and again. The base does no work itself: every
// operation answers 1, and the fields keep the values stated here until a
// derived worker or a host gives them a use.
#pragma once

#include <cstdint>
#include <string>

#include "platform/timed_mutex.h"

class CWorker {
 public:
  // One entry of the slot table.
  struct Slot {
    int32_t identifier;
    int32_t value;
  };
  static constexpr int kSlotCount = 8;

  // Empty text, null handles, setting 1000, then ResetState.
  CWorker();
  // ResetState, then the text is released.
  virtual ~CWorker();
  CWorker(const CWorker&) = delete;
  CWorker& operator=(const CWorker&) = delete;

  // Operations without a use in the base; each returns 1.
  virtual int32_t Start();
  virtual int32_t Command(int32_t value);
  // The run step that the host calls repeatedly.
  virtual int32_t Run();
  virtual int32_t Stop();

  // Closes each of the three handles that is not null and sets all three to
  // null; status, counter and tail value become 0 and every slot (-1, 0).
  // The text and the setting are kept. The argument is not used.
  virtual void ResetState(int32_t ignored);

  std::string text;
  int32_t status = 0;
  MutexHandle firstHandle = nullptr;
  // Guards the derived worker's queue; created by the host, null otherwise.
  MutexHandle queueLock = nullptr;
  MutexHandle thirdHandle = nullptr;
  int32_t counter = 0;
  Slot slots[kSlotCount];
  int32_t tailValue = 0;
  int32_t setting = 1000;
};
