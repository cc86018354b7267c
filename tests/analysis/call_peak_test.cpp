// The peak checker's day occupancy and peak list, without a database.
#include "analysis/call_peak.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "settings/settings.h"

namespace {

constexpr int32_t kDay = 1770595200;  // 2026-02-09 00:00:00 UTC

class CallPeakTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    ViewTime = 0;
    CheckMode = kCheckTrunk;
    peak->Reset();
    peak->StartDay(kDay, kDay + 86400);
  }
  void TearDown() override {
    ViewTime = 0;
    CheckMode = 0;
  }
  // Files one day whose busiest second has `count` calls, at second `at`.
  void FileDay(int32_t dayStart, int32_t count, int32_t at = 0) {
    peak->StartDay(dayStart, dayStart + 86400);
    for (int32_t i = 0; i < count; ++i) peak->OnCall(dayStart + at, dayStart + at + 10);
    peak->FindPeak();
  }
  std::string Printed() {
    testing::internal::CaptureStdout();
    peak->PrintPeaks();
    return testing::internal::GetCapturedStdout();
  }
  std::unique_ptr<CCallPeak> peak = std::make_unique<CCallPeak>();
};

TEST_F(CallPeakTest, ACallOccupiesItsStartSecondButNotItsEndSecond) {
  EXPECT_EQ(peak->OnCall(kDay + 100, kDay + 102), 0);
  peak->FindPeak();
  EXPECT_EQ(peak->Counts[99], 0);
  EXPECT_EQ(peak->Counts[100], 1);
  EXPECT_EQ(peak->Counts[101], 1);
  EXPECT_EQ(peak->Counts[102], 0);
  EXPECT_EQ(peak->RowsCounted, 1);
  EXPECT_EQ(peak->PeakValue, 1);
  EXPECT_EQ(peak->PeakSecond, 100);
}

TEST_F(CallPeakTest, CallsShorterThanTwoSecondsCountAsRowsOnly) {
  ViewTime = kDay + 500;
  EXPECT_EQ(peak->OnCall(kDay + 500, kDay + 501), 0);
  EXPECT_EQ(peak->OnCall(kDay + 500, kDay + 500), 0);
  EXPECT_EQ(peak->OnCall(kDay + 500, kDay + 400), 0);  // ends before it starts
  EXPECT_EQ(peak->FindPeak(), 3);
  EXPECT_EQ(peak->PeakValue, 0);
  EXPECT_EQ(peak->PeakSecond, 0);
  EXPECT_TRUE(peak->Peaks.IsEmpty());
}

TEST_F(CallPeakTest, OnlyCallsInsideTheDayCount) {
  ViewTime = kDay + 10;
  EXPECT_EQ(peak->OnCall(kDay - 1, kDay + 100), 0);           // starts the second before
  EXPECT_EQ(peak->OnCall(kDay + 5, kDay + 86400), 0);         // ends at the next midnight
  EXPECT_EQ(peak->OnCall(INT32_MIN, INT32_MAX), 0);           // no overflow either way
  EXPECT_EQ(peak->OnCall(kDay, kDay + 86399), 1);             // the whole day but its last second
  peak->FindPeak();
  EXPECT_EQ(peak->RowsCounted, 4);
  EXPECT_EQ(peak->Counts[0], 1);
  EXPECT_EQ(peak->Counts[86398], 1);
  EXPECT_EQ(peak->Counts[86399], 0);
}

TEST_F(CallPeakTest, TheViewTimeIncludesBothEndsOfACall) {
  ViewTime = kDay + 200;
  EXPECT_EQ(peak->OnCall(kDay + 100, kDay + 200), 1);  // ends at the view time
  EXPECT_EQ(peak->OnCall(kDay + 200, kDay + 300), 1);  // starts at it
  EXPECT_EQ(peak->OnCall(kDay + 201, kDay + 300), 0);
  EXPECT_EQ(peak->OnCall(kDay + 100, kDay + 199), 0);
  peak->FindPeak();
  EXPECT_EQ(peak->Counts[198], 2);
  EXPECT_EQ(peak->Counts[199], 1);
  EXPECT_EQ(peak->Counts[200], 1);  // the first call's end second is not its own
  EXPECT_EQ(peak->Counts[201], 2);
}

