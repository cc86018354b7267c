// A straight-line trend through a series of monthly loads, fitted by least
// squares, and the 95% prediction interval of a new month's load on it.
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

struct Trend {
  bool fitted = false;
  int32_t points = 0;       // K
  double intercept = 0.0;   // a
  double slope = 0.0;       // b, Erlangs a month
  double meanK = 0.0;       // k̄
  double sxx = 0.0;         // Σ (k − k̄)²
  double residualSe = 0.0;  // s, from K − 2 degrees of freedom
  double tQuantile = 0.0;   // t(0.975, K − 2)
};

// Fits load = a + b·k. Not fitted (fitted false, points set) with fewer
// than kMinTrendMonths points or when every k is the same.
Trend FitTrend(std::span<const TrendPoint> points);

struct TrendValue {
  double load = 0.0;   // a + b·k, never below 0
  double upper = 0.0;  // upper end of the 95% prediction interval, never below 0
};

// The trend's value at month k and the upper end of its prediction
// interval, a + b·k + t·s·√(1 + 1/K + (k − k̄)²/Sxx). Zeros when not fitted.
TrendValue ProjectTrend(const Trend& trend, double k);
