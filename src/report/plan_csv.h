// The plan's CSV files (RFC 4180: a header row, CRLF line ends, "." as the
// decimal point, no thousands separators, local dates). Each file is
// written whole or not at all (report/atomic_file.h).
//
// days.csv, one row per day, oldest first:
//   date,calls,peak_calls,peak_time,busy_hour_start,busy_hour_erlangs,blocked_calls,missing
// with missing 1 for a day on which no call record of any kind starts (its
// figures are then no measurement), else 0.
// months.csv, the measured months oldest first, then the projected ones:
//   month,kind,days,load_erlangs,load_upper_erlangs,peak_calls,blocked_calls,lines_needed,lines_needed_upper
// with kind complete, partial or projected and the fields that do not apply
// to a kind left empty.
#pragma once

#include <span>
#include <string>

#include "planning/capacity_plan.h"
#include "planning/day_figures.h"

inline constexpr char kDaysCsvName[] = "days.csv";
inline constexpr char kMonthsCsvName[] = "months.csv";

// Write `dir`/days.csv and `dir`/months.csv. On failure: false with a
// one-line reason in `error`.
bool WriteDaysCsv(const std::string& dir, std::span<const DayFigures> days, std::string* error);
bool WriteMonthsCsv(const std::string& dir, const CapacityPlan& plan, std::string* error);

// The kind column's word for `kind`.
const char* MonthKindName(MonthKind kind);
