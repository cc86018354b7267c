// The capacity plan after ITU-T E.500, E.501 and E.520: from the
// quarter-hour readings of consecutive days, each month's busy days, its
// time-consistent busy hour, carried and offered load, high load and the
// lines those need; the year's reference loads; the trend of the complete
// months' offered loads projected over a horizon; and, for a given number
// of installed lines, how they stand now and when they run out.
// Pure: the current month, the grades and the lines are handed in; nothing
// is read from the clock, the zone or a database, and nothing is printed.
//
// Definitions.
// - Daily peak hour: the day's four consecutive quarter hours with the most
//   traffic (busy_hour.h); its traffic is their mean.
// - Busy days of a month: its measured days whose daily peak hour is at
//   least half the median daily peak hour of the month's measured days,
//   and above 0.
// - Time-consistent busy hour: the clock position of four consecutive
//   quarter hours (within the clock day) whose mean traffic over the busy
//   days is highest, the earliest of equals. The carried load is that
//   mean; the month's profile is the mean of each clock quarter hour.
// - Offered load: carried / (1 − b / (b + c)), c and b the carried and the
//   turned-away attempts that start in the busy hour on the busy days; the
//   carried load when b is 0 or c is 0 (nothing to scale by).
// - High load: the mean of the month's kHighLoadDays highest daily peak
//   hours, scaled by the month's offered / carried ratio.
// - Lines needed: the more of Erlang B's lines for the offered load at the
//   grade and for the high load at the high-load grade.
// A month is complete when the days hold every one of its days, none of
// them missing, it is not the current month, and it is not a month of
// records without one call counted (those are no measurement of zero
// traffic: the calls counted went unrecorded). A missing day
// (DayFigures::missing) is no measurement: it adds to no load and no count
// of days. The trend runs through the complete months' offered loads of
// the line's months (planning/forecast.h: LinePoints), k = 1 for the first
// complete month, counting calendar months; it needs kMinTrendMonths. The
// projection is the forecast of the model with the best track record on those loads (planning/forecast.h), the trend among
// them. A projected month's high load is its load times the mean
// high / offered ratio of the complete months.
// The records are stale when the last complete month lies more than
// kStaleMonths before the current month: the projection then starts after
// the last measured month instead of after the current one.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "planning/busy_hour.h"
#include "planning/day_figures.h"
#include "planning/forecast.h"
#include "planning/trend.h"

enum class MonthKind { kComplete, kPartial, kProjected };

// Which of the two criteria sets the lines needed.
enum class Criterion { kNone, kNormalLoad, kHighLoad };

struct MonthPlan {
  int32_t year = 0;
  int32_t month = 0;  // 1..12
  MonthKind kind = MonthKind::kPartial;
  // Measured months: the days of the month present and not missing, the
  // missing ones, the days of the month not among the days given, and
  // whether it is the current month. 0 for projected months.
  int32_t days = 0;
  int32_t missingDays = 0;
  int32_t absentDays = 0;
  bool inProgress = false;
  // Measured months: the calls counted on its days, and the records of any
  // kind on its days without such calls (DayFigures::records).
  int32_t calls = 0;
  int32_t recordsWithoutCalls = 0;
  int32_t busyDays = 0;
  int32_t busyHourStart = -1;  // clock quarter hour 0..92 of the busy hour; -1: none
  double carried = 0.0;        // Erlangs in the busy hour on the busy days
  int32_t carriedAttempts = 0;  // c and b in the busy hour on the busy days
  int32_t blockedAttempts = 0;
  double blockedShare = 0.0;   // b / (b + c), 0 without attempts
  int32_t peakCalls = 0;       // the highest day peak
  int32_t blockedCalls = 0;    // the days' blocked calls, the whole day
  double load = 0.0;           // offered Erlangs; projected: the trend's value
  double highLoad = 0.0;       // Erlangs; projected: load × the mean ratio
  double loadUpper = 0.0;      // projected months: upper end of the 95% interval
  double loadLower = 0.0;      // projected months: lower end of the 95% interval
  int32_t linesNeeded = 0;       // by the two criteria
  Criterion governs = Criterion::kNone;
  int32_t linesNeededUpper = 0;  // projected months: for loadUpper and its high load
  // The mean traffic of each clock quarter hour over the busy days.
  std::array<double, kClockQuarterHours> profile{};
};

