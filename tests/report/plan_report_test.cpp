// The plan's report on a stream: its verdict on the installed lines quotes
// the figures of the months it judges, taken from the plan itself.
#include "report/plan_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "timeutil/calendar_months.h"

namespace {

// Every day of 2025 and the first nine of January 2026, each month's days
// all at its own load, 10 + 0.5k ± 1 for k = 1, 2, ...: a trend whose
// interval is wide enough to set its upper end apart from its load.
std::vector<DayFigures> ScatteredYear() {
  std::vector<DayFigures> days;
  for (int32_t i = 0; i < 13; ++i) {
    const int32_t at = MonthCount(2025, 1) + i;
    const int32_t length = i == 12 ? 9 : DaysInMonth(YearOfMonthCount(at), MonthOfMonthCount(at));
    for (int32_t d = 1; d <= length; ++d) {
      DayFigures day;
      day.year = YearOfMonthCount(at);
      day.month = MonthOfMonthCount(at);
      day.day = d;
      day.calls = 100;
      day.busyHourErlangs = 10.0 + 0.5 * (i + 1) + (i % 2 == 0 ? 1.0 : -1.0);
      days.push_back(day);
    }
  }
  return days;
}

std::string Fixed3(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

std::string MonthName(const MonthPlan& month) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d/%02d", static_cast<int>(month.year), static_cast<int>(month.month));
  return text;
}

// The report's text from "With N lines installed:" to its end.
std::string Verdict(const std::vector<DayFigures>& days, const CapacityPlan& plan) {
  char* text = nullptr;
  size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  PlanReportHeader header;
  header.dataSource = "Logger";
  header.callsCounted = "Trunk calls";
  PrintPlanReport(out, header, days, plan);
  std::fclose(out);
  const std::string report(text, size);
  std::free(text);
  const size_t at = report.find("\nWith ");
  return at == std::string::npos ? report : report.substr(at + 1);
}

PlanRequest Lines(int32_t lines) {
  PlanRequest request;
  request.lines = lines;
  request.currentYear = 2026;
  request.currentMonth = 1;
  return request;
}

TEST(PlanReportTest, TheVerdictQuotesTheFiguresOfTheMonthItJudges) {
  const std::vector<DayFigures> days = ScatteredYear();
  const CapacityPlan runsOut = MakeCapacityPlan(days, Lines(30));
  ASSERT_EQ(runsOut.verdict.outlook, LinesOutlook::kRunsOut);
  const MonthPlan& last = runsOut.months[static_cast<size_t>(runsOut.verdict.lastComplete)];
  const MonthPlan& out = runsOut.months[static_cast<size_t>(runsOut.verdict.runsOutAt)];
  // The month is judged by the upper end of its interval, which must tell
  // apart from its load for the line to show which one it quotes.
  ASSERT_NE(Fixed3(out.load), Fixed3(out.loadUpper));
  ASSERT_NE(out.linesNeeded, out.linesNeededUpper);
  char blocking[32];
  std::snprintf(blocking, sizeof blocking, "%.2f%%", runsOut.verdict.blockingNow * 100.0);
  EXPECT_EQ(Verdict(days, runsOut), "With 30 lines installed:\n  capacity " + Fixed3(runsOut.verdict.capacity) +
                                        " E at 1% blocking\n  blocking now " + blocking + " (the load of " +
                                        MonthName(last) + ", " + Fixed3(last.load) + " E)\n  runs out by " +
                                        MonthName(out) + ": the upper end of its load, " + Fixed3(out.loadUpper) +
                                        " E, needs " + std::to_string(out.linesNeededUpper) + " lines\n");

  const CapacityPlan alreadyShort = MakeCapacityPlan(days, Lines(10));
  ASSERT_EQ(alreadyShort.verdict.outlook, LinesOutlook::kAlreadyShort);
  const std::string verdict = Verdict(days, alreadyShort);
  EXPECT_EQ(verdict.substr(verdict.rfind("\n  ") + 1),
            "  already too few: " + MonthName(last) + " needed " + std::to_string(last.linesNeeded) + " lines\n");
}

}  // namespace
