// The plan from hand-made days: busy days, the time-consistent busy hour,
// offered and high load, the lines by two criteria, month kinds, the year's
// reference loads, the trend and its interval, and the verdict on lines.
#include "planning/capacity_plan.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "planning/erlang_b.h"
#include "timeutil/calendar_months.h"

namespace {

constexpr int32_t kTen = 40;  // the reading of 10:00

// A plain day whose hour from 10:00 carries `load` and every other quarter
// hour a fifth of it.
DayFigures Day(int32_t year, int32_t month, int32_t day, double load) {
  DayFigures figures;
  figures.year = year;
  figures.month = month;
  figures.day = day;
  figures.calls = 100;
  figures.quarters = kClockQuarterHours;
  for (int32_t q = 0; q < figures.quarters; ++q) figures.traffic[q] = q >= kTen && q < kTen + 4 ? load : load / 5;
  return figures;
}

// Every day of the months from (year, month) on, `count` months, the last
// one cut after `lastDays` days (0: whole); load(monthIndex, day) gives the
// day's peak-hour traffic.
std::vector<DayFigures> Days(int32_t year, int32_t month, int32_t count, int32_t lastDays,
                             const std::function<double(int32_t, int32_t)>& load) {
  std::vector<DayFigures> days;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t at = MonthCount(year, month) + i;
    int32_t length = DaysInMonth(YearOfMonthCount(at), MonthOfMonthCount(at));
    if (i == count - 1 && lastDays > 0) length = lastDays;
    for (int32_t d = 1; d <= length; ++d) {
      days.push_back(Day(YearOfMonthCount(at), MonthOfMonthCount(at), d, load(i, d)));
      days.back().peakCalls = d % 7;
    }
  }
  return days;
}

PlanRequest Request(int32_t year, int32_t month, int32_t lines = 0) {
  PlanRequest request;
  request.lines = lines;
  request.currentYear = year;
  request.currentMonth = month;
  return request;
}

TEST(CapacityPlanTest, BusyDaysReachHalfTheMedianPeakHourAndSetTheBusyHour) {
  // January 2026: day d peaks at d Erlangs; the median is 16, so days 8 to
  // 31 are busy. February: the current month, one day in.
  std::vector<DayFigures> days = Days(2026, 1, 2, 1, [](int32_t i, int32_t d) { return i == 0 ? d : 7.0; });
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2026, 2));
  ASSERT_EQ(plan.months.size(), 2u);
  const MonthPlan& january = plan.months[0];
  EXPECT_EQ(january.kind, MonthKind::kComplete);
  EXPECT_EQ(january.busyDays, 24);
  EXPECT_FALSE(plan.dayLoads[6].busy);
  EXPECT_TRUE(plan.dayLoads[7].busy);
  EXPECT_EQ(plan.dayLoads[7].peakHour.start, kTen);
  EXPECT_EQ(january.busyHourStart, kTen);
  EXPECT_DOUBLE_EQ(january.carried, 19.5);  // the mean of 8..31
  EXPECT_DOUBLE_EQ(january.load, 19.5);     // nothing turned away
  EXPECT_DOUBLE_EQ(january.highLoad, 29.0);  // 27..31
  EXPECT_DOUBLE_EQ(january.profile[kTen - 1], 19.5 / 5);
  // The year ending with January holds its 31 days alone: its normal load
  // is the mean of its round(30 * 31 / 365) = 3 highest peak hours, its
  // high load the highest one (round(5 * 31 / 365) is 0, at least 1).
  EXPECT_EQ(january.linesNeeded, std::max(LinesNeeded(30.0, 0.01), LinesNeeded(31.0, 0.07)));
  EXPECT_EQ(january.governs, Criterion::kNormalLoad);
  EXPECT_EQ(plan.year.normalDays, 3);
  EXPECT_EQ(plan.year.highDays, 1);
  EXPECT_DOUBLE_EQ(plan.year.normal, 30.0);
  EXPECT_EQ(plan.linesNeededNow, january.linesNeeded);
  EXPECT_EQ(plan.lastComplete, 0);
  // A month of one measured day: that day is its busy day.
  const MonthPlan& february = plan.months[1];
  EXPECT_EQ(february.kind, MonthKind::kPartial);
  EXPECT_TRUE(february.inProgress);
  EXPECT_EQ(february.absentDays, 27);
  EXPECT_EQ(february.busyDays, 1);
  EXPECT_DOUBLE_EQ(february.load, 7.0);
}

