// PeakList: the busiest days of a check, highest count first, in fixed
// storage (ten entries plus the one being offered).
#pragma once

#include <cstdint>

// Calls in progress at a day's busiest second, and that second.
struct PeakEntry {
  int32_t count;
  int32_t time;  // epoch seconds
};

class PeakList {
 public:
  // The entries kept after each day; one more fits while a day is offered.
  static constexpr int32_t kKept = 10;
  static constexpr int32_t kCapacity = kKept + 1;

  int32_t Count() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }
  // `index` must lie in 0..Count()-1.
  const PeakEntry& operator[](int32_t index) const { return entries_[index]; }

  void Clear() { count_ = 0; }

  // Puts `entry` at `position` (0..Count()), moving the later entries back.
  // When the list is full the last entry falls off to make room; an entry
  // offered behind a full list is dropped.
  void Insert(int32_t position, const PeakEntry& entry) {
    if (position >= kCapacity) return;
    if (count_ == kCapacity) --count_;
    for (int32_t i = count_; i > position; --i) entries_[i] = entries_[i - 1];
    entries_[position] = entry;
    ++count_;
  }

  // Keeps the first `count` entries.
  void Truncate(int32_t count) {
    if (count >= 0 && count < count_) count_ = count;
  }

 private:
  PeakEntry entries_[kCapacity] = {};
  int32_t count_ = 0;
};
