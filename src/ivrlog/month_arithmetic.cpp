#include "ivrlog/month_arithmetic.h"

#include "timeutil/calendar_months.h"

int32_t MonthIndex(const SYSTEMTIME& date) { return date.wMonth + 12 * (static_cast<int32_t>(date.wYear) - 2000); }

void MoveToFirstOfMonth(SYSTEMTIME* date, int32_t months) {
  int32_t total = MonthCount(date->wYear, date->wMonth) + months;
  if (total < 0) total = 0;
  date->wYear = static_cast<uint16_t>(YearOfMonthCount(total));
  date->wMonth = static_cast<uint16_t>(MonthOfMonthCount(total));
  date->wDay = 1;
}
