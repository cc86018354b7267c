// The group day counter against the day counter: the same rows, the same
// figures.
#include "analysis/group_day_counter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <random>

#include "analysis/day_counter.h"
#include "analysis/exit_state_names.h"
#include "analysis/plan_days.h"
#include "support/same_day_figures.h"
#include "support/zone_scope.h"
#include "timeutil/time_conversions.h"

namespace {

struct Date {
  int32_t year, month, day;
};

// Plain days and both clock changes of two years, New York time.
constexpr Date kDates[] = {{2024, 3, 9}, {2024, 3, 10}, {2024, 11, 3}, {2024, 11, 4},
                           {2025, 3, 9}, {2025, 6, 18}, {2025, 11, 2}, {2026, 1, 31}};


// Random days, one counter of each kind for all of them. Half the days put
// their calls on a coarse grid of seconds, where equal peaks and equal busy
// hours are common; few rows or one leave long runs of equal windows; half
// crowd them into two hours, which may be the day's first or last.
TEST(GroupDayCounterTest, GivesTheDayCountersFiguresForTheSameRows) {
  ZoneScope zone("America/New_York");
  std::mt19937 random(20240310);
  const auto below = [&random](int32_t n) { return static_cast<int32_t>(random() % static_cast<uint32_t>(n)); };
  auto counter = std::make_unique<DayCounter>();
  GroupDayCounter group;
  // The zone's clock changes are there to be counted.
  ASSERT_EQ(NextLocalMidnight(LocalDateToEpoch(2024, 3, 10)) - LocalDateToEpoch(2024, 3, 10), 82800);
  ASSERT_EQ(NextLocalMidnight(LocalDateToEpoch(2024, 11, 3)) - LocalDateToEpoch(2024, 11, 3), 90000);
  for (int32_t round = 0; round < 800 && !HasFailure(); ++round) {
    const Date& date = kDates[below(std::size(kDates))];
    const int32_t dayStart = LocalDateToEpoch(date.year, date.month, date.day);
    // Now and then a span no day has, which the counters take as it is.
    const int32_t dayEnd = below(16) == 0 ? dayStart + 1 + below(kLongestDaySeconds) : NextLocalMidnight(dayStart);
    const bool keepsAttempts = below(2) == 0;
    const int32_t sizes[] = {0, 1 + below(3), 4 + below(40), 200 + below(3000)};
    const int32_t rows = sizes[below(4)];
    const int32_t grid = below(2) == 0 ? 1 : 300;
    const bool burst = below(2) == 0;
    const int32_t spanLength = burst ? 7200 : dayEnd - dayStart + 4200;
    const int32_t spanStart = dayStart - 3600 + (burst ? below(std::max(dayEnd - dayStart - 2400, 1)) : 0);
    SCOPED_TRACE(testing::Message() << "round " << round << ", " << date.year << "-" << date.month << "-" << date.day
                                    << " for " << dayEnd - dayStart << " s, " << rows << " rows, grid " << grid
                                    << (burst ? ", burst" : ""));
    counter->StartDay(dayStart, dayEnd, keepsAttempts);
    group.StartDay(dayStart, dayEnd, keepsAttempts);
    for (int32_t row = 0; row < rows; ++row) {
      // From an hour before the day to ten minutes after it, or in two
      // busy hours somewhere in that span.
      const int32_t startTime = spanStart + below(spanLength / grid) * grid;
      const int32_t durations[] = {below(4) - 1, grid * below(4), grid * below(900 / grid + 1),
                                   grid * below(4 * 3600 / grid)};
      const int32_t endTime = startTime + durations[below(4)];
      const int32_t exitState = below(4) == 0 ? kExitAllTrunksBusy : below(kExitStateCount);
      const DayPass pass = below(4) == 0 ? DayPass::kSecond : DayPass::kFirst;
      counter->AddRow(startTime, endTime, exitState, pass);
      group.AddRow(startTime, endTime, exitState, pass);
    }
    counter->FinishDay();
    const DayOccupancy readings = counter->Readings();
    DayFigures want = FiguresOfDay(readings);
    DayFigures got = group.FinishDay();
    ASSERT_EQ(group.Replay() != nullptr, keepsAttempts);
    if (keepsAttempts) {
      const int32_t lines = below(12);
      ReplayDayAttempts(*readings.replay, lines, &want);
      ReplayDayAttempts(*group.Replay(), lines, &got);
    }
    ExpectSameDayFigures(got, want);
  }
}

}  // namespace
