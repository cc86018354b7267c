// DayFigures: what a capacity plan knows of one local day of call records.
// Filled by the scan (analysis/plan_days.h), read by the plan and the
// reports. Plain values only: the local date, and where the local clock
// changes, are stored as such so that no consumer has to ask the time zone
// again.
#pragma once

#include <cstdint>

#include "planning/busy_hour.h"
#include "planning/call_replay.h"

struct DayFigures {
  int32_t year = 0;   // the local date
  int32_t month = 0;  // 1..12
  int32_t day = 0;    // 1..31
  int32_t dayStart = 0;  // epoch seconds of its local midnight
  int32_t calls = 0;  // rows the day's statements returned
  // The busiest second: calls in progress, and its offset from dayStart
  // (the earliest of equals; 0 and 0 on a day without calls).
  int32_t peakCalls = 0;
  int32_t peakSecond = 0;
  // The sliding busy hour: its offset from dayStart, -1 when the day has
  // none, and its traffic.
  int32_t busyHourStart = -1;
  double busyHourErlangs = 0.0;
  int32_t blockedCalls = 0;  // rows turned away because every trunk was busy
  // No call record of any kind starts on the day: the data source holds
  // nothing of it, which is no measurement of zero traffic.
  bool missing = false;
  // On a day whose statements returned no rows (calls 0): the records of
  // any kind that start on it (0 on a missing day). Not counted, 0, on the
  // other days.
  int32_t records = 0;

  // The quarter-hour readings, in the order of the day (index q covers the
  // seconds 900q to 900q + 899 after dayStart): the traffic in Erlangs, and
  // the attempts that start in the quarter hour, carried and turned away
  // because every line was busy (the rows of the day's first statement).
  int32_t quarters = 0;  // 96; 92 or 100 on a day the clock changes
  double traffic[kMaxQuarterHours] = {};
  int32_t carriedAttempts[kMaxQuarterHours] = {};
  int32_t blockedAttempts[kMaxQuarterHours] = {};
  // Where the local clock changes: from reading clockChangeQuarter on, the
  // clock reads clockChangeShift quarter hours more than the index (4 when
  // it goes forward an hour, -4 back). -1 and 0 on a plain day.
  int32_t clockChangeQuarter = -1;
  int32_t clockChangeShift = 0;
  // The day's attempts replayed through loss systems around their demand
  // (planning/call_replay.h); all 0 when the scan kept no rows for it.
  DayReplay replay;

  // The clock position (0 for 00:00 .. 95 for 23:45) of reading `index`;
  // the readings of the hour a clock going back repeats share positions.
  int32_t ClockQuarter(int32_t index) const {
    int32_t position = clockChangeQuarter >= 0 && index >= clockChangeQuarter ? index + clockChangeShift : index;
    if (position < 0) return 0;
    return position < kClockQuarterHours ? position : kClockQuarterHours - 1;
  }
};
