// Two models of a monthly load series with a yearly season, beside the
// straight line of planning/trend.h, and the test of whether the series
// shows a season at all.
// - The line with 12 multiplicative monthly factors, found by classical
//   decomposition: a centred 12-month moving average (2×12) for the trend,
//   each calendar month's factor the mean ratio of its loads to that
//   average, the factors scaled to a mean of 1; the line is then fitted by
//   least squares to the logarithms of the loads divided by their month's
//   factor (TrendScale::kLogLoads): loads grow by a share a year, and a
//   season of factors is itself a share of the load, so the trend that
//   goes with it is growth by a share; a straight line in Erlangs falls
//   behind such growth the further it looks ahead.
// - Additive Holt-Winters exponential smoothing with a damped trend, run on
//   the logarithms of the loads: level, trend and season add up there, so
//   that the trend is a growth by a share and each month's season a share
//   of the load, which keeps its size as the load grows (in Erlangs the
//   season of the first year would stay as wide as it was). Its constants
//   α, β, γ in (0, 1) and damping φ in [kMinDamping, kMaxDamping] are
//   fitted by least squares of the one-step-ahead errors of the logarithms
//   (a Nelder-Mead search, planning/nelder_mead.h, from three starts).
// Both need kMinSeasonalMonths points, every load above 0. A series may lack
// months (a month that is not complete): for the moving average and the
// smoothing such a month takes the value on the straight line between its
// neighbours, and it adds no ratio and no error.
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
// The significance level at which TestSeason finds a season, that of the
// test for stable seasonality of Census X-11.
inline constexpr double kSeasonTestLevel = 0.001;

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

// e^(a + b·k) × the factor of k's calendar month, and the upper end of the
// adjusted line's 95% prediction interval times that factor. Zeros when
// not fitted.
TrendValue ProjectSeasonalTrend(const SeasonalTrend& model, int32_t firstMonth, double k);

// Whether the loads show a season: an F test of month effects on the
// logarithms of the loads, ln y = a_m + b·k with a level a_m of each
// calendar month m against the line ln y = a + b·k, both by least squares:
// F = ((S_line − S_months) / (M − 1)) / (S_months / (K − M − 1)), K points
// in M calendar months, against the F distribution's 1 − kSeasonTestLevel
// quantile. A season that the noise could have drawn is left out of the
// forecast: its factors would only add that noise to every month ahead.
struct SeasonTest {
  bool tested = false;  // kMinSeasonalMonths points, every load above 0
  double f = 0.0;       // the statistic; +inf when the month effects fit exactly
  double critical = 0.0;
  bool shown = false;   // tested and f above critical
};

SeasonTest TestSeason(const LoadSeries& series);

struct HoltWintersConstants {
  double alpha = 0.0;  // level
  double beta = 0.0;   // trend, of the change in level
  double gamma = 0.0;  // season
  double phi = 1.0;    // damping of the trend per month
};

struct HoltWinters {
  bool fitted = false;
  HoltWintersConstants constants;
  double squares = 0.0;  // the sum of squared one-step errors of the logarithms over the points
  // The state after the last point, on the logarithms: level, trend, and
  // the season of each calendar month (January first).
  double lastK = 0.0;
  int32_t firstMonth = 1;
  double level = 0.0;
  double slope = 0.0;
  std::array<double, kSeasonMonths> season{};
};

// Smooths the logarithms of the loads with the given constants. The state
// starts from the first two years: the level and trend from their means,
// each month's season its first-year value less the trend line there. Not
// fitted with fewer than kMinSeasonalMonths points or a load not above 0.
HoltWinters RunHoltWinters(const LoadSeries& series, const HoltWintersConstants& constants);

// RunHoltWinters with the constants of the least sum of squares found.
HoltWinters FitHoltWinters(const LoadSeries& series);

// e^(ℓ + (φ + φ² + … + φʰ)·b + s) for month k, h = k − the last point's k
// months ahead (h ≥ 1). 0 when not fitted.
double ProjectHoltWinters(const HoltWinters& model, double k);