TEST(CapacityPlanTest, WeekendsOfAnOfficeDropOutAndAMonthWithoutTrafficHasNoBusyHour) {
  // March 2025: weekends at 30% of a weekday's 10 E (1 March is a Saturday).
  std::vector<DayFigures> days =
      Days(2025, 3, 2, 0, [](int32_t i, int32_t d) { return i == 1 ? 0.0 : (d % 7 == 1 || d % 7 == 2 ? 3.0 : 10.0); });
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2025, 6));
  EXPECT_EQ(plan.months[0].busyDays, 21);
  EXPECT_DOUBLE_EQ(plan.months[0].load, 10.0);
  EXPECT_EQ(plan.months[1].busyDays, 0);
  EXPECT_EQ(plan.months[1].busyHourStart, -1);
  EXPECT_EQ(plan.months[1].load, 0.0);
  // The year ending with April still holds March's busy days.
  EXPECT_EQ(plan.months[1].linesNeeded, plan.months[0].linesNeeded);
}

// Weekends at half a weekday's traffic reach half the median, but are no
// working days of an office; in a seven-day operation they are.
TEST(CapacityPlanTest, WorkingDaysAreWeekdaysUnlessWeekendsCarryNearlyAsMuch) {
  const auto plan = [](double weekend, BusyDaysRule rule) {
    PlanRequest request = Request(2025, 6);
    request.busyDays = rule;
    return MakeCapacityPlan(
        Days(2025, 3, 1, 0, [weekend](int32_t, int32_t d) { return d % 7 == 1 || d % 7 == 2 ? weekend : 10.0; }),
        request);
  };
  const CapacityPlan office = plan(5.0, BusyDaysRule::kAuto);
  EXPECT_EQ(office.workingDays, BusyDaysRule::kWeekdays);
  EXPECT_EQ(office.months[0].busyDays, 21);
  EXPECT_DOUBLE_EQ(office.months[0].load, 10.0);
  const CapacityPlan sevenDays = plan(8.0, BusyDaysRule::kAuto);
  EXPECT_EQ(sevenDays.workingDays, BusyDaysRule::kAll);
  EXPECT_EQ(sevenDays.months[0].busyDays, 31);
  EXPECT_EQ(plan(5.0, BusyDaysRule::kAll).months[0].busyDays, 31);
  EXPECT_EQ(plan(8.0, BusyDaysRule::kWeekdays).months[0].busyDays, 21);
}

TEST(CapacityPlanTest, TheBusyHourIsTheEarliestOfEqualClockPositions) {
  // Half the busy days peak at 09:00, half at 14:00, all as high.
  std::vector<DayFigures> days = Days(2025, 4, 1, 0, [](int32_t, int32_t) { return 0.0; });
  for (DayFigures& day : days) {
    const int32_t start = day.day % 2 == 0 ? 36 : 56;
    for (int32_t q = start; q < start + 4; ++q) day.traffic[q] = 8.0;
  }
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2025, 6));
  EXPECT_EQ(plan.months[0].busyDays, 30);
  EXPECT_EQ(plan.months[0].busyHourStart, 36);
  EXPECT_DOUBLE_EQ(plan.months[0].carried, 4.0);
  EXPECT_DOUBLE_EQ(plan.months[0].highLoad, 8.0);
}

