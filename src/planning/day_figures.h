// DayFigures: what a capacity plan knows of one local day of call records.
// Filled by the scan (analysis/plan_days.h), read by the plan and the
// reports. Plain values only: the local date is stored as such so that no
// consumer has to ask the time zone again.
#pragma once

#include <cstdint>

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
  // Offset of the busy hour from dayStart, -1 when the day has none.
  int32_t busyHourStart = -1;
  double busyHourErlangs = 0.0;
  int32_t blockedCalls = 0;  // rows turned away because every trunk was busy
  // No call record of any kind starts on the day: the data source holds
  // nothing of it, which is no measurement of zero traffic.
  bool missing = false;
};
