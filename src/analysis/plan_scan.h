// The scan of a capacity plan: the range check of e, t or T, run as those
// commands run it (the same two statements a day, the same rows) up to
// yesterday, with every checked day's occupancy turned into DayFigures on
// the way. The range check's own messages go to standard output as for the
// console commands.
#pragma once

#include <cstdint>

#include "analysis/call_kinds.h"
#include "analysis/call_peak.h"
#include "analysis/grouped_scan.h"
#include "analysis/plan_days.h"

// Told how far the scan has come.
class CPlanScanProgress {
 public:
  // Before the first day: the days the range check is going to check.
  virtual void Begin(int32_t totalDays) = 0;
  // After each day: the days checked so far.
  virtual void Step(int32_t daysDone) = 0;

 protected:
  ~CPlanScanProgress() = default;
};

// Checks the record range for calls of `kind` on `checker`, whose session must be open, and
// keeps the days from the first record day on in `days`. The range ends
// with yesterday, the last complete local day (today's date is read once):
// today's records are still coming in. It starts, at the earliest, on the
// first day of the month `historyMonths` months before the current one;
// with `historyMonths` 0, at most 395 days before the last record day, as
// the range check starts. `progress` may be null. The record days are read
// past any LocalDay value that is no day (RecordRangeRule::skipsBadRecordDays):
// the checker's RangeNotes then name such values, and say why when the
// range could not be read.
//
// A day whose statements returned no rows is then asked, on the checker's
// session, whether any record of another kind starts on it; a day without
// any is marked missing (DayFigures::missing). A question that fails counts
// its day in the checker's UnreadDays, as a day that could not be read.
// Nothing is asked when a day could not be read already.
//
// Returns 0 when the record range could not be read or is one the range
// check refuses (no day checked, nothing printed); else 1. The checker's
// observer is its own again after it; the console's settings are not read.
//
// With `grouped`, the days are read with its statements and each row is
// filed under its group as well (`days` keeps the groups' days).
int ScanPlanDays(CCallPeak* checker, const CallKind& kind, CPlanDays* days, CPlanScanProgress* progress,
                 int32_t historyMonths = 0, const GroupedSelects* grouped = nullptr);
