// CDayResults: the days of one range check read on several sessions, in
// the order the range check takes them. Reader threads take the next day
// to read and publish what it gave; the checking thread waits for each day
// in its turn. Everything is sized once per check: nothing is allocated per
// day but the text of a day that printed something.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct DayResult {
  int32_t dayStart = 0;
  bool read = false;  // its statements ran through
  bool lost = false;  // its session found the connection gone
  int32_t rows = 0;   // rows its statements returned
  int32_t peakValue = 0;
  int32_t peakSecond = 0;
  int32_t dayLength = 0;
  std::string printed;  // rows at the view time and diagnostics, in order
};

class CDayResults {
 public:
  // Notes the next day of the walk (before any reader starts).
  void Collect(int32_t dayStart) { days_.push_back(dayStart); }
  size_t Count() const { return days_.size(); }
  // The day `index` (below Count()) starts at.
  int32_t DayStart(size_t index) const { return days_[index]; }

  // Sizes the results for the days collected.
  void Prepare() { results_.resize(days_.size()); done_.assign(days_.size(), false); }

  // The index of the next day to read, or Count() when none is left.
  size_t Take() { return next_.fetch_add(1); }

  // The result slot of day `index` (below Count()), for the reader that
  // took it.
  DayResult& Slot(size_t index) { return results_[index]; }

  // Publishes day `index` to the checking thread; an index beyond the
  // days collected is ignored.
  void Publish(size_t index) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (index >= done_.size()) return;
      done_[index] = true;
    }
    ready_.notify_all();
  }

  // Waits until day `index` is published and returns it; null at once for
  // an index beyond the days collected.
  DayResult* Wait(size_t index) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (index >= done_.size()) return nullptr;
    ready_.wait(lock, [&] { return done_[index]; });
    return &results_[index];
  }

  // Set when a session lost its connection: the days after it are not read.
  std::atomic<bool> stop{false};

 private:
  std::vector<int32_t> days_;
  std::vector<DayResult> results_;
  std::vector<bool> done_;  // guarded by mutex_
  std::atomic<size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable ready_;
};
