// The capacity plan: from the figures of consecutive days, the monthly
// loads and the lines they need at a grade of service, the year's
// reference loads, the trend of the complete months projected over a
// horizon, and, for a given number of installed lines, when they run out.
// Pure: the current month, the grade and the lines are handed in; nothing is
// read from the clock, the zone or a database, and nothing is printed.
//
// Definitions. A month's load is the mean busy-hour traffic of its
// kHighLoadDays busiest days (all of them when it has fewer). A month is
// complete when the days hold every one of its days, none of them missing,
// and it is not the current month. A missing day (DayFigures::missing) is
// no measurement: it adds to no load and no count of days. The trend runs
// through the complete months, k = 1 for the first of them, counting
// calendar months; it needs kMinTrendMonths.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "planning/day_figures.h"
#include "planning/trend.h"

enum class MonthKind { kComplete, kPartial, kProjected };

struct MonthPlan {
  int32_t year = 0;
  int32_t month = 0;  // 1..12
  MonthKind kind = MonthKind::kPartial;
  // Measured months: the days of the month present and not missing, the
  // highest day peak, and the sum of the days' blocked calls. 0 for
  // projected months.
  int32_t days = 0;
  int32_t peakCalls = 0;
  int32_t blockedCalls = 0;
  double load = 0.0;          // Erlangs; projected: the trend's value
  double loadUpper = 0.0;     // projected months: upper end of the 95% interval
  int32_t linesNeeded = 0;       // for `load`
  int32_t linesNeededUpper = 0;  // projected months: for `loadUpper`
};

// The E.500 reference loads over the last 365 days of the range.
struct YearLoads {
  int32_t days = 0;        // days of the range that fall in that year, missing ones left out
  int32_t firstIndex = 0;  // index of the first of them in the days given
  double normal = 0.0;     // mean of the kNormalLoadDays busiest days
  double high = 0.0;       // mean of the kHighLoadDays busiest days
  int32_t normalLines = 0;
  int32_t highLines = 0;
};

enum class LinesOutlook {
  kNotAsked,       // no lines given
  kNoProjection,   // no complete month exceeds them, and there is no trend
  kAlreadyShort,   // the last complete month needs more lines than installed
  kRunsOut,        // a projected month's upper end needs more
  kLasts,          // no projected month's upper end needs more
};

struct LinesVerdict {
  int32_t lines = 0;
  double capacity = 0.0;          // Erlangs the lines carry at the grade
  int32_t lastComplete = -1;      // index into months; -1 when none
  double blockingNow = 0.0;       // B(load of that month, lines)
  LinesOutlook outlook = LinesOutlook::kNotAsked;
  int32_t runsOutAt = -1;         // index into months of kRunsOut's month
};

struct PlanRequest {
  double grade = 0.01;        // blocking probability, within (0, 1)
  int32_t lines = 0;          // installed lines; 0 when not given
  int32_t horizonMonths = 12; // projected months after the current one
  int32_t currentYear = 0;    // today's month
  int32_t currentMonth = 0;
};

struct CapacityPlan {
  // Measured months oldest first, then the projected ones (only with a trend).
  std::vector<MonthPlan> months;
  int32_t measuredMonths = 0;
  int32_t completeMonths = 0;
  int32_t firstComplete = -1;  // index of the month with k = 1; -1 when none
  Trend trend;
  YearLoads year;
  int32_t calls = 0;
  int32_t blockedCalls = 0;
  int32_t missingDays = 0;  // days given that are missing
  LinesVerdict verdict;
};

// `days` are consecutive local days, oldest first (a day left out of them,
// like a missing one, makes its month partial).
CapacityPlan MakeCapacityPlan(std::span<const DayFigures> days, const PlanRequest& request);
