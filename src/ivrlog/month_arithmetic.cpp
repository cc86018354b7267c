#include "ivrlog/month_arithmetic.h"

int32_t MonthIndex(const SYSTEMTIME& date) { return date.wMonth + 12 * (static_cast<int32_t>(date.wYear) - 2000); }

void MoveToFirstOfMonth(SYSTEMTIME* date, int32_t months) {
  // Months counted from January of year 0, so that division finds the year.
  int32_t total = static_cast<int32_t>(date->wYear) * 12 + (static_cast<int32_t>(date->wMonth) - 1) + months;
  if (total < 0) total = 0;
  date->wYear = static_cast<uint16_t>(total / 12);
  date->wMonth = static_cast<uint16_t>(total % 12 + 1);
  date->wDay = 1;
}
