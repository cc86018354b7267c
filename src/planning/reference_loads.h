// The reference loads of a telephone traffic record (after ITU-T E.500):
// the mean busy-hour traffic of a period's busiest days. Pure functions of
// the daily busy-hour loads, in Erlangs.
#pragma once

#include <cstdint>
#include <span>

// Days averaged for the normal load and the high load of a year.
inline constexpr int32_t kNormalLoadDays = 30;
inline constexpr int32_t kHighLoadDays = 5;

// The mean of the `busiest` highest values of `loads`, or of all of them
// when there are fewer; 0 for an empty span or `busiest` < 1. The span is
// left as it is.
double MeanOfBusiest(std::span<const double> loads, int32_t busiest);