TEST_F(CallPeakTest, TheEarliestOfEqualPeaksWinsAndLongCallsCountEverySecond) {
  peak->OnCall(kDay + 1000, kDay + 1010);
  peak->OnCall(kDay + 1005, kDay + 1020);
  peak->OnCall(kDay + 5000, kDay + 5010);
  peak->OnCall(kDay + 5000, kDay + 5010);
  peak->OnCall(kDay + 10, kDay + 86000);  // nearly a day long, counted in every second
  peak->FindPeak();
  EXPECT_EQ(peak->PeakValue, 3);
  EXPECT_EQ(peak->PeakSecond, 1005);
  EXPECT_EQ(peak->Counts[9], 0);
  EXPECT_EQ(peak->Counts[10], 1);
  EXPECT_EQ(peak->Counts[43210], 1);
  EXPECT_EQ(peak->Counts[85999], 1);
  EXPECT_EQ(peak->Counts[86000], 0);
  ASSERT_EQ(peak->Peaks.Count(), 1);
  EXPECT_EQ(peak->Peaks[0].count, 3);
  EXPECT_EQ(peak->Peaks[0].time, kDay + 1005);
}

TEST_F(CallPeakTest, ALongDayCountsItsLastHourAndTheNextDayStartsClean) {
  // A day on which the clock goes back: 25 hours.
  peak->StartDay(kDay, kDay + 90000);
  EXPECT_EQ(peak->DayLength, 90000);
  EXPECT_EQ(peak->OnCall(kDay + 89990, kDay + 89999), 0);
  peak->OnCall(kDay + 89995, kDay + 89999);
  EXPECT_EQ(peak->OnCall(kDay + 89995, kDay + 90000), 0);  // ends at the next midnight: not the day's
  peak->FindPeak();
  EXPECT_EQ(peak->PeakValue, 2);
  EXPECT_EQ(peak->PeakSecond, 89995);
  EXPECT_EQ(peak->Peaks[0].time, kDay + 89995);
  // The ordinary day after it sees nothing of that hour.
  peak->StartDay(kDay + 90000, kDay + 176400);
  peak->OnCall(kDay + 90000 + 86390, kDay + 90000 + 86399);
  peak->FindPeak();
  EXPECT_EQ(peak->PeakValue, 1);
  EXPECT_EQ(peak->PeakSecond, 86390);
  EXPECT_EQ(peak->Counts[89995], 0);
  // A short day (23 hours) ends earlier.
  peak->StartDay(kDay, kDay + 82800);
  EXPECT_EQ(peak->OnCall(kDay + 82790, kDay + 82800), 0);
  EXPECT_EQ(peak->RowsCounted, 5);
}

TEST_F(CallPeakTest, ASpanThatIsNoDayIsTakenAsAnOrdinaryOne) {
  peak->StartDay(INT32_MAX - 100, INT32_MIN + 100);  // the next midnight wrapped
  EXPECT_EQ(peak->DayLength, 86400);
  peak->StartDay(kDay, kDay);
  EXPECT_EQ(peak->DayLength, 86400);
  peak->StartDay(kDay, kDay + 90001);
  EXPECT_EQ(peak->DayLength, 86400);
}

TEST_F(CallPeakTest, DaysBelowTwoCallsAreNotListed) {
  FileDay(kDay, 1);
  EXPECT_TRUE(peak->Peaks.IsEmpty());
  FileDay(kDay + 86400, 2, 300);
  ASSERT_EQ(peak->Peaks.Count(), 1);
  EXPECT_EQ(peak->Peaks[0].count, 2);
  EXPECT_EQ(peak->Peaks[0].time, kDay + 86400 + 300);
}

TEST_F(CallPeakTest, TheListKeepsTenHighestFirstAndEqualCountsInCheckOrder) {
  for (int32_t d = 0; d < 12; ++d) FileDay(kDay + d * 86400, 5, d);
  ASSERT_EQ(peak->Peaks.Count(), 10);
  for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(peak->Peaks[i].time, kDay + i * 86400 + i) << i;
  // Equal to the tenth: dropped. Higher than all: first, and the tenth goes.
  FileDay(kDay + 20 * 86400, 5);
  EXPECT_EQ(peak->Peaks[9].time, kDay + 9 * 86400 + 9);
  FileDay(kDay + 21 * 86400, 9, 7);
  ASSERT_EQ(peak->Peaks.Count(), 10);
  EXPECT_EQ(peak->Peaks[0].count, 9);
  EXPECT_EQ(peak->Peaks[0].time, kDay + 21 * 86400 + 7);
  EXPECT_EQ(peak->Peaks[9].time, kDay + 8 * 86400 + 8);
  // A middle count goes behind its equals and ahead of the lower ones.
  FileDay(kDay + 22 * 86400, 3);
  FileDay(kDay + 23 * 86400, 5);
  EXPECT_EQ(peak->Peaks[9].time, kDay + 8 * 86400 + 8);  // 5 equals the tail: dropped
  peak->Reset();
  FileDay(kDay, 4);
  FileDay(kDay + 86400, 6);
  FileDay(kDay + 2 * 86400, 4);
  FileDay(kDay + 3 * 86400, 5);
  ASSERT_EQ(peak->Peaks.Count(), 4);
  EXPECT_EQ(peak->Peaks[0].count, 6);
  EXPECT_EQ(peak->Peaks[1].count, 5);
  EXPECT_EQ(peak->Peaks[2].time, kDay);
  EXPECT_EQ(peak->Peaks[3].time, kDay + 2 * 86400);
}

