// The trunk-minutes report against a scripted driver manager: the exact
// statements it runs, and its failure paths.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "analysis/trunk_minutes.h"
#include "settings/settings.h"
#include "platform/local_time.h"
#include "support/fake_odbc/fake_odbc.h"

namespace {

using fake_odbc::CountCalls;
using fake_odbc::ExecutedTexts;
using fake_odbc::TheScript;

int64_t February10th2026() { return 1770724800000;  /* 2026-02-10 12:00:00 UTC */ }

class TrunkMinutesSeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_odbc::Reset();
    setenv("TZ", "UTC", 1);
    tzset();
    SetClockForTesting(February10th2026);
    SetDsnName("Logger");
  }
  void TearDown() override { SetClockForTesting(nullptr); }

  std::string Run(int withoutSipTie) {
    testing::internal::CaptureStdout();
    TrunkMinutesCommand(withoutSipTie);
    return testing::internal::GetCapturedStdout();
  }

  // The session was closed again and nothing it allocated stays behind.
  void ExpectAllHandlesFreed() {
    EXPECT_EQ(CountCalls("SQLDisconnect"), 1);
    EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_STMT), 1);
    EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_DBC), 1);
    EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_ENV), 1);
  }
};

constexpr char kHeader[] = "Checking trunk minutes from 11/2025 to 02/2026...\n\n";

TEST_F(TrunkMinutesSeamTest, RunsTwoSumsPerMonthOverLocalMonthWindows) {
  TheScript().rows = 1;
  TheScript().rowLong = 7259;  // 120 minutes and 59 seconds
  std::string printed = Run(0);
  std::string line = ": Trunk calls (minutes), inbound 120, outbound 120, total 240\n";
  EXPECT_EQ(printed, std::string(kHeader) + "2025/11" + line + "2025/12" + line + "2026/01" + line + "2026/02" +
                         line + "\n");
  ASSERT_EQ(ExecutedTexts().size(), 8u);
  EXPECT_EQ(ExecutedTexts()[6],
            "select sum(case when EndTime<1772323200 and EndTime>=StartTime and Direction=1 and (CallerType>=7 or "
            "TargetType>=7) then EndTime - StartTime end) as TalkTime from CDRMAIN where StartTime>=1769904000 and "
            "StartTime<1772323200");
  EXPECT_EQ(ExecutedTexts()[1],
            "select sum(case when EndTime<1764547200 and EndTime>=StartTime and Direction=2 and (CallerType>=7 or "
            "TargetType>=7) then EndTime - StartTime end) as TalkTime from CDRMAIN where StartTime>=1761955200 and "
            "StartTime<1764547200");
  ExpectAllHandlesFreed();
}

TEST_F(TrunkMinutesSeamTest, WithoutSipTieRunsItsOwnStatements) {
  TheScript().rows = 1;
  TheScript().rowLong = 60;
  std::string printed = Run(1);
  EXPECT_EQ(printed.rfind("Checking trunk minutes without SIP-TIE from 11/2025 to 02/2026...\n\n", 0), 0u);
  ASSERT_EQ(ExecutedTexts().size(), 8u);
  EXPECT_EQ(ExecutedTexts()[7],
            "select sum(case when EndTime<1772323200 and EndTime>=StartTime and Direction=2 and ((CallerType>=7 and "
            "CallerType<>9) or (TargetType>=7 and TargetType<>9)) then EndTime - StartTime end) as TalkTime from "
            "CDRMAIN where StartTime>=1769904000 and StartTime<1772323200");
  EXPECT_EQ(ExecutedTexts()[0],
            "select sum(case when EndTime<1764547200 and EndTime>=StartTime and Direction=1 and ((CallerType>=7 and "
            "CallerType<>9) or (TargetType>=7 and TargetType<>9)) then EndTime - StartTime end) as TalkTime from "
            "CDRMAIN where StartTime>=1761955200 and StartTime<1764547200");
}

TEST_F(TrunkMinutesSeamTest, SourceThatDoesNotOpenGivesHeaderAndBlankLine) {
  TheScript().connect = SQL_ERROR;
  EXPECT_EQ(Run(0), std::string("Failed to open database Logger\n") + kHeader + "\n");
  EXPECT_EQ(CountCalls("SQLExecDirect"), 0);
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_ENV), 1);
}

TEST_F(TrunkMinutesSeamTest, FailingSumsPrintTheirDiagnosticsAndNoMonthLine) {
  TheScript().execDirect = SQL_ERROR;
  TheScript().diagnostics = {{"42S02", 1, "no such table: CDRMAIN"}};
  std::string diagnostic = "SQL Error Message: Diag:1, SQLSTATE:42S02, NativeError:1, ErrMsg:no such table: CDRMAIN\r\n";
  // Each month gives up after its first sum.
  EXPECT_EQ(Run(0), kHeader + diagnostic + diagnostic + diagnostic + diagnostic + "\n");
  EXPECT_EQ(CountCalls("SQLExecDirect"), 4);
  ExpectAllHandlesFreed();
}

TEST_F(TrunkMinutesSeamTest, SumThatCannotBeBoundFailsItsMonth) {
  TheScript().bindCol = SQL_ERROR;
  EXPECT_EQ(Run(0), std::string(kHeader) + "\n");
  ExpectAllHandlesFreed();
}

}  // namespace
