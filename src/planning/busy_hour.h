// The busy hour of a day: the 60-minute window, moved in 1-second steps
// inside the day, that holds the most call-seconds. Pure arithmetic on a
// day's per-second occupancy; no allocation.
#pragma once

#include <cstdint>

inline constexpr int32_t kBusyHourSeconds = 3600;

struct BusyHour {
  int32_t start = -1;        // seconds from the day's start; -1: no busy hour
  int64_t callSeconds = 0;   // calls in progress summed over its seconds
  // The traffic carried in the window, in Erlangs.
  double Erlangs() const { return static_cast<double>(callSeconds) / kBusyHourSeconds; }
};

// `counts[i]` is the number of calls in progress at second i of a day of
// `length` seconds. Returns the earliest window with the most call-seconds;
// a day shorter than an hour (or a null `counts`) has none: start -1, 0.
BusyHour FindBusyHour(const int32_t* counts, int32_t length);
