// A range check whose server connection is cut in the middle (as a server
// restart or fail-over cuts it), on the server backends: one block of
// diagnostics, the days not read counted, and the next check complete
// without restarting the program.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "analysis/call_peak.h"
#include "console/peak_commands.h"
#include "settings/settings.h"
#include "platform/local_time.h"
#include "support/backend.h"

namespace {

constexpr int32_t kFeb1 = 1769904000;               // 2026-02-01 00:00:00 UTC
constexpr int64_t kNoonFeb10 = 1770724800000;       // the clock, milliseconds
constexpr int32_t kCutOnDay = 5;                    // the loss comes as 5 February is read

int64_t FrozenClock() { return kNoonFeb10; }

// Cuts the checker's server connection once the day before kCutOnDay is
// read: that day's first statement meets the loss.
class CutAfterDay : public CDayObserver {
 public:
  std::function<void()> cut;
  void OnDay(const DayOccupancy& day) override {
    if (cut && day.dayStart >= kFeb1 + (kCutOnDay - 2) * 86400) {
      cut();
      cut = nullptr;
    }
  }
};

class PeakRestartTest : public LoggerDatabaseTest {
 protected:
  void SetUp() override {
    LoggerDatabaseTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    if (!IsPostgres() && !IsMariaDB()) GTEST_SKIP() << "a database file has no connection to lose";
    setenv("TZ", "UTC", 1);
    tzset();
    SetClockForTesting(FrozenClock);
    // Day d of February holds d trunk calls at once: its peak is d.
    for (int day = 1; day <= 9; ++day) {
      for (int call = 0; call < day; ++call) {
        Call row;
        row.startTime = kFeb1 + (day - 1) * 86400 + 36000;
        row.endTime = row.startTime + 600;
        row.callerType = 7;
        row.targetType = 2;
        row.localDay = "202602" + std::string(day < 10 ? "0" : "") + std::to_string(day);
        InsertCall(kLoggerDsn, row);
      }
    }
    SetDsnName(kLoggerDsn);
  }
  void TearDown() override {
    if (checker) checker->CloseDatabase();
    SetClockForTesting(nullptr);
    LoggerDatabaseTest::TearDown();
  }
  std::string RunCheck() {
    testing::internal::CaptureStdout();
    PeakCallsCommand(kCheckTrunk, *checker);
    return testing::internal::GetCapturedStdout();
  }
  std::unique_ptr<CCallPeak> checker = std::make_unique<CCallPeak>();
  CutAfterDay cutter;
};

std::string Entry(int position, int calls, int day) {
  return "\t " + std::to_string(position) + ": " + std::to_string(calls) + " calls at 2026/02/0" +
         std::to_string(day) + " 10:00:00\n";
}

TEST_P(PeakRestartTest, ALostConnectionEndsTheCheckAndTheNextCheckReconnects) {
  ASSERT_EQ(checker->OpenDatabase(), 1);
  char id[32] = {};
  ASSERT_EQ(checker->Session.QueryFirstText(IsPostgres() ? "SELECT pg_backend_pid()" : "SELECT CONNECTION_ID()", id,
                                            sizeof id),
            1);
  // Waits until the server has ended the session, as a shut-down does.
  std::string cut = IsPostgres() ? std::string("SELECT pg_terminate_backend(") + id + ", 10000)"
                                 : std::string("KILL ") + id;
  cutter.cut = [this, cut] { EXPECT_TRUE(TryExec(kLoggerDsn, cut)); };
  checker->DayObserver = &cutter;

  std::string first = RunCheck();
  std::string header = "Checking trunk records from 02/2026 to 02/2026...\n\n";
  std::string tail = "Peak trunk calls\n" + Entry(1, 4, 4) + Entry(2, 3, 3) + Entry(3, 2, 2) +
                     "Checked 10 records, elapsed time 0.000 seconds\n"
                     "Warning: 6 days could not be read; the list leaves them out\n";
  ASSERT_GT(first.size(), header.size() + tail.size()) << first;
  EXPECT_EQ(first.substr(0, header.size()), header);
  EXPECT_EQ(first.substr(first.size() - tail.size()), tail);
  std::string diagnostics = first.substr(header.size(), first.size() - header.size() - tail.size());
  EXPECT_EQ(diagnostics.rfind("SQL Error Message: Diag:1, SQLSTATE:", 0), 0u) << diagnostics;
  EXPECT_EQ(diagnostics.find("SQL Error Message: Diag:1,", 1), std::string::npos) << diagnostics;  // one block

  std::string again = RunCheck();
  std::string list;
  for (int position = 1; position <= 8; ++position) list += Entry(position, 10 - position, 10 - position);
  EXPECT_EQ(again, header + "Peak trunk calls\n" + list + "Checked 45 records, elapsed time 0.000 seconds\n");
}

INSTANTIATE_BACKENDS(PeakRestartTest);

}  // namespace
