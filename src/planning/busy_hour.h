// The busy hours of a day's traffic. Pure arithmetic on a day's per-second
// occupancy or on its quarter-hour readings; no allocation.
//
// Two measures live here. The sliding busy hour: the 60-minute window,
// moved in 1-second steps inside the day, that holds the most call-seconds
// (kept for the days file, which has always shown it). And the readings of
// ITU-T E.500: the traffic of each quarter hour of the local clock, and the
// daily peak hour, the four consecutive quarter hours with the most traffic.
#pragma once

#include <cstdint>

inline constexpr int32_t kBusyHourSeconds = 3600;

// Quarter hours of the local clock: :00, :15, :30 and :45 of each hour. A
// plain day has 96, a day the clock goes forward 92, back 100.
inline constexpr int32_t kQuarterHourSeconds = 900;
inline constexpr int32_t kQuartersPerHour = 4;
inline constexpr int32_t kClockQuarterHours = 96;
inline constexpr int32_t kMaxQuarterHours = 100;

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

// The quarter-hour readings of a day of `length` seconds: `out[q]` is the
// traffic of quarter hour q, its call-seconds / 900, in Erlangs. Returns
// the number of readings, length / 900 but at most kMaxQuarterHours (`out`
// must have room for that many); 0 for a null `counts` or `out`.
int32_t QuarterHourReadings(const int32_t* counts, int32_t length, double* out);

// An hour of four consecutive quarter-hour readings.
struct PeakHour {
  int32_t start = -1;    // index of its first reading; -1: none
  double erlangs = 0.0;  // the mean of its four readings
};

// The daily peak hour of `count` readings: the four consecutive ones with
// the highest sum, the earliest of equals. None for fewer than four.
PeakHour FindPeakHour(const double* readings, int32_t count);
