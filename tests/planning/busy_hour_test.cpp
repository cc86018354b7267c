// The busy hours of hand-made days: the sliding hour, and the quarter-hour
// readings with the daily peak hour.
#include "planning/busy_hour.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int32_t kHour = 3600;

class BusyHourTest : public ::testing::Test {
 protected:
  // A day of `length` seconds, plus room behind it that must not count.
  void Day(int32_t length) {
    length_ = length;
    counts_.assign(static_cast<size_t>(25 * kHour + kHour), 0);
  }
  // A call occupies its start second up to, not including, its end second.
  void Call(int32_t start, int32_t end) {
    for (int32_t s = start; s < end; ++s) ++counts_[static_cast<size_t>(s)];
  }
  BusyHour Find() const { return FindBusyHour(counts_.data(), length_); }
  std::vector<double> Readings() const {
    std::vector<double> readings(kMaxQuarterHours + 1, -1.0);
    readings.resize(static_cast<size_t>(QuarterHourReadings(counts_.data(), length_, readings.data())));
    return readings;
  }

  std::vector<int32_t> counts_;
  int32_t length_ = 0;
};

TEST_F(BusyHourTest, OneCallOfAnHourOnTheHour) {
  Day(24 * kHour);
  Call(10 * kHour, 11 * kHour);
  EXPECT_EQ(Find().start, 10 * kHour);
  EXPECT_DOUBLE_EQ(Find().Erlangs(), 1.0);
}

TEST_F(BusyHourTest, TheWindowSlidesBySeconds) {
  Day(24 * kHour);
  Call(10 * kHour + 1800, 11 * kHour + 1800);
  EXPECT_EQ(Find().start, 10 * kHour + 1800);
  EXPECT_DOUBLE_EQ(Find().Erlangs(), 1.0);
}

TEST_F(BusyHourTest, TwoOverlappingHalfHoursInOneHourMakeOneErlang) {
  Day(24 * kHour);
  Call(14 * kHour + 600, 14 * kHour + 2400);
  Call(14 * kHour + 1200, 14 * kHour + 3000);
  EXPECT_DOUBLE_EQ(Find().Erlangs(), 1.0);
  EXPECT_EQ(Find().start, 14 * kHour - 600);  // the earliest window that holds both
}

TEST_F(BusyHourTest, AQuietDayHasItsBusyHourAtMidnightWithNoTraffic) {
  Day(24 * kHour);
  EXPECT_EQ(Find().start, 0);
  EXPECT_EQ(Find().callSeconds, 0);
}

TEST_F(BusyHourTest, TheLastHourOfA25HourDayCounts) {
  Day(25 * kHour);
  Call(10 * kHour, 10 * kHour + 1800);
  Call(24 * kHour, 25 * kHour);
  EXPECT_EQ(Find().start, 24 * kHour);
  EXPECT_DOUBLE_EQ(Find().Erlangs(), 1.0);
}

TEST_F(BusyHourTest, A23HourDayEndsItsWindowsAtItsEnd) {
  Day(23 * kHour);
  Call(22 * kHour + 1800, 23 * kHour);
  Call(23 * kHour, 24 * kHour);  // beyond the day: not counted
  EXPECT_EQ(Find().start, 22 * kHour);
  EXPECT_DOUBLE_EQ(Find().Erlangs(), 0.5);
}

TEST_F(BusyHourTest, ADayShorterThanAnHourHasNone) {
  Day(kHour - 1);
  Call(0, 100);
  EXPECT_EQ(Find().start, -1);
  EXPECT_EQ(Find().Erlangs(), 0.0);
}

TEST_F(BusyHourTest, AQuarterHourReadsTheCallSecondsInsideItOver900) {
  Day(24 * kHour);
  Call(10 * kHour + 450, 10 * kHour + 1350);  // half in 10:00, half in 10:15
  Call(10 * kHour + 900, 10 * kHour + 1800);  // all of 10:15, not a second of 10:30
  const std::vector<double> readings = Readings();
  ASSERT_EQ(readings.size(), 96u);
  EXPECT_DOUBLE_EQ(readings[40], 0.5);
  EXPECT_DOUBLE_EQ(readings[41], 1.5);
  EXPECT_DOUBLE_EQ(readings[42], 0.0);
}

TEST_F(BusyHourTest, DaysTheClockChangesHave92Or100Readings) {
  Day(23 * kHour);
  EXPECT_EQ(Readings().size(), 92u);
  Day(25 * kHour);
  Call(25 * kHour - 900, 25 * kHour);
  ASSERT_EQ(Readings().size(), 100u);
  EXPECT_DOUBLE_EQ(Readings()[99], 1.0);
}

TEST(PeakHourTest, FourConsecutiveQuarterHoursTheEarliestOfEquals) {
  struct Case {
    std::vector<double> readings;
    int32_t start;
    double erlangs;
  };
  const std::vector<Case> cases = {
      {{0, 1, 2, 3, 4, 0}, 1, 2.5},
      {{4, 0, 0, 0, 0, 4}, 0, 1.0},       // ties: the earliest
      {{1, 1, 1, 1, 1, 1, 1}, 0, 1.0},
      {{0, 0, 0, 0, 0, 8, 0, 0}, 2, 2.0},  // the earliest of the four that hold the 8
      {{0, 0, 0, 0}, 0, 0.0},              // a day without traffic: its first hour
      {{5, 5, 5}, -1, 0.0},                // fewer than four: none
  };
  for (const Case& c : cases) {
    const PeakHour hour = FindPeakHour(c.readings.data(), static_cast<int32_t>(c.readings.size()));
    EXPECT_EQ(hour.start, c.start) << c.readings.size();
    EXPECT_DOUBLE_EQ(hour.erlangs, c.erlangs) << c.readings.size();
  }
}

}  // namespace
