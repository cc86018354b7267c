// The capacity plan after ITU-T E.500, E.501 and E.520: from the
// quarter-hour readings of consecutive days, each day's offered peak hour;
// the reference loads of the year ending yesterday and the lines they need
// now; each month's busy days, its time-consistent busy hour, carried and
// offered load, high load and the lines the reference loads of the year
// ending with it need; the trend of the complete months' offered loads
// projected over a horizon; and, for a given number of installed lines,
// how they stand now and when they run out.
// Pure: the current month, the grades and the lines are handed in; nothing
// is read from the clock, the zone or a database, and nothing is printed.
//
// Definitions.
// - Daily peak hour: the day's four consecutive quarter hours with the most
//   traffic (busy_hour.h); its traffic is their mean. Its offered traffic
//   is that scaled by the attempts that start in it (E.501, per day):
//   carried / (1 − b / (b + c)), the carried traffic when b or c is 0.
// - Reference loads of a period of 365 days (E.500): normal, the mean of
//   the kNormalLoadDays highest offered daily peak hours of its measured
//   days; high, of the kHighLoadDays highest. A period of n < 365 measured
//   days averages round(kNormalLoadDays · n / 365) and round(kHighLoadDays
//   · n / 365) days, at least 1. Lines needed (E.520): the more of Erlang
//   B's lines for the normal load at the grade and for the high load at
//   the high-load grade.
// - Lines needed now: those of the period ending yesterday (the last day
//   given before today). A measured month's lines: those of the period
//   ending with its last day given before today. A projected month's: those
//   of its projected reference loads, the month's load times the ratio of
//   the reference loads to the highest complete month's load seen in the
//   year ending yesterday, applied to the highest load of the 12 months
//   ending with the projected one.
// - Working days: Monday to Friday; or every day, in a seven-day operation,
//   whose weekend days' median daily peak hour is at least
//   kSevenDayShare of its weekdays' (over all the days given; the request
//   may also name the rule).
// - Busy days of a month: its measured working days whose daily peak hour
//   is at least half the median daily peak hour of the month's measured
//   working days, and above 0 (holidays and outages drop out).
// - Time-consistent busy hour: the clock position of four consecutive
//   quarter hours (within the clock day) whose mean traffic over the busy
//   days is highest, the earliest of equals. The carried load is that
//   mean; the month's profile is the mean of each clock quarter hour.
// - Offered load: carried / (1 − b / (b + c)), c and b the carried and the
//   turned-away attempts that start in the busy hour on the busy days; the
//   carried load when b is 0 or c is 0 (nothing to scale by).
// - High load of a month: the mean of its kHighLoadDays highest offered
//   daily peak hours.
// A month is complete when the days hold every one of its days, none of
// them missing, it is not the current month, and it is not a month of
// records without one call counted (those are no measurement of zero
// traffic: the calls counted went unrecorded). A missing day
// (DayFigures::missing) is no measurement: it adds to no load and no count
// of days. The trend runs through the complete months' offered loads of
// the line's months (planning/forecast.h: LinePoints), k = 1 for the first
// complete month, counting calendar months; it needs kMinTrendMonths. The
// projection is the forecast of the model with the best track record on those loads (planning/forecast.h), the trend among
// them, fitted to the loads with a step and one-off months taken out
// (planning/load_changes.h). A projected month's high load is its load times the mean
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
#include "planning/load_changes.h"
#include "planning/period_replay.h"
#include "planning/trend.h"

enum class MonthKind { kComplete, kPartial, kProjected };

// Which days of the week are working days.
enum class BusyDaysRule { kAuto, kWeekdays, kAll };

// In a seven-day operation the weekend days' median daily peak hour is at
// least this share of the weekdays'.
inline constexpr double kSevenDayShare = 0.8;

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
  // By the two criteria on the reference loads of the year ending with the
  // month (see the definitions above); 0 for a month without a day before
  // today.
  int32_t linesNeeded = 0;
  Criterion governs = Criterion::kNone;
  int32_t linesNeededUpper = 0;  // projected months: for loadUpper and its high load
  // The mean traffic of each clock quarter hour over the busy days.
  std::array<double, kClockQuarterHours> profile{};
};

