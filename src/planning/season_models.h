// Two models of a monthly load series with a yearly season, beside the
// straight line of planning/trend.h:
// - the line with 12 multiplicative monthly factors, found by classical
//   decomposition: a centred 12-month moving average (2×12) for the trend,
//   each calendar month's factor the mean ratio of its loads to that
//   average, the factors scaled to a mean of 1; the line is then fitted by
//   least squares to the loads divided by their month's factor;
// - additive Holt-Winters exponential smoothing with a damped trend, its
//   constants α, β, γ in (0, 1) and damping φ in [kMinDamping, kMaxDamping]
//   fitted by least squares of the one-step-ahead errors (a Nelder-Mead
//   search, planning/nelder_mead.h, from three starts).
// Both need kMinSeasonalMonths points. A series may lack months (a month
// that is not complete): for the moving average and the smoothing such a
// month takes the value on the straight line between its neighbours, and
// it adds no ratio and no error.
// Pure arithmetic: plain values in and out.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "planning/trend.h"

inline constexpr int32_t kSeasonMonths = 12;
// Two years: every calendar month then has a ratio to the moving average,
// and the smoothing a first year to start from and a second to learn the
// trend from.
inline constexpr int32_t kMinSeasonalMonths = 24;
inline constexpr double kMinDamping = 0.8;
inline constexpr double kMaxDamping = 0.98;

// Monthly loads: the points' k ascending, none twice, k = 1 falling in
// calendar month `firstMonth` (1..12). The points are not owned.
struct LoadSeries {
  std::span<const TrendPoint> points;
  int32_t firstMonth = 1;
};

// The calendar month of month k of a series starting in `firstMonth`, as an
// index from 0 (January) to 11.
int32_t SeasonIndex(double k, int32_t firstMonth);

// The loads of every month from the first point's k to the last's, a
// month without a point interpolated between its neighbours. Empty for no
// points.
std::vector<double> ConsecutiveLoads(std::span<const TrendPoint> points);

struct SeasonFactors {
  bool fitted = false;
  std::array<double, kSeasonMonths> factor{};  // by calendar month, January first
};

// The factors of classical decomposition. Not fitted with fewer than
// kMinSeasonalMonths points, or when a moving average or a factor is not
// above 0.
SeasonFactors DecomposeSeasons(const LoadSeries& series);

struct SeasonalTrend {
  SeasonFactors seasons;
  Trend adjusted;  // the line through each point's load / its month's factor
  bool fitted = false;
};

SeasonalTrend FitSeasonalTrend(const LoadSeries& series);

// (a + b·k) × the factor of k's calendar month, and the upper end of the
// adjusted line's 95% prediction interval times that factor. Zeros when
// not fitted.
TrendValue ProjectSeasonalTrend(const SeasonalTrend& model, int32_t firstMonth, double k);

struct HoltWintersConstants {
  double alpha = 0.0;  // level
  double beta = 0.0;   // trend, of the change in level
  double gamma = 0.0;  // season
  double phi = 1.0;    // damping of the trend per month
};

struct HoltWinters {
  bool fitted = false;
  HoltWintersConstants constants;
  double squares = 0.0;  // the sum of squared one-step errors over the points
  // The state after the last point: level, trend, and the season of each
  // calendar month (January first).
  double lastK = 0.0;
  int32_t firstMonth = 1;
  double level = 0.0;
  double slope = 0.0;
  std::array<double, kSeasonMonths> season{};
};

// Smooths the series with the given constants. The state starts from the
// first two years: the level and trend from their means, each month's
// season its first-year load less the trend line there. Not fitted with
// fewer than kMinSeasonalMonths points.
HoltWinters RunHoltWinters(const LoadSeries& series, const HoltWintersConstants& constants);

// RunHoltWinters with the constants of the least sum of squares found.
HoltWinters FitHoltWinters(const LoadSeries& series);

// ℓ + (φ + φ² + … + φʰ)·b + s for month k, h = k − the last point's k
// months ahead (h ≥ 1), never below 0. 0 when not fitted.
double ProjectHoltWinters(const HoltWinters& model, double k);
