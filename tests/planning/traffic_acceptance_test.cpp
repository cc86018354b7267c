// The planner against traffic of known offered load: a loss system of N
// lines fed by Poisson arrivals with a daily profile and exponential holding
// times, its days measured as the scan measures them (per-second occupancy
// of the calls that start and end inside the day and last 2 seconds or
// more; attempts by the quarter hour they start in) and planned.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <queue>
#include <random>
#include <vector>

#include "planning/capacity_plan.h"
#include "planning/erlang_b.h"
#include "timeutil/calendar_months.h"
#include "timeutil/time_conversions.h"

namespace {

constexpr double kHolding = 180.0;  // mean holding time, seconds
constexpr int32_t kDay = 86400;

// The day's shape, 1 in the busy hours 09:30-11:30, 0.05 at night; a
// weekend day is 30% of a weekday.
double Profile(double second, bool weekend) {
  const double hour = second / 3600.0;
  double p = 0.05;
  if (hour >= 7.0 && hour < 9.5) p = 0.05 + 0.95 * (hour - 7.0) / 2.5;
  if (hour >= 9.5 && hour < 11.5) p = 1.0;
  if (hour >= 11.5 && hour < 13.0) p = 1.0 - 0.4 * (hour - 11.5) / 1.5;
  if (hour >= 13.0 && hour < 16.0) p = 0.6;
  if (hour >= 16.0 && hour < 19.0) p = 0.6 - 0.55 * (hour - 16.0) / 3.0;
  return weekend ? 0.3 * p : p;
}

bool Weekend(int32_t year, int32_t month, int32_t day) {
  const int64_t weekday = (DateToEpochUtc(year, month, day) / kDay + 4) % 7;  // 1970-01-01 was a Thursday
  return weekday == 0 || weekday == 6;
}

class TrafficGenerator {
 public:
  TrafficGenerator(int32_t lines, uint32_t seed) : lines_(lines), random_(seed) {}

  // The figures of one day at offered load `erlangs` in the busy hours.
  DayFigures Day(int32_t year, int32_t month, int32_t day, double erlangs) {
    DayFigures figures;
    figures.year = year;
    figures.month = month;
    figures.day = day;
    const bool weekend = Weekend(year, month, day);
    const int64_t dayStart = DateToEpochUtc(year, month, day);
    std::fill(delta_.begin(), delta_.end(), 0);
    std::exponential_distribution<double> holding(1.0 / kHolding);
    std::exponential_distribution<double> gap(erlangs / kHolding);  // arrivals at the busy hours' rate, thinned
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (double t = gap(random_); t < kDay; t += gap(random_)) {
      if (uniform(random_) >= Profile(t, weekend)) continue;
      const int64_t start = dayStart + static_cast<int64_t>(t);
      const int64_t end = start + std::llround(holding(random_));
      while (!ends_.empty() && ends_.top() <= start) ends_.pop();
      const int32_t quarter = static_cast<int32_t>(t) / kQuarterHourSeconds;
      ++figures.calls;
      if (static_cast<int32_t>(ends_.size()) >= lines_) {
        ++figures.blockedAttempts[quarter];
        ++figures.blockedCalls;
        continue;
      }
      ends_.push(end);
      ++figures.carriedAttempts[quarter];
      if (end - dayStart >= kDay || end - start < 2) continue;  // as the day's statement and the count take them
      ++delta_[static_cast<size_t>(start - dayStart)];
      --delta_[static_cast<size_t>(end - dayStart)];
    }
    int32_t running = 0;
    for (int32_t& second : delta_) {
      running += second;
      second = running;
      figures.peakCalls = std::max(figures.peakCalls, running);
    }
    figures.quarters = QuarterHourReadings(delta_.data(), kDay, figures.traffic);
    return figures;
  }

  // Every day of `months` months from (year, month), month i at load(i).
  std::vector<DayFigures> Months(int32_t year, int32_t month, int32_t months,
                                 const std::function<double(int32_t)>& load) {
    std::vector<DayFigures> days;
    for (int32_t i = 0; i < months; ++i) {
      const int32_t at = MonthCount(year, month) + i;
      for (int32_t d = 1; d <= DaysInMonth(YearOfMonthCount(at), MonthOfMonthCount(at)); ++d) {
        days.push_back(Day(YearOfMonthCount(at), MonthOfMonthCount(at), d, load(i)));
      }
    }
    return days;
  }

