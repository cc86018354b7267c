// The plan's CSV files (RFC 4180: a header row, CRLF line ends, "." as the
// decimal point, no thousands separators, local dates). Each file is
// written whole or not at all (report/atomic_file.h). A plan by groups
// writes the same records with a group field in front
// (report/grouped_csv.h).
//
// days.csv, one row per day, oldest first:
//   date,calls,peak_calls,peak_time,busy_hour_start,busy_hour_erlangs,blocked_calls,missing,
//   peak_hour_start,peak_hour_erlangs,busy_day
// with busy_hour_* the sliding hour of most call-seconds, missing 1 for a
// day on which no call record of any kind starts (its figures are then no
// measurement), peak_hour_* the daily peak hour of the quarter-hour
// readings (empty on a missing day) and busy_day 1 for a busy day of its
// month (planning/capacity_plan.h), else 0.
// months.csv, the measured months oldest first, then the projected ones:
//   month,kind,days,busy_days,busy_hour_start,carried_erlangs,blocked_share,load_erlangs,
//   high_load_erlangs,load_upper_erlangs,peak_calls,blocked_calls,lines_needed,lines_needed_upper,model
// with kind complete, partial or projected, busy_hour_start the clock time
// "HH:MM" of the time-consistent busy hour, blocked_share a fraction,
// load_erlangs the offered load (projected: the forecast's), model the
// forecast's model on projected rows (ForecastModelName), and the fields
// that do not apply to a kind, or to a month without busy days, left empty.
// backtest.csv, the track record of every model (planning/forecast.h):
//   model,origin,horizon,month,forecast,actual
// one row per forecast: the model, the last month it was fitted to, the
// months ahead, the month forecast, the forecast and the measured offered
// load in Erlangs; by model, then origin, then month.
// profile.csv, for each measured month with busy days, its 96 quarter hours:
//   month,quarter_hour,erlangs
// the mean traffic of the quarter hour ("HH:MM") over the busy days.
#pragma once

#include <span>
#include <string>

#include "planning/capacity_plan.h"
#include "planning/day_figures.h"

inline constexpr char kDaysCsvName[] = "days.csv";
inline constexpr char kMonthsCsvName[] = "months.csv";
inline constexpr char kProfileCsvName[] = "profile.csv";
inline constexpr char kBacktestCsvName[] = "backtest.csv";

// Write `dir`/days.csv, months.csv and profile.csv; `plan` is the one made
// from `days`. On failure: false with a one-line reason in `error`.
bool WriteDaysCsv(const std::string& dir, std::span<const DayFigures> days, const CapacityPlan& plan,
                  std::string* error);
bool WriteMonthsCsv(const std::string& dir, const CapacityPlan& plan, std::string* error);
bool WriteProfileCsv(const std::string& dir, const CapacityPlan& plan, std::string* error);
bool WriteBacktestCsv(const std::string& dir, const CapacityPlan& plan, std::string* error);

// "HH:MM" of clock quarter hour `position` (0..95); empty for -1.
std::string QuarterHourText(int32_t position);

// The kind column's word for `kind`.
const char* MonthKindName(MonthKind kind);

// The model column's word for `model`: line, seasonal-line or holt-winters.
const char* ForecastModelName(ForecastModel model);
