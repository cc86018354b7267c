#include "cdrgen/calendar.h"

#include <ctime>

// Date arithmetic after Howard Hinnant's days_from_civil / civil_from_days,
// exact for every proleptic Gregorian date.
int64_t DaysFromCivil(const CivilDate& date) {
  const int64_t y = date.year - (date.month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t m = date.month;
  const int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CivilDate CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  CivilDate date;
  date.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
  return date;
}

int DayOfWeek(int64_t days) {
  int64_t weekday = (days + 4) % 7;  // 1970-01-01 was a Thursday
  return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

bool ParseIsoDate(const char* text, CivilDate* out) {
  if (text == nullptr) return false;
  int fields[3] = {0, 0, 0};
  const int widths[3] = {4, 2, 2};
  const char* p = text;
  for (int f = 0; f < 3; ++f) {
    if (f > 0 && *p++ != '-') return false;
    for (int i = 0; i < widths[f]; ++i, ++p) {
      if (*p < '0' || *p > '9') return false;
      fields[f] = fields[f] * 10 + (*p - '0');
    }
  }
  if (*p != '\0') return false;
  CivilDate date{fields[0], fields[1], fields[2]};
  if (date.year < 1970 || date.year > 2037 || date.month < 1 || date.month > 12 || date.day < 1) return false;
  // A day past the month's end would come back from the round trip changed.
  CivilDate back = CivilFromDays(DaysFromCivil(date));
  if (back.month != date.month || back.day != date.day) return false;
  *out = date;
  return true;
}

CivilDate LocalToday() {
  time_t now = time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return CivilDate{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

int64_t LocalClockToEpoch(const CivilDate& date, int secondOfDay) {
  std::tm tm{};
  tm.tm_year = date.year - 1900;
  tm.tm_mon = date.month - 1;
  tm.tm_mday = date.day;
  tm.tm_hour = secondOfDay / 3600;
  tm.tm_min = secondOfDay / 60 % 60;
  tm.tm_sec = secondOfDay % 60;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&tm));
}

void FormatLocalDay(const CivilDate& date, char out[9]) {
  unsigned value = static_cast<unsigned>(date.year % 10000) * 10000u + static_cast<unsigned>(date.month % 100) * 100u +
                   static_cast<unsigned>(date.day % 100);
  for (int i = 7; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
  out[8] = '\0';
}
