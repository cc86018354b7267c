// Calendar dates and the local clock for the generator: date arithmetic in
// the proleptic Gregorian calendar, and the conversion of a local clock
// reading to epoch seconds in the zone that TZ names (the system's zone
// database), so that days around a clock change have their true length.
#pragma once

#include <cstdint>

struct CivilDate {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
};

// Days from 1970-01-01 to `date` (negative before it).
int64_t DaysFromCivil(const CivilDate& date);

// The date `days` days after 1970-01-01.
CivilDate CivilFromDays(int64_t days);

// 0 = Sunday .. 6 = Saturday.
int DayOfWeek(int64_t days);

// Reads exactly "YYYY-MM-DD" naming a real calendar date of the years
// 1970..2037 (the range of 32-bit epoch seconds); false otherwise.
bool ParseIsoDate(const char* text, CivilDate* out);

// The local date now.
CivilDate LocalToday();

// Epoch seconds at which the local clock shows `date` at `secondOfDay`
// (0..86399 seconds after 00:00:00). A reading that the clock skips or shows
// twice on a clock change is resolved as mktime resolves it.
int64_t LocalClockToEpoch(const CivilDate& date, int secondOfDay);

// Writes the date as the eight digits YYYYMMDD and a NUL into out[0..8].
void FormatLocalDay(const CivilDate& date, char out[9]);
