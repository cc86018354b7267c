// CDayObserver: whoever wants more of a checked day than its peak. The
// peak checker hands each day's occupancy to its observer once the day's
// per-second counts are complete, before the next day overwrites them. A
// range check on several sessions calls it from several threads at once,
// for different days.
#pragma once

#include <cstdint>

class CallReplay;
class GroupedDay;

// One checked day, valid only during the call that receives it.
struct DayOccupancy {
  int32_t dayStart;       // epoch seconds of the day's local midnight
  int32_t dayLength;      // seconds: 86400, or 82800 / 90000 on clock changes
  const int32_t* counts;  // calls in progress at each of the dayLength seconds
  int32_t peakValue;      // the busiest second's count, 0 without calls
  int32_t peakSecond;     // its offset from dayStart, the earliest of equals
  int32_t rows;           // rows the day's statements returned
  int32_t blockedRows;    // rows of the first statement with ExitState ALL_TRK_BUSY
  // Rows of the first statement by the quarter hour of the day they start
  // in (900-second steps from dayStart, dayLength / 900 of them): carried,
  // and turned away with ALL_TRK_BUSY.
  const int32_t* carriedByQuarter;
  const int32_t* blockedByQuarter;
  // The day's rows kept for their replay, when the checker keeps them
  // (CheckRequest::keepsAttempts); else null. The observer may replay them.
  CallReplay* replay;
  // The day's rows by group, when the check groups them
  // (CheckRequest::grouped); else null. The observer may finish and
  // replay each group's day.
  GroupedDay* groups;
};

class CDayObserver {
 public:
  virtual void OnDay(const DayOccupancy& day) = 0;

 protected:
  // Observers are not deleted through this interface.
  ~CDayObserver() = default;
};
