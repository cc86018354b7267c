// The peak checker when the day statements fail, against a scripted driver
// manager: failed days are counted instead of listed, a lost connection
// stops the reading, the next command opens the session again, and a range
// check goes on without an extra session that cannot be opened. A range
// check on several sessions counts what one session counts when one of its
// sessions loses the connection, and when the clock passes midnight.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "analysis/call_peak.h"
#include "settings/settings.h"
#include "platform/local_time.h"
#include "support/fake_odbc/fake_odbc.h"
#include "timeutil/time_conversions.h"

namespace {

using fake_odbc::CountCalls;
using fake_odbc::TheScript;

constexpr int32_t kFeb8 = 1770508800;  // 2026-02-08 00:00:00 UTC
constexpr int32_t kFeb5 = kFeb8 - 3 * 86400;

int64_t NoonFeb10() { return 1770724800000; }

// From 2026-02-10 23:59:00 UTC on, another midnight has passed each time
// the clock is read.
int clockReads = 0;
int64_t ADayLaterAtEveryRead() { return 1770767940000 + int64_t{86400000} * clockReads++; }

// The text by which the day statements of the day from `dayStart` differ
// from all others.
std::string DayStatementsOf(int32_t dayStart) { return "StartTime>=" + std::to_string(dayStart) + " "; }

class PeakFailureSeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    fake_odbc::Reset();
    CheckMode = kCheckTrunk;
    SetDsnName("Logger");
    testing::internal::CaptureStdout();
    opened = checker->OpenDatabase();
    checker->Reset();
  }
  void TearDown() override {
    checker->CloseDatabase();
    testing::internal::GetCapturedStdout();
    SetClockForTesting(nullptr);
  }
  // What a range check prints on standard output when its days are read on
  // `sessions` sessions; `errors` gets standard error.
  std::string CheckRangeOn(int sessions, std::string* errors, int64_t (*clock)() = NoonFeb10) {
    SetClockForTesting(clock);
    checker->Sessions = sessions;
    testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    checker->Reset();
    checker->CheckRange();
    *errors = testing::internal::GetCapturedStderr();
    std::string printed = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    return printed;
  }
  std::unique_ptr<CCallPeak> checker = std::make_unique<CCallPeak>();
  int opened = 0;
};

TEST_F(PeakFailureSeamTest, ADayThatFailsMidwayIsCountedAndItsRowsLeaveTheCount) {
  ASSERT_EQ(opened, 1);
  TheScript().rows = 3;
  TheScript().endResult = SQL_ERROR;  // the third row never comes
  checker->CheckDay(kFeb8);
  EXPECT_EQ(checker->UnreadDays, 1);
  EXPECT_EQ(checker->RowsCounted, 0);
  EXPECT_EQ(CountCalls("SQLExecDirect"), 1);  // the second pass is not tried
  TheScript().endResult = SQL_NO_DATA;
  checker->CheckDay(kFeb8 + 86400);
  EXPECT_EQ(checker->UnreadDays, 1);
  EXPECT_EQ(checker->RowsCounted, 6);
}

TEST_F(PeakFailureSeamTest, ALostConnectionEndsTheReadingAndTheNextCommandReconnects) {
  ASSERT_EQ(opened, 1);
  TheScript().failingExecutions = {2};
  TheScript().diagnostics = {{"57P01", 0, "terminating connection due to administrator command"}};
  for (int day = 0; day < 4; ++day) checker->CheckDay(kFeb8 + day * 86400);
  EXPECT_EQ(CountCalls("SQLExecDirect"), 2);
  EXPECT_EQ(CountCalls("SQLGetDiagRec"), 2);  // one record, read once
  EXPECT_EQ(checker->UnreadDays, 4);
  EXPECT_EQ(checker->ReconnectIfLost(), 1);
  EXPECT_EQ(CountCalls("SQLConnect"), 2);
  EXPECT_EQ(checker->Session.connectionLost, 0);
  EXPECT_EQ(checker->ReconnectIfLost(), 1);  // once is enough
  EXPECT_EQ(CountCalls("SQLConnect"), 2);
}