 private:
  int32_t lines_;
  std::mt19937_64 random_;
  std::vector<int32_t> delta_ = std::vector<int32_t>(kDay, 0);
  std::priority_queue<int64_t, std::vector<int64_t>, std::greater<>> ends_;
};

int32_t Weekdays(int32_t year, int32_t month) {
  int32_t count = 0;
  for (int32_t d = 1; d <= DaysInMonth(year, month); ++d) count += !Weekend(year, month, d);
  return count;
}

PlanRequest After(int32_t year, int32_t month, int32_t lines = 0) {
  PlanRequest request;
  request.lines = lines;
  request.currentYear = YearOfMonthCount(MonthCount(year, month) + 1);
  request.currentMonth = MonthOfMonthCount(MonthCount(year, month) + 1);
  return request;
}

TEST(TrafficAcceptanceTest, StationaryTrafficGivesItsOfferedLoadAndErlangBsLines) {
  for (double erlangs : {10.0, 30.0, 100.0}) {
    double sum = 0.0;
    int32_t months = 0;
    std::vector<int32_t> lines;
    for (uint32_t seed = 1; seed <= 3; ++seed) {
      TrafficGenerator generator(1000000, seed);
      const std::vector<DayFigures> days = generator.Months(2025, 1, 3, [erlangs](int32_t) { return erlangs; });
      const CapacityPlan plan = MakeCapacityPlan(days, After(2025, 3));
      for (int32_t i = 0; i < plan.measuredMonths; ++i) {
        const MonthPlan& month = plan.months[static_cast<size_t>(i)];
        if (month.kind != MonthKind::kComplete) continue;
        sum += month.load;
        ++months;
        // A weekend day of 30% may now and then reach half a weekday's peak.
        EXPECT_NEAR(month.busyDays, Weekdays(month.year, month.month), 1) << "weekends drop out";
        lines.push_back(month.linesNeeded);
      }
    }
    ASSERT_EQ(months, 9);
    std::printf("stationary A = %.0f E: mean offered %.3f E over %d months; lines %d to %d, Erlang B's %d\n", erlangs,
                sum / months, months, *std::min_element(lines.begin(), lines.end()),
                *std::max_element(lines.begin(), lines.end()), LinesNeeded(erlangs, 0.01));
    EXPECT_NEAR(sum / months / erlangs, 1.0, 0.03) << erlangs;
    // On average over the seeds; a single month's noise may add a line more.
    const int32_t needed = LinesNeeded(sum / months, 0.01);
    EXPECT_GE(needed, LinesNeeded(erlangs, 0.01)) << erlangs;
    EXPECT_LE(needed, LinesNeeded(erlangs, 0.01) + 1) << erlangs;
    EXPECT_GE(*std::min_element(lines.begin(), lines.end()), LinesNeeded(erlangs, 0.01)) << erlangs;
  }
}

TEST(TrafficAcceptanceTest, UnderCongestionTheOfferedLoadIsRecovered) {
  for (uint32_t seed = 1; seed <= 2; ++seed) {
    TrafficGenerator generator(30, seed);
    const std::vector<DayFigures> days = generator.Months(2025, 1, 3, [](int32_t) { return 30.0; });
    const CapacityPlan plan = MakeCapacityPlan(days, After(2025, 3, 30));
    ASSERT_EQ(plan.lastComplete, 2);
    const MonthPlan& march = plan.months[2];
    std::printf("congestion seed %u: carried %.3f E, blocked %.1f%%, offered %.3f E, lines %d, blocking now %.1f%%\n",
                seed, march.carried, march.blockedShare * 100, march.load, plan.linesNeededNow,
                plan.verdict.blockingNow * 100);
    EXPECT_NEAR(march.load, 30.0, 1.5);
    EXPECT_NEAR(plan.linesNeededNow, 42, 1);
    EXPECT_NEAR(plan.verdict.blockingNow, ErlangB(30.0, 30), 0.02);
    EXPECT_EQ(plan.verdict.outlook, LinesOutlook::kAlreadyShort);
    EXPECT_GT(plan.verdict.saturatedDays, 15);
  }
}

TEST(TrafficAcceptanceTest, GrowthRunsOutWhenTheTrueLoadNeedsMoreLines) {
  // 10 E + 0.5 E a month from January 2024 on 30 lines, 13 complete months;
  // the true load first needs 31 lines in the month it passes 20.337 E.
  const auto truth = [](int32_t i) { return 10.0 + 0.5 * i; };
  int32_t trueOut = 0;
  while (LinesNeeded(truth(trueOut), 0.01) <= 30) ++trueOut;
  int32_t projected = 0, covered = 0, offBy = 0;
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    TrafficGenerator generator(30, seed);
    const std::vector<DayFigures> days = generator.Months(2024, 1, 13, truth);
    const CapacityPlan plan = MakeCapacityPlan(days, After(2025, 1, 30));
    ASSERT_TRUE(plan.trend.fitted);
    ASSERT_EQ(plan.verdict.outlook, LinesOutlook::kRunsOut) << seed;
    const MonthPlan& out = plan.months[static_cast<size_t>(plan.verdict.runsOutAt)];
    const int32_t at = MonthCount(out.year, out.month) - MonthCount(2024, 1);
    offBy = std::max(offBy, std::abs(at - trueOut));
    EXPECT_LE(std::abs(at - trueOut), 1) << "seed " << seed << ": runs out in month " << at << ", truly " << trueOut;
    for (size_t i = static_cast<size_t>(plan.measuredMonths); i < plan.months.size(); ++i) {
      const MonthPlan& month = plan.months[i];
      const double real = truth(MonthCount(month.year, month.month) - MonthCount(2024, 1));
      const double lower = 2.0 * month.load - month.loadUpper;
      ++projected;
      covered += real >= lower && real <= month.loadUpper;
    }
  }
  std::printf("growth: run-out month at most %d off the truth (month %d); interval held the true load in %d of %d\n",
              offBy, trueOut, covered, projected);
  EXPECT_GE(covered, projected * 85 / 100);
}

}  // namespace
