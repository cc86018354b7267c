// When the installed lines of a capacity plan run out, counted in calendar
// months from the current one: the figure a monitoring check compares with
// its thresholds. Pure: reads the plan's verdict, nothing else.
#pragma once

#include <cstdint>

#include "planning/capacity_plan.h"

enum class ExhaustionKind {
  kUnknown,  // no lines judged, or no projection to judge the months ahead by
  kNow,      // the last complete month already needed more lines, or (stale
             // records) the run-out month is already here
  kAhead,    // the plan's run-out month: the first its central projection finds short
  kBeyond,   // every projected month fits: the lines last past the horizon
};

struct LinesExhaustion {
  ExhaustionKind kind = ExhaustionKind::kUnknown;
  // kNow 0; kAhead the months from the current month to the one that runs
  // out (1 for the next month); kBeyond the months from the current month
  // to the last one projected.
  int32_t months = 0;
  // kNow the current month; kAhead the month that runs out; else 0.
  int32_t year = 0;
  int32_t month = 0;
};

// `plan` was made for the current month `currentYear`-`currentMonth`.
LinesExhaustion FindLinesExhaustion(const CapacityPlan& plan, int32_t currentYear, int32_t currentMonth);
