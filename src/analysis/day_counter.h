// DayCounter: the readings of one local day, made from its call rows and
// nothing else (no session, no settings, no printing). Rows go in with the
// statement they came from; out come the calls in progress at each second
// and the busiest of them, the rows by quarter hour, carried and turned
// away, and, when asked for, the rows kept for the replay of the attempts.
//
// One day: StartDay, any number of AddRow, FinishDay, then the readings
// until the next StartDay.
#pragma once

#include <cstdint>

#include "analysis/day_observer.h"
#include "planning/busy_hour.h"
#include "planning/call_replay.h"
#include "timeutil/time_conversions.h"

// Which of a day's two statements a row came from: the first brings every
// call with one end of the kind counted, the second once more those with
// both ends of it, which hold two lines.
enum class DayPass { kFirst, kSecond };

class DayCounter {
 public:
  // Seconds of room in Counts: the longest local day.
  static constexpr int32_t kCountSlots = kLongestDaySeconds;
  // Length of the day assumed until StartDay gives one.
  static constexpr int32_t kPlainDaySeconds = 86400;

  DayCounter() = default;
  DayCounter(const DayCounter&) = delete;
  DayCounter& operator=(const DayCounter&) = delete;

  // Opens the day from `dayStart` (a local midnight) to `dayEnd` (the next
  // one) and clears its readings. A span that is not a day of 1 to 25 hours
  // (a date beyond 2038 wraps) is taken as 86400 seconds. With
  // `keepsAttempts` the day's rows are kept for their replay.
  void StartDay(int32_t dayStart, int32_t dayEnd, bool keepsAttempts = false);

  // True when a call from `startTime` to `endTime` (epoch seconds) occupies
  // seconds of the day: it starts and ends inside it and lasts 2 seconds or
  // more. It then occupies the seconds from its start up to, not including,
  // its end.
  bool Occupies(int32_t startTime, int32_t endTime) const;

  // One row: its occupancy, and its outcome (ExitState, 0 for NULL).
  // Constant cost whatever the duration.
  void AddRow(int32_t startTime, int32_t endTime, int32_t exitState, DayPass pass) {
    CountOccupancy(startTime, endTime);
    CountOutcome(startTime, endTime, exitState, pass);
  }
  // The two halves of AddRow, for a reader that learns a row's outcome
  // after its times. CountOccupancy adds the row to DayRows and returns
  // Occupies(startTime, endTime).
  bool CountOccupancy(int32_t startTime, int32_t endTime);
  // A row of the first pass counts into the quarter hour it starts in,
  // carried or turned away (ALL_TRK_BUSY, also counted in DayBlockedRows);
  // a row of the second pass counts there no more, its call being one call.
  // Both are kept for the replay when the day keeps them.
  void CountOutcome(int32_t startTime, int32_t endTime, int32_t exitState, DayPass pass);

  // Completes Counts and sets PeakValue and PeakSecond to the earliest
  // busiest second. Once per day.
  void FinishDay();

  // The finished day as an observer takes it.
  DayOccupancy Readings();

  // Clears everything, as after construction.
  void Clear();

  // Calls in progress at each second of the day, index = seconds since
  // DayStart, valid below DayLength once FinishDay has run; zero beyond.
  int32_t Counts[kCountSlots] = {};
  // The local midnight that opens the day, 0 before any; the day's length.
  int32_t DayStart = 0;
  int32_t DayLength = kPlainDaySeconds;
  // The busiest second: its count, and its offset from DayStart.
  int32_t PeakValue = 0;
  int32_t PeakSecond = 0;
  // Rows of the day, of both passes, counted or not.
  int32_t DayRows = 0;
  // Rows of the first pass turned away because every trunk was busy.
  int32_t DayBlockedRows = 0;
  // The rows of the first pass by the quarter hour they start in.
  int32_t QuarterCarried[kMaxQuarterHours] = {};
  int32_t QuarterBlocked[kMaxQuarterHours] = {};

 private:
  // Counts that may hold values: Counts is zero from here on.
  int32_t dirtyLength_ = 0;
  bool keepsAttempts_ = false;
  CallReplay replay_;
};
