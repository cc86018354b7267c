// LocalDay texts as CDRMAIN holds them: "YYYYMMDD" or "YYYY-MM-DD", blanks
// after. A day taken is on the calendar, and the day before it comes
// before it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "analysis/record_day.h"
#include "timeutil/calendar_months.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  RecordDay day{-1, -1, -1};
  if (!ParseRecordDay(text.c_str(), &day)) {
    if (day.year != -1 || day.month != -1 || day.day != -1) std::abort();  // left alone
    return 0;
  }
  if (day.year < 1970 || day.month < 1 || day.month > 12 || day.day < 1 || day.day > DaysInMonth(day.year, day.month)) {
    std::abort();
  }
  if (CompareRecordDays(day, day) != 0) std::abort();
  const RecordDay before = DayBefore(day);
  if (CompareRecordDays(before, day) >= 0 || CompareRecordDays(day, before) <= 0) std::abort();
  return 0;
}
