#include "analysis/record_day.h"

#include <cctype>
#include <cstring>

#include "platform/local_time.h"
#include "timeutil/calendar_months.h"

namespace {

constexpr int32_t kFirstYear = 1970;

bool Digits(const char* text, int count, int32_t* value) {
  int32_t result = 0;
  for (int i = 0; i < count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    result = result * 10 + (text[i] - '0');
  }
  *value = result;
  return true;
}

bool OnlyBlanks(const char* text) {
  for (; *text != '\0'; ++text) {
    if (*text != ' ') return false;
  }
  return true;
}

}  // namespace

bool ParseRecordDay(const char* text, RecordDay* out) {
  if (text == nullptr) return false;
  RecordDay day{};
  size_t length = std::strlen(text);
  const char* rest = nullptr;
  if (length >= 10 && text[4] == '-' && text[7] == '-') {
    if (!Digits(text, 4, &day.year) || !Digits(text + 5, 2, &day.month) || !Digits(text + 8, 2, &day.day)) return false;
    rest = text + 10;
  } else if (length >= 8) {
    if (!Digits(text, 4, &day.year) || !Digits(text + 4, 2, &day.month) || !Digits(text + 6, 2, &day.day)) return false;
    rest = text + 8;
  } else {
    return false;
  }
  if (!OnlyBlanks(rest)) return false;
  if (day.year < kFirstYear || day.month < 1 || day.month > 12) return false;
  if (day.day < 1 || day.day > DaysInMonth(day.year, day.month)) return false;
  *out = day;
  return true;
}

int CompareRecordDays(const RecordDay& a, const RecordDay& b) {
  if (a.year != b.year) return a.year < b.year ? -1 : 1;
  if (a.month != b.month) return a.month < b.month ? -1 : 1;
  if (a.day != b.day) return a.day < b.day ? -1 : 1;
  return 0;
}

RecordDay LocalToday() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

RecordDay DayBefore(const RecordDay& day) {
  if (day.day > 1) return {day.year, day.month, day.day - 1};
  const int32_t count = MonthCount(day.year, day.month) - 1;
  const int32_t year = YearOfMonthCount(count);
  const int32_t month = MonthOfMonthCount(count);
  return {year, month, DaysInMonth(year, month)};
}
