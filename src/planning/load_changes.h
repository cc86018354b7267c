// What offices do to a monthly load series that is no growth: a step to a
// new level from one month on (a new office, a lost customer), and a month
// that stands apart from those around it (a campaign, an outage). Both are
// found on the logarithms of the loads, so that a change is a share of the
// load, and both must be large: a change of at least kMinLoadChange and at
// least kChangeSigmas times the noise of the other months about their
// line. The forecast is then made from the series with the step taken out
// (the months before it raised or lowered to the new level) and each
// one-off month replaced by its line's value.
// Pure arithmetic: plain values in and out.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "planning/trend.h"

// ln 1.25: a quarter more, or a fifth less.
inline constexpr double kMinLoadChange = 0.2231435513142097;
inline constexpr double kChangeSigmas = 4.0;
// A step needs this many months on each side to be told from a one-off:
// three before it to set the old level and its slope, two from it on.
inline constexpr int32_t kMonthsBeforeStep = 3;
inline constexpr int32_t kMonthsAfterStep = 2;

struct LoadChanges {
  int32_t stepAt = -1;     // index of the first point of the new level; -1: none
  double stepRatio = 1.0;  // the new level over the old
  std::vector<int32_t> oneOffs;  // indices of the months that stand apart, ascending
  std::vector<double> oneOffRatios;  // each one's load over its line's value
};

// The changes of `points` (k ascending, every load above 0 for either to be
// found): at most one step, the largest, then the one-off months of the
// series with that step taken out.
LoadChanges FindLoadChanges(std::span<const TrendPoint> points);

// `points` with the changes taken out: the points before the step times its
// ratio, each one-off at its line's value.
std::vector<TrendPoint> WithoutChanges(std::span<const TrendPoint> points, const LoadChanges& changes);
