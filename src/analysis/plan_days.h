// CPlanDays: the days of a capacity plan, gathered while a range check
// runs. As the peak checker's day observer it turns each day's occupancy
// into DayFigures (peak, busy hour, calls, blocked calls) and files them by
// their local date, so the order in which days arrive does not matter. The
// storage is set aside by Begin: nothing is allocated per day. When the
// check groups its rows (CheckRequest::grouped), each group's day is
// finished, replayed and filed packed as well (analysis/group_days.h).
//
// Order: Begin, a range check with this object as the checker's
// DayObserver, then Days. OnDay may be called from several threads at once
// for different days; the rest from one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "analysis/day_observer.h"
#include "analysis/group_days.h"
#include "planning/day_figures.h"

class CPlanDays final : public CDayObserver {
 public:
  // Room for sixteen months of days by default, more than a range check
  // capped at 395 days covers.
  static constexpr int32_t kDefaultDays = 16 * 31;

  // Forgets every day kept; keeps from now on the days from the local
  // midnight `firstDay` on, up to `room` days after it.
  void Begin(int32_t firstDay, int32_t room = kDefaultDays);

  // Files the day's figures. A day before the first day (the range check
  // starts its first month on day 1), beyond the room or whose date cannot
  // be read is left out.
  void OnDay(const DayOccupancy& day) override;

  // Lines the days' attempts are replayed through besides the sizes around
  // each day's demand (the lines installed; 0: none), when the checker
  // keeps its rows for that (CheckRequest::keepsAttempts). Set before the
  // range check.
  int32_t replayLines = 0;
  // As replayLines, for each group by its name as shown (GroupName in
  // analysis/group_by.h), when the rows are grouped; a group not named has
  // no lines given. Not owned.
  const std::map<std::string, int32_t>* groupLines = nullptr;

  // The days kept, oldest first, moved out: the object holds none after it.
  std::vector<DayFigures> TakeDays();
  // The groups' days, moved out likewise.
  GroupDays TakeGroupDays();

  // Hands each kept day whose statements returned no rows, oldest first,
  // to `visit(DayFigures&)`, which may change it.
  template <class Visit>
  void ForEachDayWithoutRows(Visit visit) {
    for (std::size_t i = 0; i < days_.size(); ++i) {
      if (kept_[i] != 0 && days_[i].calls == 0) visit(days_[i]);
    }
  }

 private:
  int32_t firstNumber_ = 0;
  std::vector<DayFigures> days_;
  // Bytes, not bits: days are filed from several threads at once.
  std::vector<uint8_t> kept_;
  std::mutex groupsLock_;
  GroupDays groups_;
};

// The figures of one checked day: its local date, rows, peak, busy hour and
// blocked rows. The date is 0-0-0 when the day's start cannot be converted.
DayFigures FiguresOfDay(const DayOccupancy& day);

// FiguresOfDay for a counter that finds a day's traffic without counts per
// second: `figures` holds the traffic already (quarters, traffic,
// busyHourStart, busyHourErlangs), and this sets the others FiguresOfDay
// sets, as it sets them, from `day`, whose counts are not read.
void FillDayFigures(const DayOccupancy& day, DayFigures* figures);

// Replays a day's kept rows as CPlanDays does: through the sizes around
// their demand and `lines` lines (0: none), counting what is lost in the
// daily peak hour of figures->traffic; the result goes to figures->replay.
void ReplayDayAttempts(CallReplay& replay, int32_t lines, DayFigures* figures);
