// The scan of a capacity plan: the range check of e, t or T, run as those
// commands run it (the same days, the same two statements a day, the same
// rows), with every checked day's occupancy turned into DayFigures on the
// way. The range check's own messages go to standard output as for the
// console commands.
#pragma once

#include <cstdint>

#include "analysis/call_peak.h"
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

// Checks the record range in `mode` (kCheckExtension, kCheckTrunk or
// kCheckTrunkWithoutSipTie) on `checker`, whose session must be open, and
// keeps the days from the first record day on in `days`. `progress` may be
// null. Returns 0 when the record range could not be read or is one the
// range check refuses (no day checked, nothing printed); else 1. Leaves CheckMode as the
// range check leaves it and the checker without an observer.
int ScanPlanDays(CCallPeak* checker, uint32_t mode, CPlanDays* days, CPlanScanProgress* progress);