// Per day given, in the same order: its daily peak hour (start: reading
// index; erlangs: carried), the attempts that start in it, carried and
// turned away, its offered traffic, and whether it is a busy day of its
// month.
struct DayLoad {
  PeakHour peakHour;
  int32_t carriedAttempts = 0;
  int32_t blockedAttempts = 0;
  double offered = 0.0;
  bool busy = false;
};

// The E.500 reference loads of the 365 days ending with a day given, and
// the lines they need by E.520.
struct YearLoads {
  int32_t days = 0;         // measured days of the period (missing ones left out)
  int32_t firstIndex = -1;  // index of the period's first and last day in the days given; -1: none
  int32_t lastIndex = -1;
  int32_t normalDays = 0;   // the highest days each load is the mean of
  int32_t highDays = 0;
  double normal = 0.0;      // mean of the normalDays highest offered daily peak hours
  double high = 0.0;        // of the highDays highest
  int32_t normalLines = 0;  // at the grade
  int32_t highLines = 0;    // at the high-load grade
  int32_t lines = 0;        // the more of the two
  Criterion governs = Criterion::kNone;
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
  double highCapacity = 0.0;      // at the high-load grade
  int32_t lastComplete = -1;      // index into months; -1 when none
  double blockingNow = 0.0;       // B(the normal load now, lines); 0 without reference loads
  LinesOutlook outlook = LinesOutlook::kNotAsked;
  int32_t shortBy = 0;            // kAlreadyShort: lines needed now − lines
  int32_t shortSince = -1;        // kAlreadyShort: index into months, the first of the last run of measured
                                  // months that needed more lines; -1: none
  int32_t runsOutAt = -1;         // kRunsOut: index into months, the central trend's first month short
  int32_t earliestAt = -1;        // the first projected month whose upper end needs more; -1: none
  // Days of the last complete month whose busiest second held every line,
  // and the most calls at once in the year ending yesterday (more than the
  // lines given means that they were not the lines the calls went over).
  int32_t saturatedDays = 0;
  int32_t peakCallsNow = 0;
  // The attempts of the year ending yesterday replayed through the lines
  // (its busiest days: the normal load's).
  PeriodReplay replay;
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
  BusyDaysRule busyDays = BusyDaysRule::kAuto;
  int32_t currentYear = 0;    // today's date; currentDay 0: none of the days given is today or later
  int32_t currentMonth = 0;
  int32_t currentDay = 0;
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
  // Lines needed now: those of the reference loads of the year ending
  // yesterday (`year`; 0 without a day before today).
  int32_t linesNeededNow = 0;
  // The attempts of that year replayed through the lines needed now.
  PeriodReplay replayNeeded;
  Trend trend;
  int32_t trendFrom = -1;  // index of the first month the trend runs through
  // The models fitted to the complete months' loads, their track record and
  // the one the projection follows (its line is `trend`).
  Forecast forecast;
  // What of the complete months' loads is no growth (planning/load_changes.h),
  // by index into months: the forecast is made with these taken out. A step
  // makes the forecast uncertain: it stands on the months since.
  int32_t stepMonth = -1;
  double stepRatio = 1.0;
  std::vector<int32_t> oneOffMonths;
  std::vector<double> oneOffRatios;
  StaleRecords staleRecords;
  // The working days the months' busy days were taken from (kWeekdays or
  // kAll; kAll also when no weekday has traffic), whether the request named
  // the rule, and the weekend days' median daily peak hour over the
  // weekdays' (0 when either has none).
  BusyDaysRule workingDays = BusyDaysRule::kWeekdays;
  bool workingDaysGiven = false;
  double weekendShare = 0.0;
  double highRatio = 1.0;  // mean high / offered of the complete months
  // The reference loads now over the highest complete month's load of
  // their period: what a projected month's reference loads are made of.
  double normalSpread = 1.0;
  double highSpread = 1.0;
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
