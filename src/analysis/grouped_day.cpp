#include "analysis/grouped_day.h"

#include <cstring>

void GroupedDay::StartDay(int32_t dayStart, int32_t dayEnd, bool keepsAttempts) {
  ++day_;
  dayStart_ = dayStart;
  dayEnd_ = dayEnd;
  keepsAttempts_ = keepsAttempts;
  groupsToday_ = 0;
}

GroupDayCounter& GroupedDay::Of(const char* name) {
  Group* group = last_;
  if (group == nullptr || std::strcmp(lastName_->c_str(), name) != 0) {
    auto found = groups_.find(name);
    if (found == groups_.end()) found = groups_.emplace(name, Group{}).first;
    group = &found->second;
    last_ = group;
    lastName_ = &found->first;
  }
  if (group->day != day_) {
    group->day = day_;
    group->counter.StartDay(dayStart_, dayEnd_, keepsAttempts_);
    ++groupsToday_;
  }
  return group->counter;
}
