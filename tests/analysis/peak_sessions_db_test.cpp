// A range check read on several sessions prints and counts exactly what one
// session does, on every backend: rows at the view time in day order, the
// peak list with its ties, the records checked, the days that failed.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "analysis/call_peak.h"
#include "console/peak_commands.h"
#include "settings/settings.h"
#include "platform/local_time.h"
#include "support/backend.h"
#include "tools/cdrgen_runner.h"

namespace {

constexpr int64_t kNoonNov5 = 1762340400000;  // 2025-11-05 12:00:00 Berlin, milliseconds

int64_t FrozenClock() { return kNoonNov5; }

class PeakSessionsTest : public LoggerDatabaseTest {
 protected:
  void SetUp() override {
    LoggerDatabaseTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    SetClockForTesting(FrozenClock);
    SetDsnName(kLoggerDsn);
  }
  void TearDown() override {
    SetClockForTesting(nullptr);
    ViewTime = 0;
    LoggerDatabaseTest::TearDown();
  }
  // What t prints when its days are read on `sessions` sessions.
  std::string Check(int sessions) {
    auto checker = std::make_unique<CCallPeak>();
    EXPECT_EQ(checker->OpenDatabase(), 1);
    checker->Sessions = sessions;
    testing::internal::CaptureStdout();
    PeakCallsCommand(kCheckTrunk, *checker);
    std::string printed = testing::internal::GetCapturedStdout();
    checker->CloseDatabase();
    return printed;
  }
};

TEST_P(PeakSessionsTest, SeveralSessionsPrintWhatOneSessionPrints) {
  // Forty days across the end of summer time; the view time at a busy
  // second of 26 October, the day of 25 hours.
  ASSERT_EQ(RunCdrgen({"--dsn", kLoggerDsn, "--days", "40", "--calls-per-day", "300", "--end-date", "2025-11-05",
                       "--seed", "5"},
                      "Europe/Berlin")
                .status,
            0);
  ViewTime = 1761480194;
  std::string one = Check(1);
  ASSERT_NE(one.find("\n01, session "), std::string::npos) << one;
  EXPECT_EQ(Check(3), one);
}

TEST_P(PeakSessionsTest, ADayThatFailsOnAnySessionCountsAsOnOne) {
  // CDRMAIN as a view whose ExitState cannot be computed for the rows of
  // 5 February: that day's statement fails on every backend, at run time.
  const char* failure = IsPostgres()  ? "1 / (ExitState - ExitState)"
                        : IsMariaDB() ? "(SELECT ExitState UNION SELECT ExitState + 1)"
                                      : "abs(-9223372036854775807 - 1 + ExitState - ExitState)";
  Exec(kLoggerDsn, "DROP TABLE CDRMAIN");
  Exec(kLoggerDsn, "CREATE TABLE CALLS (StartTime INTEGER, EndTime INTEGER, SessionID INTEGER, "
                   "CallerNum VARCHAR(64), TargetNum VARCHAR(64), ExitState INTEGER, CallerType INTEGER, "
                   "TargetType INTEGER, LocalDay VARCHAR(8))");
  Exec(kLoggerDsn, std::string("CREATE VIEW CDRMAIN AS SELECT StartTime, EndTime, SessionID, CallerNum, TargetNum, "
                               "CASE WHEN LocalDay = '20251005' THEN ") +
                       failure + " ELSE ExitState END AS ExitState, CallerType, TargetType, LocalDay FROM CALLS");
  for (int day = 1; day <= 9; ++day) {
    for (int call = 0; call < day % 4 + 2; ++call) {
      const int start = 1759269600 + (day - 1) * 86400 + 36000;  // 1 October 2025 00:00 Berlin
      Exec(kLoggerDsn, "INSERT INTO CALLS VALUES (" + std::to_string(start) + ", " + std::to_string(start + 600) +
                           ", 1, '1', '2', 8, 7, 2, '2025100" + std::to_string(day) + "')");
    }
  }
  std::string one = Check(1);
  ASSERT_NE(one.find("SQL Error Message: Diag:1, SQLSTATE:"), std::string::npos) << one;
  ASSERT_NE(one.find("Warning: 1 days could not be read; the list leaves them out\n"), std::string::npos) << one;
  EXPECT_EQ(Check(3), one);
}

INSTANTIATE_BACKENDS(PeakSessionsTest);

}  // namespace