TEST_F(PeakFailureSeamTest, AReconnectThatFailsIsTriedAgainByTheNextCommand) {
  ASSERT_EQ(opened, 1);
  TheScript().failingExecutions = {1};
  TheScript().diagnostics = {{"08S01", 0, "connection lost"}};
  checker->CheckDay(kFeb8);
  TheScript().connect = SQL_ERROR;
  EXPECT_EQ(checker->ReconnectIfLost(), 0);
  TheScript().connect = SQL_SUCCESS;
  EXPECT_EQ(checker->ReconnectIfLost(), 1);
  EXPECT_EQ(CountCalls("SQLConnect"), 3);
}

TEST_F(PeakFailureSeamTest, ASessionThatNeverOpenedIsNotRetried) {
  checker->CloseDatabase();
  fake_odbc::Reset();
  TheScript().connect = SQL_ERROR;
  ASSERT_EQ(checker->OpenDatabase(), 0);
  EXPECT_EQ(checker->ReconnectIfLost(), 1);
  checker->CheckDay(kFeb8);
  EXPECT_EQ(CountCalls("SQLConnect"), 1);
  EXPECT_EQ(checker->UnreadDays, 0);  // as ever: nothing to read, nothing reported
}

TEST_F(PeakFailureSeamTest, AnExtraSessionThatCannotOpenLeavesTheDaysToTheOthers) {
  ASSERT_EQ(opened, 1);
  TheScript().rows = 1;  // the record range is 8 February, and each statement yields a row
  TheScript().rowText = {"20260208"};
  std::string errors;
  const std::string one = CheckRangeOn(1, &errors);
  const int32_t rowsOnOne = checker->RowsCounted;
  ASSERT_GT(rowsOnOne, 0);

  TheScript().failingConnects = {CountCalls("SQLConnect") + 1};
  TheScript().diagnostics = {{"08001", 0, "too many connections"}};
  EXPECT_EQ(CheckRangeOn(2, &errors), one);
  EXPECT_EQ(checker->RowsCounted, rowsOnOne);
  EXPECT_EQ(checker->UnreadDays, 0);
  // The driver's report, once.
  EXPECT_NE(errors.find("too many connections"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("too many connections"), errors.rfind("too many connections")) << errors;
}

TEST_F(PeakFailureSeamTest, ALostConnectionOnOneOfSeveralSessionsEndsTheCheckThereAsOnOne) {
  ASSERT_EQ(opened, 1);
  TheScript().rows = 1;  // the record range is 1 February, and each statement yields a row
  TheScript().rowText = {"20260201"};
  TheScript().failingText = DayStatementsOf(kFeb5);
  TheScript().diagnostics = {{"57P01", 0, "terminating connection due to administrator command"}};
  std::string errors;
  const std::string one = CheckRangeOn(1, &errors);
  const int32_t rowsOnOne = checker->RowsCounted;
  ASSERT_EQ(checker->UnreadDays, 6);  // 5 February and every day after it
  ASSERT_EQ(checker->ReconnectIfLost(), 1);

  // The session that reads 5 February loses the connection only after
  // another one has read on into 6 February.
  TheScript().failingWaitsFor = DayStatementsOf(kFeb5 + 86400);
  EXPECT_EQ(CheckRangeOn(2, &errors), one);
  EXPECT_EQ(checker->RowsCounted, rowsOnOne);
  EXPECT_EQ(checker->UnreadDays, 6);
}

TEST_F(PeakFailureSeamTest, ARangeCheckAcrossMidnightTakesTheDaysItNotedOnAnySessions) {
  ASSERT_EQ(opened, 1);
  TheScript().rows = 1;
  TheScript().rowText = {"20260201"};
  std::string errors;
  clockReads = 0;
  const std::string one = CheckRangeOn(1, &errors, ADayLaterAtEveryRead);
  const int32_t rowsOnOne = checker->RowsCounted;
  EXPECT_EQ(checker->UnreadDays, 0);
  clockReads = 0;
  EXPECT_EQ(CheckRangeOn(3, &errors, ADayLaterAtEveryRead), one);
  EXPECT_EQ(checker->RowsCounted, rowsOnOne);
  EXPECT_EQ(checker->UnreadDays, 0);
}

}  // namespace
