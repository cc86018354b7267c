// GroupDayCounter: the readings of one local day of one group of calls (a
// site, a tenant, a trunk group), made from its call rows and nothing else
// (no session, no settings, no printing). It takes the rows as DayCounter
// does, by the same rules, and gives the same DayFigures that FiguresOfDay
// makes of a DayCounter fed the same rows; but it keeps no count per
// second: it keeps each occupying row's start and end, sorts them once the
// day is over and walks the seconds where calls start or end. Its memory
// and its time grow with the group's rows of the day (beside some 1 KB for
// the quarter hours), so that a pass over the records can keep one for each
// of hundreds of groups.
//
// One day: StartDay, any number of AddRow, FinishDay, then Replay until
// the next StartDay. The buffers keep their room from day to day: once they
// have grown to a day's rows, nothing is allocated. One thread at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/day_counter.h"
#include "planning/busy_hour.h"
#include "planning/call_replay.h"
#include "planning/day_figures.h"

class GroupDayCounter {
 public:
  GroupDayCounter() = default;
  GroupDayCounter(const GroupDayCounter&) = delete;
  GroupDayCounter& operator=(const GroupDayCounter&) = delete;
  GroupDayCounter(GroupDayCounter&&) = default;
  GroupDayCounter& operator=(GroupDayCounter&&) = default;

  // Opens the day from `dayStart` (a local midnight) to `dayEnd` (the next
  // one) and forgets the day before, as DayCounter::StartDay does (a span
  // that is not a day of 1 to 25 hours is taken as 86400 seconds). With
  // `keepsAttempts` the day's rows are kept for their replay.
  void StartDay(int32_t dayStart, int32_t dayEnd, bool keepsAttempts = false);

  // True when a call from `startTime` to `endTime` occupies seconds of the
  // day, by DayCounter::Occupies's rule: it starts and ends inside the day
  // and lasts 2 seconds or more, and occupies its start second up to, not
  // including, its end.
  bool Occupies(int32_t startTime, int32_t endTime) const;

  // One row: its occupancy, and its outcome (ExitState, 0 for NULL), by
  // DayCounter::AddRow's rules. Constant cost whatever the duration.
  void AddRow(int32_t startTime, int32_t endTime, int32_t exitState, DayPass pass) {
    CountOccupancy(startTime, endTime);
    CountOutcome(startTime, endTime, exitState, pass);
  }
  // The two halves of AddRow, as DayCounter's: CountOccupancy counts the
  // row and returns Occupies(startTime, endTime); CountOutcome files a row
  // of the first pass in the quarter hour it starts in, carried or turned
  // away (ALL_TRK_BUSY), and keeps a row of either pass for the replay when
  // the day keeps them.
  bool CountOccupancy(int32_t startTime, int32_t endTime);
  void CountOutcome(int32_t startTime, int32_t endTime, int32_t exitState, DayPass pass);

  // Counts a row of the day whose end that files it is a SIP tie line.
  void CountSipTie() { ++sipTieRows_; }
  int32_t SipTieRows() const { return sipTieRows_; }

  // The day's figures, every field as FiguresOfDay gives them for a
  // DayCounter fed the same rows (the replay's 0 until the caller replays
  // the rows). Once per day.
  DayFigures FinishDay();

  // The day's rows kept for their replay (ReplayDayAttempts in
  // analysis/plan_days.h replays them as the plan does), when the day keeps
  // them; else null. Valid until the next StartDay.
  CallReplay* Replay() { return keepsAttempts_ ? &replay_ : nullptr; }

 private:
  // A second at which calls start or end, and what holds from it on.
  struct Step {
    int32_t second;       // from the day's start
    int32_t calls;        // in progress from it up to the next step
    int64_t callSeconds;  // summed over the seconds before it
  };
  // The call-seconds of the seconds before `second`, for seconds asked in
  // rising order.
  class Integral;

  void SortMoments();
  void MakeSteps();
  BusyHour BusiestHour() const;

  int32_t dayStart_ = 0;
  int32_t dayLength_ = DayCounter::kPlainDaySeconds;
  int32_t rows_ = 0;
  int32_t blockedRows_ = 0;
  int32_t sipTieRows_ = 0;
  int32_t quarterCarried_[kMaxQuarterHours] = {};
  int32_t quarterBlocked_[kMaxQuarterHours] = {};
  // Each occupying row's start and end, as 2 × second, plus 1 for an end: 18
  // bits for the longest day.
  std::vector<uint32_t> moments_;
  std::vector<uint32_t> sortRoom_;
  std::vector<Step> steps_;
  bool keepsAttempts_ = false;
  CallReplay replay_;
};
