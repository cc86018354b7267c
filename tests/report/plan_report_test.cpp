// The plan's report on a stream: its answer on the lines quotes the figures
// of the months it judges, taken from the plan itself.
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
      day.quarters = kClockQuarterHours;
      for (int32_t q = 40; q < 44; ++q) day.traffic[q] = 10.0 + 0.5 * (i + 1) + (i % 2 == 0 ? 1.0 : -1.0);
      days.push_back(day);
    }
  }
  return days;
}

std::string MonthName(const MonthPlan& month) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d/%02d", static_cast<int>(month.year), static_cast<int>(month.month));
  return text;
}

PlanReportHeader Header() {
  PlanReportHeader header;
  header.dataSource = "Logger";
  header.callsCounted = "Trunk calls";
  return header;
}

// What `print` writes to the stream it is given.
template <typename Print>
std::string Printed(const Print& print) {
  char* text = nullptr;
  size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  print(out);
  std::fclose(out);
  const std::string printed(text, size);
  std::free(text);
  return printed;
}

// The report's answer: from "Lines needed now:" up to the table.
std::string Answer(const std::vector<DayFigures>& days, const CapacityPlan& plan) {
  const std::string report = Printed([&](std::FILE* out) { PrintPlanReport(out, Header(), days, plan); });
  const size_t at = report.find("Lines needed now:");
  const size_t end = report.find("\n\nMonth ");
  return at == std::string::npos || end == std::string::npos ? report : report.substr(at, end + 1 - at);
}

PlanRequest Lines(int32_t lines) {
  PlanRequest request;
  request.lines = lines;
  request.currentYear = 2026;
  request.currentMonth = 1;
  return request;
}

std::string Fixed1(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

TEST(PlanReportTest, TheAnswerQuotesTheFiguresOfTheMonthsItJudges) {
  const std::vector<DayFigures> days = ScatteredYear();
  const CapacityPlan runsOut = MakeCapacityPlan(days, Lines(30));
  ASSERT_EQ(runsOut.verdict.outlook, LinesOutlook::kRunsOut);
  ASSERT_GE(runsOut.verdict.earliestAt, 0);
  ASSERT_LT(runsOut.verdict.earliestAt, runsOut.verdict.runsOutAt);
  const YearLoads& year = runsOut.year;
  ASSERT_EQ(year.governs, Criterion::kNormalLoad);
  const MonthPlan& out = runsOut.months[static_cast<size_t>(runsOut.verdict.runsOutAt)];
  const MonthPlan& earliest = runsOut.months[static_cast<size_t>(runsOut.verdict.earliestAt)];
  char blocking[32];
  std::snprintf(blocking, sizeof blocking, "%.2f%%", runsOut.verdict.blockingNow * 100.0);
  // One lines-needed figure, that of the reference loads the answer names.
  EXPECT_EQ(runsOut.linesNeededNow, year.normalLines);
  EXPECT_EQ(Answer(days, runsOut),
            "Lines needed now: " + std::to_string(year.lines) +
                ", set by the normal load (ITU-T E.520 on the reference loads of the 365 days to 2026-01-09)\n"
                "  the normal load " + Fixed1(year.normal) + " E needs " + std::to_string(year.normalLines) +
                " at 1%, the high load " + Fixed1(year.high) + " E needs " + std::to_string(year.highLines) +
                " at 7%\nWith 30 lines installed:\n  they carry 20.3 E at 1% and 26.2 E at 7%: the normal load " +
                Fixed1(year.normal) + " E is within, the high load " + Fixed1(year.high) + " E within\n"
                "  blocking now " + blocking + " (Erlang B at the normal load)\n  runs out in " + MonthName(out) +
                " (the trend's " + Fixed1(out.load) + " E a month makes the year's busiest days need " +
                std::to_string(out.linesNeeded) + " lines), as early as " + MonthName(earliest) +
                " (the upper end of the 95% interval)\n");

  const CapacityPlan alreadyShort = MakeCapacityPlan(days, Lines(10));
  ASSERT_EQ(alreadyShort.verdict.outlook, LinesOutlook::kAlreadyShort);
  const std::string answer = Answer(days, alreadyShort);
  EXPECT_EQ(answer.substr(answer.rfind("\n  ") + 1), "  already short by " + std::to_string(year.lines - 10) +
                                                          " lines since 2025/01\n");
  // Seven complete months, from June 2025, give the line a track record of
  // one forecast: the run-out month it finds is said to be uncertain.
  const std::vector<DayFigures> recent(days.begin() + 151, days.end());
  const std::string unsure = Answer(recent, MakeCapacityPlan(recent, Lines(30)));
  EXPECT_NE(unsure.find("\n  the forecast is uncertain: 7 complete months give its model a track record of 1 "
                        "forecast, 6 are needed\n"),
            std::string::npos)
      << unsure;
  // The peak calls of the year ending yesterday, above the lines given.
  std::vector<DayFigures> crowded = days;
  crowded[200].peakCalls = 38;
  const std::string doubt = Answer(crowded, MakeCapacityPlan(crowded, Lines(30)));
  EXPECT_NE(doubt.find("\n  up to 38 calls at once, more than the 30 lines given: check --lines and --calls\n"),
            std::string::npos)
      << doubt;
}

TEST(PlanReportTest, AGroupsBlockIsTheReportUnderAHeadingOfItsOwn) {
  const std::vector<DayFigures> days = ScatteredYear();
  const CapacityPlan plan = MakeCapacityPlan(days, Lines(30));
  const std::string report = Printed([&](std::FILE* out) { PrintPlanReport(out, Header(), days, plan); });
  const std::string block =
      Printed([&](std::FILE* out) { PrintGroupBlock(out, Header(), "east\nwing", days, plan); });
  // Below the report's header (two lines: no day is missing) the same text.
  const size_t body = report.find("\n\n");
  ASSERT_NE(body, std::string::npos);
  EXPECT_EQ(block, "\nGroup east\\nwing: Trunk calls from 2025-01-01 to 2026-01-09: 374 days, 37,400 call records "
                   "read" +
                       report.substr(body));
}

}  // namespace
