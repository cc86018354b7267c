#include "planning/erlang_b.h"

#include <cmath>

namespace {

bool IsGrade(double grade) { return grade > 0.0 && grade < 1.0; }

}  // namespace

double ErlangB(double traffic, int32_t lines) {
  if (!(traffic > 0.0) || !std::isfinite(traffic)) traffic = 0.0;
  double blocking = 1.0;
  for (int32_t n = 1; n <= lines; ++n) blocking = traffic * blocking / (n + traffic * blocking);
  return blocking;
}

int32_t LinesNeeded(double traffic, double grade) {
  if (!IsGrade(grade) || std::isnan(traffic) || std::isinf(traffic)) return -1;
  if (traffic <= 0.0) return 0;
  // The same recurrence, stopped at the first size that meets the grade.
  // B falls below any grade once n passes a few times the traffic, so the
  // loop ends; the guard only stops a count that would wrap.
  double blocking = 1.0;
  int32_t n = 0;
  while (blocking > grade) {
    if (n == INT32_MAX) return -1;
    ++n;
    blocking = traffic * blocking / (n + traffic * blocking);
  }
  return n;
}

double LinesCapacity(int32_t lines, double grade) {
  if (lines <= 0 || !IsGrade(grade)) return 0.0;
  // B grows with the traffic: find a traffic that blocks too much, then
  // halve the interval between it and 0.
  double low = 0.0;
  double high = static_cast<double>(lines);
  while (ErlangB(high, lines) <= grade) {
    low = high;
    high *= 2.0;
  }
  while (high - low > 1e-9) {
    double middle = (low + high) / 2.0;
    if (ErlangB(middle, lines) <= grade) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return low;
}
