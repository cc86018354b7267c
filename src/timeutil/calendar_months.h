// Calendar months: their lengths, and a running count of months that makes
// stepping across year ends plain arithmetic.
#pragma once

#include <cstdint>

// Gregorian leap years.
bool IsLeapYear(int32_t year);

// Days of `month` (1..12) in `year`: February has 29 in leap years.
int32_t DaysInMonth(int32_t year, int32_t month);

// Months counted from January of year 0: year * 12 + month - 1, and back.
// Counts are never negative for years from 0 on.
int32_t MonthCount(int32_t year, int32_t month);
int32_t YearOfMonthCount(int32_t count);
int32_t MonthOfMonthCount(int32_t count);
