// What check's one line (cli/check_command.h) says of one set
// of figures of the day read, of every call or of one group's: how the
// thresholds judge them, their words, and their performance data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/check_command.h"
#include "planning/day_figures.h"
#include "planning/lines_exhaustion.h"
#include "report/threshold_range.h"

// One figure's warning and critical ranges (either may be absent).
struct Judged {
  std::optional<ThresholdRange> warning;
  std::optional<ThresholdRange> critical;
  bool Given() const { return warning || critical; }
  // kCheckCritical, kCheckWarning or kCheckOk for `value`.
  int Status(double value) const;
};

// The thresholds of a check's options (each checked by its option already).
struct CheckRanges {
  Judged peak;     // in percent of the lines where they are given, else in calls
  Judged blocked;  // calls turned away
  Judged months;   // months until the lines run out
  Judged age;      // seconds since the newest record of any kind started
};
CheckRanges CheckRangesOf(const CheckOptions& options);

// A duration of --warning-age and --critical-age in seconds: whole seconds,
// or a whole number of s, m, h or d; false for anything else, 0 and more
// than ten years.
bool ParseDuration(const std::string& text, int64_t* seconds);

// One set of figures as a check judges it.
struct CheckedFigures {
  DayFigures day;
  int32_t lines = 0;  // installed; 0 when not given
  // When the months are judged: the plan's, and its lines needed now.
  std::optional<LinesExhaustion> exhaustion;
  std::optional<int32_t> linesNeeded;
};

// What the peak, the calls turned away and (with a plan) the months say:
// kCheckOk, kCheckWarning or kCheckCritical. The age of the newest record
// is the whole table's, judged apart.
int FiguresStatus(const CheckedFigures& figures, const CheckRanges& ranges);

// "peak 27 of 30 lines (90%) at 10:42:13, 3 calls turned away today" (or
// "peak 27 calls ..." without lines), and with a plan what it says of the
// months, ", the lines run out in 5 months (2026-07)"; `dayWords` names the
// day ("today", "yesterday", "on 2026-02-09").
std::string FiguresText(const CheckedFigures& figures, const std::string& dayWords);

// The performance data of the figures, space-separated, each label `prefix`
// followed by the figure's name (made a label by PerfDataLabel of
// report/plugin_text.h): peak_calls, busy_hour_erlangs, blocked_calls, then
// with a plan lines_needed, `beforeMonths` (when not empty) and
// months_left.
std::string FiguresPerfData(const std::string& prefix, const CheckedFigures& figures, const CheckRanges& ranges,
                            const std::string& beforeMonths);

// record_age of `age` seconds, judged by the age thresholds.
std::string AgePerfData(int64_t age, const CheckRanges& ranges);

// An age in the largest unit that leaves at least two of it, rounded down:
// "90 seconds", "28 hours".
std::string AgeText(int64_t seconds);
