#include "support/same_day_figures.h"

#include <gtest/gtest.h>

void ExpectSameDayFigures(const DayFigures& got, const DayFigures& want) {
  EXPECT_EQ(got.year, want.year);
  EXPECT_EQ(got.month, want.month);
  EXPECT_EQ(got.day, want.day);
  EXPECT_EQ(got.dayStart, want.dayStart);
  EXPECT_EQ(got.calls, want.calls);
  EXPECT_EQ(got.peakCalls, want.peakCalls);
  EXPECT_EQ(got.peakSecond, want.peakSecond);
  EXPECT_EQ(got.busyHourStart, want.busyHourStart);
  EXPECT_EQ(got.busyHourErlangs, want.busyHourErlangs);
  EXPECT_EQ(got.blockedCalls, want.blockedCalls);
  EXPECT_EQ(got.missing, want.missing);
  EXPECT_EQ(got.records, want.records);
  EXPECT_EQ(got.quarters, want.quarters);
  for (int32_t q = 0; q < kMaxQuarterHours; ++q) {
    EXPECT_EQ(got.traffic[q], want.traffic[q]) << "quarter " << q;
    EXPECT_EQ(got.carriedAttempts[q], want.carriedAttempts[q]) << "quarter " << q;
    EXPECT_EQ(got.blockedAttempts[q], want.blockedAttempts[q]) << "quarter " << q;
  }
  EXPECT_EQ(got.clockChangeQuarter, want.clockChangeQuarter);
  EXPECT_EQ(got.clockChangeShift, want.clockChangeShift);
  const DayReplay& w = want.replay;
  const DayReplay& g = got.replay;
  EXPECT_EQ(g.attempts, w.attempts);
  EXPECT_EQ(g.peakAttempts, w.peakAttempts);
  EXPECT_EQ(g.demand, w.demand);
  EXPECT_EQ(g.lowest, w.lowest);
  EXPECT_EQ(g.given, w.given);
  EXPECT_EQ(g.givenLost, w.givenLost);
  EXPECT_EQ(g.givenPeakLost, w.givenPeakLost);
  for (int32_t i = 0; i < kReplaySizes; ++i) {
    EXPECT_EQ(g.lost[i], w.lost[i]) << "size " << i;
    EXPECT_EQ(g.peakLost[i], w.peakLost[i]) << "size " << i;
  }
}
