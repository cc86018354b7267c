// GroupDays: the days of every group of a grouped plan (--group-by), as
// the scan makes them, kept packed until the plan takes one group's days
// at a time. A DayFigures is some 2.5 KB, and 500 groups of a year of days
// would need over 400 MB; packed, a day keeps its figures and only the
// quarter hours that had traffic or attempts, a few dozen bytes for a
// small group. Every figure comes back as it went in.
//
// Add from one thread at a time; the days of a group may come in any
// order.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "planning/day_figures.h"

// A day of `scanned` (a day of every group's rows together) as a group
// without rows on it has it: its date, start, quarter hours and clock
// change, no traffic, missing as it is.
DayFigures QuietDay(const DayFigures& scanned);

class GroupDays {
 public:
  // Files the figures of group `name` on the day they are of (their local
  // date). The date, the day's start, its quarter hours and where its clock
  // changes are not kept: DaysOf takes them from the day of the whole scan.
  // The second of a group's figures for one date replaces the first.
  // `sipTieRows` of its rows came over a SIP tie line.
  void Add(const std::string& name, const DayFigures& figures, int32_t sipTieRows = 0);

  // The rows of group `name` over SIP tie lines, all days together.
  int64_t SipTieRowsOf(const std::string& name) const;

  // The groups, in the byte order of their names.
  std::vector<std::string> Names() const;
  bool Empty() const { return groups_.empty(); }

  // The days of group `name`, one for each of `scanned` (the days of the
  // whole scan, DayFigures of every group's rows together): the group's
  // figures where it had rows, else a day without its traffic (calls 0,
  // missing as that day is); each with the date, start, quarter hours and
  // clock change of its day in `scanned`. A name not filed has no traffic
  // on any day.
  std::vector<DayFigures> DaysOf(const std::string& name, std::span<const DayFigures> scanned) const;

  // Bytes the packed days take.
  size_t PackedBytes() const;

 private:
  struct Packed {
    std::vector<uint8_t> bytes;  // the days, one after another
    int64_t sipTieRows = 0;
  };
  std::map<std::string, Packed, std::less<>> groups_;
};
