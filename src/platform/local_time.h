// Local and UTC broken-down time, time-zone offsets and the wall clock.
//
// The clock is the process's real-time clock and the zone is the system's
// zone database with TZ honoured; both are read afresh on every call, so a
// clock pinned from outside (libfaketime) and a changed TZ take effect at once.
#pragma once

#include <cstdint>

// Broken-down time: eight unsigned 16-bit fields.
struct SYSTEMTIME {
  uint16_t wYear;
  uint16_t wMonth;      // 1..12
  uint16_t wDayOfWeek;  // 0 = Sunday
  uint16_t wDay;        // 1..31
  uint16_t wHour;
  uint16_t wMinute;
  uint16_t wSecond;
  uint16_t wMilliseconds;
};

// Fills `out` with the local date and time now.
void GetLocalTime(SYSTEMTIME* out);

// Seconds since 1970-01-01 00:00:00 UTC, now.
int64_t CurrentEpochSeconds();

// Fills `out` with the UTC broken-down time of `epochSeconds`.
// Returns false (leaving `out` unchanged) when the value cannot be converted.
bool EpochToUtcFields(int64_t epochSeconds, SYSTEMTIME* out);

// Fills `out` with the local broken-down time of `epochSeconds`.
// Returns false (leaving `out` unchanged) when the value cannot be converted.
bool EpochToLocalFields(int64_t epochSeconds, SYSTEMTIME* out);

// Replaces the clock that GetLocalTime and CurrentEpochSeconds read with
// `now` (epoch milliseconds); null restores the real clock. For tests that
// drive time-dependent code through a day in one process.
void SetClockForTesting(int64_t (*now)());

// Local time minus UTC, in seconds, in force at the instant `epochSeconds`
// (positive east of Greenwich).
int32_t UtcOffsetAt(int64_t epochSeconds);
