#include "analysis/grouped_day.h"

#include <cstring>

void GroupedDay::StartDay(int32_t dayStart, int32_t dayEnd, bool keepsAttempts) {
  ++day_;
  dayStart_ = dayStart;
  dayEnd_ = dayEnd;
  keepsAttempts_ = keepsAttempts;
  today_.clear();
}

GroupDayCounter& GroupedDay::Of(const char* name) {
  Groups::value_type* entry = last_;
  if (entry == nullptr || std::strcmp(entry->first.c_str(), name) != 0) {
    const std::string_view key(name);
    auto found = groups_.find(key);
    if (found == groups_.end()) found = groups_.emplace(std::string(key), Group{}).first;
    entry = &*found;
    last_ = entry;
  }
  Group& group = entry->second;
  if (group.day != day_) {
    group.day = day_;
    group.counter.StartDay(dayStart_, dayEnd_, keepsAttempts_);
    today_.push_back(entry);
  }
  return group.counter;
}
