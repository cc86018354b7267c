#include "timeutil/calendar_months.h"

bool IsLeapYear(int32_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int32_t DaysInMonth(int32_t year, int32_t month) {
  static constexpr int32_t kDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return (month == 2 && IsLeapYear(year)) ? 29 : kDays[month];
}

int32_t MonthCount(int32_t year, int32_t month) { return year * 12 + (month - 1); }

int32_t YearOfMonthCount(int32_t count) { return count / 12; }

int32_t MonthOfMonthCount(int32_t count) { return count % 12 + 1; }