TEST(CapacityPlanTest, ReadingsOfDaysTheClockChangesGoToTheirClockPositions) {
  std::vector<DayFigures> days = Days(2025, 10, 2, 0, [](int32_t, int32_t) { return 10.0; });
  // 9 October: the clock goes forward at 02:00 (92 readings, 10:00 is
  // reading 36); 20 November: back at 02:00 (100 readings, 10:00 is 44).
  for (auto [index, quarters, shift] : {std::tuple{8, 92, 4}, std::tuple{30 + 19, 100, -4}}) {
    DayFigures& day = days[static_cast<size_t>(index)];
    day.quarters = quarters;
    day.clockChangeQuarter = 8;
    day.clockChangeShift = shift;
    for (int32_t q = 0; q < quarters; ++q) day.traffic[q] = day.ClockQuarter(q) / 4 == 10 ? 10.0 : 2.0;
    day.carriedAttempts[kTen - shift] = 9;
    day.blockedAttempts[kTen - shift] = 1;
  }
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2026, 1));
  for (const MonthPlan& month : {plan.months[0], plan.months[1]}) {
    EXPECT_EQ(month.busyHourStart, kTen);
    EXPECT_DOUBLE_EQ(month.carried, 10.0);
    EXPECT_DOUBLE_EQ(month.blockedShare, 0.1);
  }
  // The hour the clock repeats: two readings at one position, their mean.
  EXPECT_DOUBLE_EQ(plan.months[1].profile[5], (2.0 * 29 + 2.0 * 2) / 31);
  EXPECT_EQ(plan.dayLoads[8].peakHour.start, 36);
}

TEST(CapacityPlanTest, BlockedAttemptsInTheBusyHourScaleCarriedToOfferedLoad) {
  std::vector<DayFigures> days = Days(2025, 5, 1, 0, [](int32_t, int32_t) { return 12.0; });
  for (DayFigures& day : days) {
    for (int32_t q = kTen; q < kTen + 4; ++q) {
      day.carriedAttempts[q] = 30;
      day.blockedAttempts[q] = 10;
    }
    day.blockedAttempts[20] = 500;  // outside the busy hour: not counted
    day.blockedCalls = 540;
  }
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2025, 6, 15));
  const MonthPlan& may = plan.months[0];
  EXPECT_EQ(may.carriedAttempts, 31 * 120);
  EXPECT_EQ(may.blockedAttempts, 31 * 40);
  EXPECT_DOUBLE_EQ(may.blockedShare, 0.25);
  EXPECT_DOUBLE_EQ(may.carried, 12.0);
  EXPECT_DOUBLE_EQ(may.load, 16.0);
  EXPECT_DOUBLE_EQ(may.highLoad, 16.0);
  EXPECT_EQ(may.blockedCalls, 31 * 540);
  // Blocking now from the offered load, not the carried one.
  EXPECT_DOUBLE_EQ(plan.verdict.blockingNow, ErlangB(16.0, 15));
  EXPECT_EQ(plan.verdict.outlook, LinesOutlook::kAlreadyShort);
  EXPECT_EQ(plan.verdict.shortBy, LinesNeeded(16.0, 0.01) - 15);
  EXPECT_EQ(plan.verdict.saturatedDays, 0);
}

// Each day's peak hour is scaled by the attempts of that hour on that day,
// wherever the month's busy hour lies: the reference loads are offered.
TEST(CapacityPlanTest, EachDaysPeakHourIsScaledByItsOwnAttempts) {
  std::vector<DayFigures> days = Days(2025, 5, 1, 0, [](int32_t, int32_t) { return 12.0; });
  DayFigures& last = days.back();
  for (int32_t q = 60; q < 64; ++q) {  // 15:00, 14 E carried, half the attempts turned away
    last.traffic[q] = 14.0;
    last.carriedAttempts[q] = 5;
    last.blockedAttempts[q] = 5;
  }
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2025, 6, 15));
  EXPECT_EQ(plan.months[0].busyHourStart, kTen);
  EXPECT_DOUBLE_EQ(plan.months[0].load, 12.0);  // the month's busy hour turned nothing away
  EXPECT_DOUBLE_EQ(plan.dayLoads.back().offered, 28.0);
  EXPECT_EQ(plan.year.highDays, 1);
  EXPECT_DOUBLE_EQ(plan.year.high, 28.0);
  EXPECT_DOUBLE_EQ(plan.year.normal, (28.0 + 12.0 * 2) / 3);
}

