// The plan from day figures: month loads and kinds, the year's reference
// loads, the trend and its interval, and the verdict on installed lines.
#include "planning/capacity_plan.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "planning/erlang_b.h"
#include "timeutil/calendar_months.h"

namespace {

// Every day of the months from (year, month) on, `count` months, the last
// one cut after `lastDays` days (0: whole); load(monthIndex, day) gives the
// day's busy-hour traffic.
std::vector<DayFigures> Days(int32_t year, int32_t month, int32_t count, int32_t lastDays,
                             const std::function<double(int32_t, int32_t)>& load) {
  std::vector<DayFigures> days;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t at = MonthCount(year, month) + i;
    int32_t length = DaysInMonth(YearOfMonthCount(at), MonthOfMonthCount(at));
    if (i == count - 1 && lastDays > 0) length = lastDays;
    for (int32_t d = 1; d <= length; ++d) {
      DayFigures day;
      day.year = YearOfMonthCount(at);
      day.month = MonthOfMonthCount(at);
      day.day = d;
      day.calls = 100;
      day.peakCalls = d % 7;
      day.busyHourErlangs = load(i, d);
      days.push_back(day);
    }
  }
  return days;
}

PlanRequest Request(int32_t year, int32_t month, int32_t lines = 0) {
  PlanRequest request;
  request.grade = 0.01;
  request.lines = lines;
  request.horizonMonths = 12;
  request.currentYear = year;
  request.currentMonth = month;
  return request;
}

TEST(CapacityPlanTest, MonthsTakeTheMeanOfTheirFiveBusiestDays) {
  // From 2025-12-20: a partial first month, a complete January, and the
  // current month of which three days are in.
  std::vector<DayFigures> days = Days(2025, 12, 3, 3, [](int32_t, int32_t d) { return static_cast<double>(d); });
  days.erase(days.begin(), days.begin() + 19);
  days[0].blockedCalls = 4;
  days[44].blockedCalls = 3;
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2026, 2));
  ASSERT_EQ(plan.months.size(), 3u);
  EXPECT_EQ(plan.months[0].kind, MonthKind::kPartial);
  EXPECT_EQ(plan.months[0].days, 12);
  EXPECT_DOUBLE_EQ(plan.months[0].load, 29.0);  // days 27..31
  EXPECT_EQ(plan.months[1].kind, MonthKind::kComplete);
  EXPECT_DOUBLE_EQ(plan.months[1].load, 29.0);
  EXPECT_EQ(plan.months[1].linesNeeded, 40);
  EXPECT_EQ(plan.months[2].kind, MonthKind::kPartial);  // the current month
  EXPECT_DOUBLE_EQ(plan.months[2].load, 2.0);           // all of its three days
  EXPECT_EQ(plan.months[0].blockedCalls, 4);
  EXPECT_EQ(plan.months[1].blockedCalls, 0);
  EXPECT_EQ(plan.months[2].blockedCalls, 3);
  EXPECT_EQ(plan.months[1].peakCalls, 6);
  EXPECT_EQ(plan.blockedCalls, 7);
  EXPECT_EQ(plan.calls, 4600);
}

TEST(CapacityPlanTest, TheYearTakesTheBusiestDaysOfItsLast365) {
  // 400 days from 2025-01-01; the first 35 days are the busiest of all but
  // lie outside the last 365.
  std::vector<DayFigures> days = Days(2025, 1, 14, 4, [](int32_t, int32_t) { return 1.0; });
  ASSERT_EQ(days.size(), 400u);
  for (size_t i = 0; i < days.size(); ++i) days[i].busyHourErlangs = i < 35 ? 100.0 : static_cast<double>(i % 50);
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2026, 2));
  EXPECT_EQ(plan.year.days, 365);
  EXPECT_EQ(plan.year.firstIndex, 35);
  EXPECT_DOUBLE_EQ(plan.year.high, 49.0);
  EXPECT_DOUBLE_EQ(plan.year.normal, (49.0 * 8 + 48.0 * 8 + 47.0 * 8 + 46.0 * 6) / 30);  // 8 of each in 365
}

