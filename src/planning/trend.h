// A straight-line trend through a series of monthly loads, fitted by least
// squares, and the 95% prediction interval of a new month's load on it.
// The line is straight either on the loads themselves (growth by so many
// Erlangs a month) or on their natural logarithms (growth by a share a
// month, which compounds: 20% a year is 1.53% a month); on the logarithms
// the fit, its residuals and its interval are all taken there and the
// load and the interval's upper end are their exponentials.
// Pure arithmetic; the Student t quantile comes from Boost.Math.
#pragma once

#include <cstdint>
#include <span>

// Months needed before a trend is fitted: with fewer, two parameters leave
// too few degrees of freedom for an interval worth printing.
inline constexpr int32_t kMinTrendMonths = 6;

struct TrendPoint {
  double k;     // month number, 1 for the first month of the series
  double load;  // Erlangs
};

enum class TrendScale { kLoads, kLogLoads };

struct Trend {
  bool fitted = false;
  TrendScale scale = TrendScale::kLoads;
  int32_t points = 0;       // K
  double intercept = 0.0;   // a
  double slope = 0.0;       // b, Erlangs a month (on the logarithms: ln of 1 + the monthly growth)
  double meanK = 0.0;       // k̄
  double sxx = 0.0;         // Σ (k − k̄)²
  double residualSe = 0.0;  // s, from K − 2 degrees of freedom
  double tQuantile = 0.0;   // t(0.975, K − 2)
};

// Fits y = a + b·k, y the load or on kLogLoads its logarithm. Not fitted
// (fitted false, points set) with fewer than kMinTrendMonths points, when
// every k is the same, or on kLogLoads when a load is not above 0.
Trend FitTrend(std::span<const TrendPoint> points, TrendScale scale = TrendScale::kLoads);

struct TrendValue {
  double load = 0.0;   // a + b·k, never below 0
  double upper = 0.0;  // upper end of the 95% prediction interval, never below 0
};

// The trend's value at month k and the upper end of its prediction
// interval, a + b·k + t·s·√(1 + 1/K + (k − k̄)²/Sxx); on kLogLoads the
// exponentials of both. Zeros when not fitted.
TrendValue ProjectTrend(const Trend& trend, double k);
