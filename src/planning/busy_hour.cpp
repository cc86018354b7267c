#include "planning/busy_hour.h"

BusyHour FindBusyHour(const int32_t* counts, int32_t length) {
  BusyHour best;
  if (counts == nullptr || length < kBusyHourSeconds) return best;
  int64_t window = 0;
  for (int32_t second = 0; second < kBusyHourSeconds; ++second) window += counts[second];
  best.start = 0;
  best.callSeconds = window;
  // One pass: each step takes in the window's new last second and lets its
  // old first second go. Only a strictly larger sum moves the start, so the
  // earliest of equal windows stays.
  for (int32_t start = 1; start + kBusyHourSeconds <= length; ++start) {
    window += counts[start + kBusyHourSeconds - 1] - counts[start - 1];
    if (window > best.callSeconds) {
      best.callSeconds = window;
      best.start = start;
    }
  }
  return best;
}

int32_t QuarterHourReadings(const int32_t* counts, int32_t length, double* out) {
  if (counts == nullptr || out == nullptr || length < 0) return 0;
  int32_t quarters = length / kQuarterHourSeconds;
  if (quarters > kMaxQuarterHours) quarters = kMaxQuarterHours;
  for (int32_t q = 0; q < quarters; ++q) {
    const int32_t* second = counts + static_cast<int64_t>(q) * kQuarterHourSeconds;
    int64_t callSeconds = 0;
    for (int32_t i = 0; i < kQuarterHourSeconds; ++i) callSeconds += second[i];
    out[q] = static_cast<double>(callSeconds) / kQuarterHourSeconds;
  }
  return quarters;
}

PeakHour FindPeakHour(const double* readings, int32_t count) {
  PeakHour best;
  if (readings == nullptr) return best;
  double bestSum = 0.0;
  // Each window summed afresh, in the same order: equal readings give
  // bit-equal sums, so the earliest of equal hours stays.
  for (int32_t start = 0; start + kQuartersPerHour <= count; ++start) {
    double sum = 0.0;
    for (int32_t q = start; q < start + kQuartersPerHour; ++q) sum += readings[q];
    if (best.start < 0 || sum > bestSum) {
      best.start = start;
      bestSum = sum;
    }
  }
  if (best.start >= 0) best.erlangs = bestSum / kQuartersPerHour;
  return best;
}