TEST(CapacityPlanTest, TheYearTakesTheHighestPeakHoursOfItsLast365Days) {
  // 400 days from 2025-01-01; the first 35 days are the busiest of all but
  // lie outside the last 365.
  std::vector<DayFigures> days = Days(2025, 1, 14, 4, [](int32_t, int32_t) { return 1.0; });
  ASSERT_EQ(days.size(), 400u);
  for (size_t i = 0; i < days.size(); ++i) {
    days[i] = Day(days[i].year, days[i].month, days[i].day, i < 35 ? 100.0 : static_cast<double>(i % 50));
  }
  PlanRequest request = Request(2026, 2);
  request.highGrade = 0.05;
  const CapacityPlan plan = MakeCapacityPlan(days, request);
  EXPECT_EQ(plan.year.days, 365);
  EXPECT_EQ(plan.year.firstIndex, 35);
  EXPECT_DOUBLE_EQ(plan.year.high, 49.0);
  EXPECT_DOUBLE_EQ(plan.year.normal, (49.0 * 8 + 48.0 * 8 + 47.0 * 8 + 46.0 * 6) / 30);  // 8 of each in 365
  EXPECT_EQ(plan.year.highLines, LinesNeeded(49.0, 0.05));
}

// Months whose busy hour carries 10 + 0.5k for the complete months k = 1..12
// (2025), then today's month, January 2026 (k = 13), nine days in.
// On the 7th the peak hour is 3 E higher at 15:00: a high load above the
// offered one that leaves the busy hour alone.
std::vector<DayFigures> Growing(double scatter) {
  std::vector<DayFigures> days = Days(2025, 1, 13, 9, [scatter](int32_t i, int32_t) {
    return 10.0 + 0.5 * (i + 1) + (i % 2 == 0 ? scatter : -scatter);
  });
  for (DayFigures& day : days) {
    if (day.day != 7) continue;
    for (int32_t q = 60; q < 64; ++q) day.traffic[q] = day.traffic[kTen] + 3.0;
  }
  return days;
}

TEST(CapacityPlanTest, AStraightLineRunsOutOnItsCentralTrend) {
  const CapacityPlan plan = MakeCapacityPlan(Growing(0.0), Request(2026, 1, 30));
  ASSERT_TRUE(plan.trend.fitted);
  EXPECT_EQ(plan.completeMonths, 12);
  EXPECT_NEAR(plan.trend.slope, 0.5, 1e-12);
  ASSERT_EQ(plan.months.size(), 13u + 12u);
  const MonthPlan& february = plan.months[13];  // k = 14
  EXPECT_EQ(february.kind, MonthKind::kProjected);
  EXPECT_NEAR(february.load, 17.0, 1e-9);
  EXPECT_NEAR(february.loadUpper, february.load, 1e-6);
  EXPECT_NEAR(february.highLoad, 17.0 * plan.highRatio, 1e-9);
  EXPECT_GT(plan.highRatio, 1.0);
  // The 30 highest peak hours of the year to 2026-01-09 average 16.6 E,
  // 3.75% above its busiest complete month (December, 16.0 E); a projected
  // month's normal load stands as far above its year's busiest month. 30
  // lines carry 20.337 E at 1%: k = 19 gives 19.5 E and a normal load of
  // 20.23 E, k = 20 gives 20.0 E and 20.75 E.
  EXPECT_NEAR(plan.year.normal, 16.6, 1e-9);
  EXPECT_NEAR(plan.normalSpread, 16.6 / 16.0, 1e-9);
  EXPECT_EQ(plan.verdict.outlook, LinesOutlook::kRunsOut);
  ASSERT_GE(plan.verdict.runsOutAt, 0);
  const MonthPlan& out = plan.months[static_cast<size_t>(plan.verdict.runsOutAt)];
  EXPECT_EQ(out.year, 2026);
  EXPECT_EQ(out.month, 8);
  EXPECT_EQ(plan.verdict.earliestAt, plan.verdict.runsOutAt);
  EXPECT_NEAR(plan.verdict.capacity, 20.337, 5e-4);
  EXPECT_NEAR(plan.verdict.blockingNow, ErlangB(16.6, 30), 1e-12);
}

