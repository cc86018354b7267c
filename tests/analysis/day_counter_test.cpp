// The day counter alone: rows in, readings out.
#include "analysis/day_counter.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/exit_state_names.h"

namespace {

constexpr int32_t kDay = 1770595200;  // 2026-02-09 00:00:00 UTC
constexpr int32_t kCarried = 8;

class DayCounterTest : public ::testing::Test {
 protected:
  void SetUp() override { counter->StartDay(kDay, kDay + 86400); }
  std::unique_ptr<DayCounter> counter = std::make_unique<DayCounter>();
};

TEST_F(DayCounterTest, TheFirstPassFilesAttemptsByQuarterHourAndTheSecondOnlyOccupies) {
  counter->AddRow(kDay + 100, kDay + 400, kCarried, DayPass::kFirst);
  counter->AddRow(kDay + 100, kDay + 400, kCarried, DayPass::kSecond);  // both ends counted: two lines
  counter->AddRow(kDay + 899, kDay + 899, kExitAllTrunksBusy, DayPass::kFirst);
  counter->AddRow(kDay + 900, kDay + 960, kExitAllTrunksBusy, DayPass::kFirst);
  counter->AddRow(kDay + 900, kDay + 960, kExitAllTrunksBusy, DayPass::kSecond);
  counter->AddRow(kDay - 5, kDay + 10, kExitAllTrunksBusy, DayPass::kFirst);  // started the day before
  counter->FinishDay();
  const DayOccupancy day = counter->Readings();
  EXPECT_EQ(day.rows, 6);
  EXPECT_EQ(day.peakValue, 2);
  EXPECT_EQ(day.peakSecond, 100);
  EXPECT_EQ(day.counts[399], 2);
  EXPECT_EQ(day.counts[400], 0);
  EXPECT_EQ(day.counts[930], 2);  // a turned-away row that lasted occupies too
  // Turned away: three first-pass rows, one of them outside every quarter.
  EXPECT_EQ(day.blockedRows, 3);
  EXPECT_EQ(day.carriedByQuarter[0], 1);
  EXPECT_EQ(day.blockedByQuarter[0], 1);
  EXPECT_EQ(day.blockedByQuarter[1], 1);
  EXPECT_EQ(day.carriedByQuarter[1], 0);
  EXPECT_EQ(day.replay, nullptr);
}

TEST_F(DayCounterTest, TheNextDayStartsFromNothing) {
  counter->StartDay(kDay, kDay + 90000, true);
  counter->AddRow(kDay + 89000, kDay + 89990, kExitAllTrunksBusy, DayPass::kFirst);
  counter->FinishDay();
  EXPECT_NE(counter->Readings().replay, nullptr);
  counter->StartDay(kDay + 90000, kDay + 176400);
  counter->FinishDay();
  const DayOccupancy day = counter->Readings();
  EXPECT_EQ(day.rows, 0);
  EXPECT_EQ(day.peakValue, 0);
  EXPECT_EQ(day.blockedRows, 0);
  EXPECT_EQ(day.blockedByQuarter[98], 0);
  EXPECT_EQ(counter->Counts[89500], 0);  // the long day's last hour is gone
  EXPECT_EQ(day.replay, nullptr);
}

}  // namespace
