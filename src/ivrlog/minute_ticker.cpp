#include "ivrlog/minute_ticker.h"

#include <chrono>

#include "platform/local_time.h"

namespace {

constexpr int64_t kMinute = 60;

int64_t FloorMinute(int64_t seconds) { return (seconds >= 0 ? seconds : seconds - (kMinute - 1)) / kMinute; }

}  // namespace

bool CMinuteTicker::WaitForNextMinute() {
  if (!started_) {
    started_ = true;
    lastMinute_ = FloorMinute(CurrentEpochSeconds());
    return !Stopped();
  }
  for (;;) {
    const int64_t now = CurrentEpochSeconds();
    const int64_t minute = FloorMinute(now);
    // A clock set back is followed: the next minute counts from where it is.
    if (minute != lastMinute_) {
      lastMinute_ = minute;
      return !Stopped();
    }
    if (WaitForStop((minute + 1) * kMinute - now)) return false;
  }
}

void CMinuteTicker::Stop() {
  {
    std::lock_guard<std::mutex> held(mutex_);
    stop_ = true;
  }
  stopped_.notify_all();
}

bool CMinuteTicker::Stopped() {
  std::lock_guard<std::mutex> held(mutex_);
  return stop_;
}

bool CMinuteTicker::WaitForStop(int64_t seconds) {
  std::unique_lock<std::mutex> held(mutex_);
  return stopped_.wait_for(held, std::chrono::seconds(seconds < 1 ? 1 : seconds), [this] { return stop_; });
}

void CMinuteTicker::WaitUntilStopped() {
  std::unique_lock<std::mutex> held(mutex_);
  stopped_.wait(held, [this] { return stop_; });
}