TEST(CapacityPlanTest, TheUpperEndRunsOutEarlierAndAFlatLoadLasts) {
  const CapacityPlan scattered = MakeCapacityPlan(Growing(1.0), Request(2026, 1, 30));
  ASSERT_EQ(scattered.verdict.outlook, LinesOutlook::kRunsOut);
  EXPECT_LT(scattered.verdict.earliestAt, scattered.verdict.runsOutAt);
  const MonthPlan& first = scattered.months[13];
  const MonthPlan& last = scattered.months.back();
  EXPECT_GT(first.loadUpper - first.load, 2.0);
  EXPECT_GT(last.loadUpper - last.load, first.loadUpper - first.load);
  EXPECT_GE(first.linesNeededUpper, first.linesNeeded);

  const CapacityPlan flat = MakeCapacityPlan(Days(2025, 1, 13, 9, [](int32_t, int32_t) { return 10.0; }),
                                             Request(2026, 1, 30));
  EXPECT_EQ(flat.verdict.outlook, LinesOutlook::kLasts);
  EXPECT_EQ(flat.verdict.earliestAt, -1);
}

TEST(CapacityPlanTest, MissingDaysAreNoMeasurementAndLeaveTheirMonthsOutOfTheTrend) {
  // A straight line with no record at all in May 2025 and on 10 July 2025:
  // a month of 0 E would bend the line.
  std::vector<DayFigures> days = Days(2025, 1, 13, 9, [](int32_t i, int32_t) { return 10.0 + 0.5 * (i + 1); });
  for (DayFigures& day : days) {
    if (day.month == 5 || (day.month == 7 && day.day == 10)) {
      const DayFigures empty = Day(day.year, day.month, day.day, 0.0);
      day = empty;
      day.missing = true;
      day.calls = 0;
    }
  }
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2026, 1));
  EXPECT_EQ(plan.missingDays, 32);
  EXPECT_EQ(plan.months[4].kind, MonthKind::kPartial);
  EXPECT_EQ(plan.months[4].days, 0);
  EXPECT_EQ(plan.months[4].missingDays, 31);
  EXPECT_EQ(plan.months[6].kind, MonthKind::kPartial);
  EXPECT_EQ(plan.months[6].days, 30);
  EXPECT_DOUBLE_EQ(plan.months[6].load, 13.5);
  EXPECT_EQ(plan.completeMonths, 10);
  ASSERT_TRUE(plan.trend.fitted);
  EXPECT_NEAR(plan.trend.slope, 0.5, 1e-12);
  EXPECT_EQ(plan.year.days, 365 - 32);
}

TEST(CapacityPlanTest, FewerThanSixCompleteMonthsGiveNoProjectionButShowTheCurrentMonth) {
  // August to December 2025 whole; today is 1 January 2026, no day of it in.
  std::vector<DayFigures> days = Days(2025, 8, 5, 0, [](int32_t i, int32_t) { return 10.0 + i; });
  for (DayFigures& day : days) day.peakCalls = 40;
  const CapacityPlan plan = MakeCapacityPlan(days, Request(2026, 1, 40));
  EXPECT_EQ(plan.completeMonths, 5);
  EXPECT_FALSE(plan.trend.fitted);
  ASSERT_EQ(plan.months.size(), 6u);
  EXPECT_TRUE(plan.months[5].inProgress);
  EXPECT_EQ(plan.months[5].days, 0);
  EXPECT_EQ(plan.verdict.outlook, LinesOutlook::kNoProjection);
  EXPECT_EQ(plan.verdict.lastComplete, 4);
  EXPECT_EQ(plan.verdict.saturatedDays, 31);  // December's busiest seconds held all 40
}

}  // namespace
