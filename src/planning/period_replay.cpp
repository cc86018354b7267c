#include "planning/period_replay.h"

#include <algorithm>
#include <vector>

PeriodReplay ReplayOfPeriod(std::span<const DayFigures> days, std::span<const double> offered, int32_t busiestDays,
                            int32_t lines, double grade) {
  PeriodReplay period;
  period.lines = lines;
  std::vector<size_t> order;
  for (size_t i = 0; i < days.size() && i < offered.size(); ++i) {
    if (!days[i].missing) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return offered[a] > offered[b]; });
  for (size_t rank = 0; rank < order.size(); ++rank) {
    const size_t i = order[rank];
    const DayReplay& replay = days[i].replay;
    const DayLoss loss = LossAt(replay, lines);
    if (!loss.known) {
      ++period.unreplayedDays;
      continue;
    }
    period.attempts += replay.attempts;
    period.lost += loss.lost;
    period.peakAttempts += replay.peakAttempts;
    period.peakLost += loss.peakLost;
    if (rank < static_cast<size_t>(std::max(busiestDays, 0))) {
      period.busiestAttempts += replay.peakAttempts;
      period.busiestLost += loss.peakLost;
    }
    const double share = PeriodReplay::Ratio(loss.peakLost, replay.peakAttempts);
    if (share > grade) ++period.daysAbove;
    if (share > 0.0 && (share > period.worstShare ||
                        (share == period.worstShare && static_cast<int32_t>(i) < period.worstIndex))) {
      period.worstShare = share;
      period.worstIndex = static_cast<int32_t>(i);
    }
  }
  return period;
}
