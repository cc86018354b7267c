#include "support/plan_years.h"

#include "timeutil/calendar_months.h"

std::vector<DayFigures> GrowingYear() {
  std::vector<DayFigures> days;
  for (int32_t i = 0; i < 14; ++i) {
    const int32_t at = MonthCount(2025, 1) + i;
    const int32_t length = i == 13 ? 9 : DaysInMonth(YearOfMonthCount(at), MonthOfMonthCount(at));
    for (int32_t d = 1; d <= length; ++d) {
      DayFigures day;
      day.year = YearOfMonthCount(at);
      day.month = MonthOfMonthCount(at);
      day.day = d;
      day.calls = 400 + d;
      day.peakCalls = 20 + i;
      day.quarters = kClockQuarterHours;
      day.missing = i == 5 && d == 3;
      for (int32_t q = 36; q < 48; ++q) day.traffic[q] = 14.0 + 0.5 * i + (q % 3) + (d % 4) * 0.25;
      day.carriedAttempts[40] = 60;
      day.blockedAttempts[40] = i == 12 ? 3 : 0;
      day.blockedCalls = i == 12 ? 3 : 0;
      days.push_back(day);
    }
  }
  return days;
}

PlanRequest GrowingYearRequest(int32_t lines) {
  PlanRequest request;
  request.lines = lines;
  request.currentYear = 2026;
  request.currentMonth = 2;
  return request;
}
