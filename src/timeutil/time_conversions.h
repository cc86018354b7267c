// Conversions between calendar dates, epoch seconds and local broken-down
// time, and the elapsed-time measurement of the analysis commands.
//
// Epoch seconds are signed 32-bit counts since 1970-01-01 00:00:00 UTC, the
// unit of StartTime and EndTime in CDRMAIN. The local zone is the system's
// (TZ honoured) and is consulted afresh on every call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/local_time.h"

// Epoch seconds of 00:00:00 UTC of a calendar date, in 32-bit arithmetic.
// Corrections: a month outside 1..12 counts as 1; a day of 0 or above 31
// counts as 1 (negative days are used as they are); a year below 38 means
// 2000 + year. Exact for 1973-01-01 through 2038-01-19; one day more for
// 1970-1972; wraps negative after 2038-01-19. Every fourth year is a leap
// year (no century rule).
int32_t DateToEpochUtc(int32_t year, int32_t month, int32_t day);

// UTC minus local time now, in seconds (positive west of Greenwich).
int32_t TimeZoneBiasSeconds();

// Days from 1970-01-01 to a calendar date (DateToEpochUtc's corrections
// apply): consecutive dates have consecutive numbers.
inline int32_t DayNumber(int32_t year, int32_t month, int32_t day) { return DateToEpochUtc(year, month, day) / 86400; }

// Epoch seconds of the moment the local clock shows 00:00:00 on the date
// (DateToEpochUtc's corrections apply), with the zone offset in force at
// that moment, so dates of either season convert right all year round. In a
// zone whose clock jumps forward over midnight, the moment the date begins.
int32_t LocalDateToEpoch(int32_t year, int32_t month, int32_t day);

// Epoch seconds of the moment the local clock shows the date and time;
// hours, minutes and seconds out of their ranges (negative ones included)
// roll over as a calendar does: hour 25 is 01:00 of the next day. A time the
// clock shows twice gives the first moment; a time it skips, the moment of
// the jump.
int32_t LocalDateTimeToEpoch(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                             int32_t second);

// The local midnight that follows the local midnight `dayStart`: 86400
// seconds later on ordinary days, 82800 or 90000 on days the clock changes.
int32_t NextLocalMidnight(int32_t dayStart);

// The longest local day there is, in seconds (a day the clock goes back).
inline constexpr int32_t kLongestDaySeconds = 25 * 3600;

// The UTC broken-down time of `seconds`.
void EpochToSystemTime(int32_t seconds, SYSTEMTIME* out);

// Writes the local time of `seconds` as "YYYY/MM/DD hh:mm:ss" into `out`
// (`size` bytes, 20 or more for the whole text; cut to fit otherwise).
void FormatEpochLocal(int32_t seconds, char* out, size_t size);

// Milliseconds from `start` (a local time taken earlier with GetLocalTime)
// to now; one change of day between them is accounted for.
int32_t ElapsedMilliseconds(const SYSTEMTIME& start);