// Per day given, in the same order: its daily peak hour (start: reading
// index) and whether it is a busy day of its month.
struct DayLoad {
  PeakHour peakHour;
  bool busy = false;
};

// The E.500 reference loads over the last 365 days of the range.
struct YearLoads {
  int32_t days = 0;        // days of the range that fall in that year, missing ones left out
  int32_t firstIndex = 0;  // index of the first of them in the days given
  double normal = 0.0;     // mean of the kNormalLoadDays highest daily peak hours
  double high = 0.0;       // mean of the kHighLoadDays highest
  int32_t normalLines = 0;  // at the grade
  int32_t highLines = 0;    // at the high-load grade
};

enum class LinesOutlook {
  kNotAsked,       // no lines given
  kNoProjection,   // no complete month needs more, and there is no trend
  kAlreadyShort,   // the last complete month needs more lines than installed
  kRunsOut,        // a projected month needs more on the central trend
  kLasts,          // no projected month needs more on the central trend
};

struct LinesVerdict {
  int32_t lines = 0;
  double capacity = 0.0;          // Erlangs the lines carry at the grade
  int32_t lastComplete = -1;      // index into months; -1 when none
  double blockingNow = 0.0;       // B(offered load of that month, lines)
  LinesOutlook outlook = LinesOutlook::kNotAsked;
  int32_t shortBy = 0;            // kAlreadyShort: lines needed − lines
  int32_t runsOutAt = -1;         // kRunsOut: index into months, the central trend's first month short
  int32_t earliestAt = -1;        // the first projected month whose upper end needs more; -1: none
  // Days of the last complete month whose busiest second held every line.
  int32_t saturatedDays = 0;
};

// Months between the last complete month and the current one beyond which
// the records count as stale.
inline constexpr int32_t kStaleMonths = 2;

struct StaleRecords {
  bool stale = false;
  int32_t year = 0;  // the month of the last day given
  int32_t month = 0;
  int32_t monthsAgo = 0;  // from that month to the current one
};

struct PlanRequest {
  double grade = 0.01;        // blocking probability for the offered load, within (0, 1)
  double highGrade = 0.07;    // for the high load
  int32_t lines = 0;          // installed lines; 0 when not given
  int32_t horizonMonths = 12; // projected months after the current one
  int32_t currentYear = 0;    // today's month
  int32_t currentMonth = 0;
};

struct CapacityPlan {
  // Measured months oldest first (the current month among them, empty when
  // no day of it is in), then the projected ones (only with a trend).
  std::vector<MonthPlan> months;
  std::vector<DayLoad> dayLoads;  // one per day given
  int32_t measuredMonths = 0;
  int32_t completeMonths = 0;
  int32_t firstComplete = -1;  // index of the month with k = 1; -1 when none
  int32_t lastComplete = -1;   // the month "now" is judged by; -1 when none
  // Lines needed now: those of the last complete month (0 without one).
  int32_t linesNeededNow = 0;
  Trend trend;
  int32_t trendFrom = -1;  // index of the first month the trend runs through
  // The models fitted to the complete months' loads, their track record and
  // the one the projection follows (its line is `trend`).
  Forecast forecast;
  StaleRecords staleRecords;
  double highRatio = 1.0;  // mean high / offered of the complete months
  YearLoads year;
  int32_t calls = 0;
  int32_t blockedCalls = 0;
  int32_t missingDays = 0;  // days given that are missing
  LinesVerdict verdict;
};

// `days` are consecutive local days, oldest first (a day left out of them,
// like a missing one, makes its month partial).
CapacityPlan MakeCapacityPlan(std::span<const DayFigures> days, const PlanRequest& request);

// Erlang B's lines for the two criteria, and which one sets them (kNone
// when both need 0 lines; the offered load's when both need as many).
struct LinesByCriteria {
  int32_t lines = 0;
  Criterion governs = Criterion::kNone;
};
LinesByCriteria LinesForLoads(double load, double grade, double highLoad, double highGrade);
