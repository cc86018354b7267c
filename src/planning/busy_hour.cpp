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
