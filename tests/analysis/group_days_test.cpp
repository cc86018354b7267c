// The packed days of the groups: every figure comes back as it went in,
// and a day a group had no rows on is a day without its traffic, missing
// only when the whole scan's day is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/group_days.h"
#include "support/same_day_figures.h"
#include "timeutil/time_conversions.h"

namespace {

DayFigures Frame(int32_t day, int32_t quarters) {
  DayFigures figures;
  figures.year = 2026;
  figures.month = 3;
  figures.day = day;
  figures.dayStart = DateToEpochUtc(2026, 3, day);
  figures.quarters = quarters;
  if (quarters != 96) {
    figures.clockChangeQuarter = 8;
    figures.clockChangeShift = quarters < 96 ? 4 : -4;
  }
  return figures;
}

// A day of odd figures: counts too large for 16 bits, a reading in each of
// the last quarters of a long day, every replay field set.
DayFigures Busy(int32_t day, int32_t quarters, int32_t seed) {
  DayFigures figures = Frame(day, quarters);
  figures.calls = 70000 + seed;
  figures.peakCalls = 41;
  figures.peakSecond = 86399;
  figures.busyHourStart = 36000 + seed;
  figures.busyHourErlangs = 123457.0 / 3600;
  figures.blockedCalls = 3;
  for (int32_t q = 0; q < quarters; q += 3 + seed) {
    figures.traffic[q] = (q * 7919 + seed) / 900.0;
    figures.carriedAttempts[q] = 66000 + q;
    figures.blockedAttempts[q] = q % 2;
  }
  figures.traffic[quarters - 1] = 1.0 / 900;
  figures.blockedAttempts[quarters - 2] = 1;
  figures.replay.attempts = 500;
  figures.replay.peakAttempts = 90;
  figures.replay.demand = 44;
  figures.replay.lowest = 30;
  figures.replay.given = 24;
  figures.replay.givenLost = 77;
  figures.replay.givenPeakLost = 12;
  for (int32_t i = 0; i < 15; ++i) {
    figures.replay.lost[i] = 15 - i;
    figures.replay.peakLost[i] = (15 - i) / 2;
  }
  return figures;
}


TEST(GroupDaysTest, EveryFigureComesBackAndAQuietDayHasNoTraffic) {
  // The scan's days: a long day, a day the group had no rows on, a missing
  // day, a short day; the group's days filed out of order.
  std::vector<DayFigures> scanned = {Frame(1, 100), Frame(2, 96), Frame(3, 96), Frame(4, 92)};
  scanned[2].missing = true;
  scanned[1].calls = 9;
  GroupDays groups;
  groups.Add("other", Busy(2, 96, 1));
  groups.Add("site \"1\"", Busy(4, 92, 2));
  groups.Add("site \"1\"", Busy(1, 100, 0));
  EXPECT_EQ(groups.Names(), (std::vector<std::string>{"other", "site \"1\""}));
  const std::vector<DayFigures> days = groups.DaysOf("site \"1\"", scanned);
  ASSERT_EQ(days.size(), 4u);
  ExpectSameDayFigures(days[0], Busy(1, 100, 0));
  ExpectSameDayFigures(days[1], Frame(2, 96));
  DayFigures missing = Frame(3, 96);
  missing.missing = true;
  ExpectSameDayFigures(days[2], missing);
  ExpectSameDayFigures(days[3], Busy(4, 92, 2));
  const std::vector<DayFigures> quiet = groups.DaysOf("nobody", scanned);
  ASSERT_EQ(quiet.size(), 4u);
  ExpectSameDayFigures(quiet[0], Frame(1, 100));
}

}  // namespace