TEST(CapacityPlanTest, AStraightLineIsProjectedWithoutSpreadAndRunsOut) {
  // Loads 10 + 0.5k for the complete months k = 1..12 (2025), then today's
  // month, January 2026 (k = 13).
  std::vector<DayFigures> days = Days(2025, 1, 13, 9, [](int32_t i, int32_t) { return 10.0 + 0.5 * (i + 1); });
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2026, 1, 30));
  ASSERT_TRUE(plan.trend.fitted);
  EXPECT_EQ(plan.completeMonths, 12);
  EXPECT_NEAR(plan.trend.slope, 0.5, 1e-12);
  EXPECT_NEAR(plan.trend.intercept, 10.0, 1e-12);
  ASSERT_EQ(plan.months.size(), 13u + 12u);
  const MonthPlan& february = plan.months[13];  // k = 14
  EXPECT_EQ(february.kind, MonthKind::kProjected);
  EXPECT_NEAR(february.load, 17.0, 1e-9);
  EXPECT_NEAR(february.loadUpper, february.load, 1e-6);
  // 30 lines carry 20.337 E at 1%: k = 20 gives 20.0 E, k = 21 gives 20.5 E.
  EXPECT_EQ(plan.verdict.outlook, LinesOutlook::kRunsOut);
  ASSERT_GE(plan.verdict.runsOutAt, 0);
  const MonthPlan& out = plan.months[static_cast<size_t>(plan.verdict.runsOutAt)];
  EXPECT_EQ(out.year, 2026);
  EXPECT_EQ(out.month, 9);
  EXPECT_EQ(plan.months[static_cast<size_t>(plan.verdict.runsOutAt) - 1].linesNeededUpper, 30);
  EXPECT_NEAR(plan.verdict.capacity, 20.337, 5e-4);
  EXPECT_NEAR(plan.verdict.blockingNow, ErlangB(16.0, 30), 1e-12);  // December 2025, k = 12
}

TEST(CapacityPlanTest, MissingDaysAreNoMeasurementAndLeaveTheirMonthsOutOfTheTrend) {
  // The straight line above, with no record at all in May 2025 and on
  // 10 July 2025: a month of 0 E would bend the line.
  std::vector<DayFigures> days = Days(2025, 1, 13, 9, [](int32_t i, int32_t) { return 10.0 + 0.5 * (i + 1); });
  for (DayFigures& day : days) {
    if (day.month == 5 || (day.month == 7 && day.day == 10)) {
      day.missing = true;
      day.calls = 0;
      day.busyHourErlangs = 0.0;
    }
  }
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2026, 1));
  EXPECT_EQ(plan.missingDays, 32);
  EXPECT_EQ(plan.months[4].kind, MonthKind::kPartial);
  EXPECT_EQ(plan.months[4].days, 0);
  EXPECT_EQ(plan.months[6].kind, MonthKind::kPartial);
  EXPECT_EQ(plan.months[6].days, 30);
  EXPECT_DOUBLE_EQ(plan.months[6].load, 13.5);
  EXPECT_EQ(plan.completeMonths, 10);
  ASSERT_TRUE(plan.trend.fitted);
  EXPECT_NEAR(plan.trend.slope, 0.5, 1e-12);
  EXPECT_EQ(plan.year.days, 365 - 32);
}

TEST(CapacityPlanTest, TheIntervalWidensWithScatterAndAwayFromTheMiddle) {
  std::vector<DayFigures> days =
      Days(2025, 1, 13, 9, [](int32_t i, int32_t) { return 10.0 + 0.5 * (i + 1) + (i % 2 == 0 ? 1.0 : -1.0); });
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2026, 1));
  ASSERT_TRUE(plan.trend.fitted);
  const MonthPlan& first = plan.months[13];
  const MonthPlan& last = plan.months.back();
  EXPECT_GT(first.loadUpper - first.load, 2.0);
  EXPECT_GT(last.loadUpper - last.load, first.loadUpper - first.load);
  EXPECT_GE(first.linesNeededUpper, first.linesNeeded);
}

TEST(CapacityPlanTest, FewerThanSixCompleteMonthsGiveNoProjection) {
  std::vector<DayFigures> days = Days(2025, 8, 6, 9, [](int32_t i, int32_t) { return 10.0 + i; });
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2026, 1, 40));
  EXPECT_EQ(plan.completeMonths, 5);
  EXPECT_FALSE(plan.trend.fitted);
  EXPECT_EQ(plan.months.size(), 6u);
  EXPECT_EQ(plan.verdict.outlook, LinesOutlook::kNoProjection);
}

TEST(CapacityPlanTest, AMonthThatNeedsMoreLinesIsAlreadyShort) {
  std::vector<DayFigures> days = Days(2025, 1, 13, 9, [](int32_t, int32_t) { return 20.0; });
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2026, 1, 25));
  EXPECT_EQ(plan.verdict.outlook, LinesOutlook::kAlreadyShort);
  EXPECT_EQ(plan.verdict.lastComplete, 11);
}

}  // namespace
