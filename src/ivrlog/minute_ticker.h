// CMinuteTicker: tells a host's thread when the next minute has come, and
// lets another thread stop it.
//
// WaitForNextMinute answers at once the first time and then at the start of
// each following minute of the wall clock (CurrentEpochSeconds), returning
// true; once Stop has been called it returns false at once, also when Stop
// comes while it waits. Stop may be called from any thread, any number of
// times. Tests derive from it to step a pinned clock instead of waiting.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class CMinuteTicker {
 public:
  CMinuteTicker() = default;
  virtual ~CMinuteTicker() = default;
  CMinuteTicker(const CMinuteTicker&) = delete;
  CMinuteTicker& operator=(const CMinuteTicker&) = delete;

  virtual bool WaitForNextMinute();
  void Stop();
  bool Stopped();

 protected:
  // Blocks until Stop has been called or `seconds` have passed on the
  // steady clock; true when stopped.
  bool WaitForStop(int64_t seconds);
  // Blocks until Stop has been called.
  void WaitUntilStopped();

 private:
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stop_ = false;
  bool started_ = false;
  int64_t lastMinute_ = 0;
};
