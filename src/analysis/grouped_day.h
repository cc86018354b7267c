// GroupedDay: one day's rows filed by group (--group-by), each group's into
// a GroupDayCounter of its own. A group's counter is made the first time a
// row of it comes and kept, with the room it has grown, for the days after:
// a day costs an allocation only for a group never seen before, or one
// busier than ever. One thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/group_day_counter.h"

class GroupedDay {
 public:
  // Opens the day from the local midnight `dayStart` to `dayEnd` for every
  // group, as GroupDayCounter::StartDay does; no group has rows of it yet.
  void StartDay(int32_t dayStart, int32_t dayEnd, bool keepsAttempts);

  // The counter of group `name` (the empty name: the group without one)
  // for the day open, with the day opened on it when this is its first row.
  GroupDayCounter& Of(const char* name);

  // Each group with rows today, in the order their first rows came, as
  // visit(const std::string& name, GroupDayCounter& counter).
  template <class Visit>
  void ForEachGroupToday(Visit visit) {
    for (auto* entry : today_) visit(entry->first, entry->second.counter);
  }

 private:
  struct Group {
    GroupDayCounter counter;
    int64_t day = -1;  // the day it last had rows on (a count of StartDay)
  };
  // Looked up by the text of a row's value, without making a string of it.
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  using Groups = std::unordered_map<std::string, Group, NameHash, std::equal_to<>>;

  Groups groups_;
  std::vector<Groups::value_type*> today_;
  int64_t day_ = 0;
  int32_t dayStart_ = 0;
  int32_t dayEnd_ = 0;
  bool keepsAttempts_ = false;
  // The group of the row before: rows of one group often come together.
  Groups::value_type* last_ = nullptr;
};
