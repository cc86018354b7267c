// What the replay of a period's attempts through a number of lines lost:
// the sums over its days' replays (planning/call_replay.h), as shares of
// the attempts all day, in the daily peak hours, and in the daily peak
// hours of its busiest days, with the days above a grade of service.
#pragma once

#include <cstdint>
#include <span>

#include "planning/day_figures.h"

struct PeriodReplay {
  int32_t lines = 0;
  int64_t attempts = 0;  // all attempts of the measured days
  int64_t lost = 0;
  int64_t peakAttempts = 0;  // those that start in the days' daily peak hours
  int64_t peakLost = 0;
  int64_t busiestAttempts = 0;  // in the daily peak hours of the busiest days
  int64_t busiestLost = 0;
  // Days whose daily peak hour lost a larger share than the grade, and the
  // one that lost the largest (index into the days given; -1: none lost).
  int32_t daysAbove = 0;
  int32_t worstIndex = -1;
  double worstShare = 0.0;
  // Days whose demand lay so far above `lines` that their replay did not
  // reach them: their losses are not in the sums.
  int32_t unreplayedDays = 0;

  bool Made() const { return attempts > 0; }
  double Share() const { return Ratio(lost, attempts); }
  double PeakShare() const { return Ratio(peakLost, peakAttempts); }
  double BusiestShare() const { return Ratio(busiestLost, busiestAttempts); }
  static double Ratio(int64_t part, int64_t whole) {
    return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
  }
};

// The replay of `days` (missing ones left out) through `lines` lines.
// `offered[i]` is day i's offered daily peak hour: the `busiestDays`
// highest (the earliest of equals) are the busiest days. A day's share is
// its peak-hour attempts lost over its peak-hour attempts.
PeriodReplay ReplayOfPeriod(std::span<const DayFigures> days, std::span<const double> offered, int32_t busiestDays,
                            int32_t lines, double grade);