TEST_F(CallPeakTest, AddPeakAloneNeverOverflowsTheList) {
  peak->DayStart = kDay;
  peak->PeakValue = 4;
  for (int32_t i = 0; i < 30; ++i) {
    peak->PeakSecond = i;
    peak->AddPeak();
  }
  EXPECT_EQ(peak->Peaks.Count(), PeakList::kCapacity);
  EXPECT_EQ(peak->Peaks[10].time, kDay + 10);  // the first ones stay
  peak->PeakValue = 8;
  peak->AddPeak();
  EXPECT_EQ(peak->Peaks[0].count, 8);
  EXPECT_EQ(peak->Peaks[10].time, kDay + 9);
}

TEST_F(CallPeakTest, PrintPeaksNumbersTheListUnderTheModeHeader) {
  FileDay(kDay, 3, 3600 + 5 * 60 + 7);
  FileDay(kDay + 86400, 12, 23 * 3600 + 59 * 60 + 49);
  EXPECT_EQ(Printed(),
            "Peak trunk calls\n"
            "\t 1: 12 calls at 2026/02/10 23:59:49\n"
            "\t 2: 3 calls at 2026/02/09 01:05:07\n");
  CheckMode = kCheckExtension | kCheckTrunk | kPassTrunkToTrunk;
  EXPECT_EQ(Printed().substr(0, 21), "Peak extension calls\n");
  CheckMode = kCheckTrunkWithoutSipTie | kPassTrunkToTrunk;
  EXPECT_EQ(Printed().substr(0, 33), "Peak trunk calls without SIP-TIE\n");
  CheckMode = kPassExtToExt;
  EXPECT_EQ(Printed().substr(0, 5), "...\n\t");
  for (int32_t d = 2; d < 12; ++d) FileDay(kDay + d * 86400, 20);
  EXPECT_NE(Printed().find("\t10: 20 calls at 2026/02/20 00:00:00\n"), std::string::npos);
}

TEST_F(CallPeakTest, AnEmptyListPrintsNothingAndKeepsTheRowCount) {
  peak->OnCall(kDay + 1, kDay + 5);
  peak->FindPeak();
  EXPECT_EQ(Printed(), "");
  EXPECT_EQ(peak->RowsCounted, 1);
}

TEST_F(CallPeakTest, ViewPeakTakesTheTimeOfAListedDay) {
  FileDay(kDay, 4, 7200);
  ViewTime = 17;
  testing::internal::CaptureStdout();
  EXPECT_EQ(peak->ViewPeak(1), 0);
  EXPECT_EQ(peak->ViewPeak(-1), 0);
  EXPECT_EQ(ViewTime, 17);
  EXPECT_EQ(peak->ViewPeak(0), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Invalid index\nInvalid index\nView record for calls at 2026/02/09 02:00:00 = 1770602400\n");
  EXPECT_EQ(ViewTime, kDay + 7200);
}

TEST_F(CallPeakTest, ResetKeepsTheRecordRange) {
  peak->FirstDay = 11;
  peak->LastDay = 22;
  FileDay(kDay, 5);
  peak->Reset();
  EXPECT_EQ(peak->RowsCounted, 0);
  EXPECT_EQ(peak->PeakValue, 0);
  EXPECT_EQ(peak->DayStart, 0);
  EXPECT_TRUE(peak->Peaks.IsEmpty());
  EXPECT_EQ(peak->Counts[0], 0);
  EXPECT_EQ(peak->FirstDay, 11);
  EXPECT_EQ(peak->LastDay, 22);
}

}  // namespace
