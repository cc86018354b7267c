// Threshold ranges as monitoring plugins take them on their command lines
// (--warning, --critical) and print them in their performance data:
//
//   [@]start:end   start and end inclusive; start <= end
//   10             the same as 0:10 (start and ":" may go when start is 0)
//   10:            10 up to positive infinity
//   ~:10           negative infinity up to 10
//   @10:20         inverted: alert when the value lies inside 10..20
//
// A value alerts when it lies outside the range, or, with "@", inside it
// (the ends always belong to the range). Pure functions: no I/O.
#pragma once

#include <string>

struct ThresholdRange {
  double start = 0.0;  // -infinity for "~"
  double end = 0.0;    // +infinity for an empty end
  bool inside = false; // "@": alert inside the range instead of outside
};

// Parses `text`. On failure returns false with a one-line reason in `error`
// and leaves `range` as it was. Numbers are plain decimals ("-1.5", "20");
// no exponent, no "inf" or "nan", no blanks.
bool ParseThresholdRange(const std::string& text, ThresholdRange* range, std::string* error);

// True when `value` raises an alert against `range`.
bool RangeAlerts(const ThresholdRange& range, double value);

// The range with both ends multiplied by `factor` (> 0), for a threshold
// given in one unit and reported in another.
ThresholdRange ScaleRange(const ThresholdRange& range, double factor);

// The range written back in the same syntax, its numbers as plain decimals
// with at most three places (no exponent): 0:N as "N", an infinite end left
// empty, an infinite start as "~".
std::string FormatThresholdRange(const ThresholdRange& range);

// A number as performance data want it: plain decimal digits, at most
// `places` after the point, trailing zeros and a bare point dropped.
std::string PlainNumber(double value, int places);
