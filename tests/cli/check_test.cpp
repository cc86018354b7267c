// nortesk-etp check as a monitoring system runs it, on every backend: the
// exit status and the one line for OK, WARNING, CRITICAL and each cause of
// UNKNOWN, and the metrics file it writes, read by promtool.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "planning/erlang_b.h"
#include "support/backend.h"
#include "support/raw_odbc.h"
#include "support/tool_runner.h"
#include "tools/cdrgen_runner.h"

namespace {

constexpr int kFeb10 = 1770681600;  // 2026-02-10 00:00:00 UTC; the clock stands at noon
constexpr int kAt1040 = kFeb10 + 10 * 3600 + 40 * 60;

ToolRun Check(const std::vector<std::string>& arguments) {
  ToolOptions options;
  options.arguments = {"check"};
  options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
  return RunTool("", options);
}

// Today's trunk calls: three at once from 10:42:13 to 11:00:00 (one of them
// from 10:40:00, one from 10:41:00), an extension call at the same time that
// trunk checks leave out, and a call turned away at 11:30.
class CheckTest : public LoggerDatabaseTest {
 protected:
  void SetUp() override {
    LoggerDatabaseTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    const int end = kFeb10 + 11 * 3600;
    InsertCall(kLoggerDsn, {.startTime = kAt1040, .endTime = end, .sessionId = 1, .callerType = 7, .localDay = "20260210"});
    InsertCall(kLoggerDsn, {.startTime = kAt1040 + 60, .endTime = end, .sessionId = 2, .targetType = 8, .localDay = "20260210"});
    InsertCall(kLoggerDsn, {.startTime = kAt1040 + 133, .endTime = end, .sessionId = 3, .callerType = 9, .localDay = "20260210"});
    InsertCall(kLoggerDsn, {.startTime = kAt1040, .endTime = end, .sessionId = 4, .localDay = "20260210"});
    InsertCall(kLoggerDsn, {.startTime = kFeb10 + 41400, .endTime = kFeb10 + 41400, .sessionId = 5, .exitState = 21,
                            .callerType = 7, .localDay = "20260210"});
  }
  // The perfdata the day gives after peak_calls.
  static std::string OtherPerfData(const std::string& blocked) {
    // 1200 + 1140 + 1067 call-seconds in the busy hour.
    return " busy_hour_erlangs=0.946;;;0 blocked_calls=1" + blocked + ";0 lines_needed=" +
           std::to_string(LinesNeeded(3407.0 / 3600.0, 0.01)) + ";;;0\n";
  }
};

TEST_P(CheckTest, OkWarningAndCriticalAsTheRangesJudgeTheDay) {
  const std::string metrics = ScratchDir() + "/nortesk.prom";
  ToolRun ok = Check({"--lines", "4", "--warning-peak", "80", "--critical-peak", "90", "--metrics", metrics});
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, "TRUNKS OK - peak 3 of 4 lines (75%) at 10:42:13, 1 call turned away today | "
                    "peak_calls=3;3.2;3.6;0;4" + OtherPerfData(";;"));

  ToolRun warning = Check({"--warning-blocked", "0", "--critical-blocked", "5"});
  EXPECT_EQ(warning.status, 1) << warning.err;
  EXPECT_EQ(warning.out, "TRUNKS WARNING - peak 3 calls at 10:42:13, 1 call turned away today | "
                         "peak_calls=3;;;0" + OtherPerfData(";0;5"));

  // Inside @70:100 percent is critical; the thresholds go out in calls.
  ToolRun critical = Check({"--lines", "4", "--warning-peak", "50", "--critical-peak", "@70:100"});
  EXPECT_EQ(critical.status, 2) << critical.err;
  EXPECT_EQ(critical.out, "TRUNKS CRITICAL - peak 3 of 4 lines (75%) at 10:42:13, 1 call turned away today | "
                          "peak_calls=3;2;@2.8:4;0;4" + OtherPerfData(";;"));

  // The file of the OK run, as promtool reads it.
  const std::string text = ReadWholeFile(metrics);
  EXPECT_NE(text.find("\nnortesk_trunk_peak_calls{data_source=\"Internal Logger Database\",calls=\"trunk\"} 3\n"),
            std::string::npos)
      << text;
  if (access("/usr/bin/promtool", X_OK) != 0) {
    if (std::getenv("NORTESK_REQUIRE_PROMETHEUS") != nullptr) FAIL() << "promtool required but missing";
    GTEST_SKIP() << "promtool is not installed (Debian package prometheus)";
  }
  ToolOptions promtool;
  promtool.program = "/usr/bin/promtool";
  promtool.arguments = {"check", "metrics"};
  ToolRun checked = RunTool(text, promtool);
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.out + checked.err, "");
}

TEST_P(CheckTest, EveryFailureIsUnknownWithItsReason) {
  AddUnreachableDataSource("Nowhere");
  ToolRun nowhere = Check({"--dsn", "Nowhere", "--critical-peak", "1"});
  EXPECT_EQ(nowhere.status, 3);
  EXPECT_EQ(nowhere.out.rfind("TRUNKS UNKNOWN - cannot open data source \"Nowhere\": ", 0), 0u) << nowhere.out;

  // A table held locked by another session: the check's statement waits
  // (SQLite up to its 5-second busy timeout) and the deadline answers.
  {
    RawConnection holder("DSN=" + std::string(kLoggerDsn));
    ASSERT_TRUE(holder.ok()) << holder.error();
    if (IsMariaDB()) {
      ASSERT_TRUE(holder.Exec("LOCK TABLES CDRMAIN WRITE")) << holder.error();
    } else if (IsPostgres()) {
      ASSERT_TRUE(holder.Exec("BEGIN")) << holder.error();
      ASSERT_TRUE(holder.Exec("LOCK TABLE CDRMAIN IN ACCESS EXCLUSIVE MODE")) << holder.error();
    } else {
      ASSERT_TRUE(holder.Exec("BEGIN EXCLUSIVE")) << holder.error();
    }
    ToolRun late = Check({"--timeout", "1"});
    EXPECT_EQ(late.status, 3);
    EXPECT_EQ(late.out, "TRUNKS UNKNOWN - no answer within 1 second (--timeout)\n");
  }

  Exec(kLoggerDsn, "DROP TABLE CDRMAIN");
  ToolRun noTable = Check({"--day", "yesterday"});
  EXPECT_EQ(noTable.status, 3);
  EXPECT_EQ(noTable.out.rfind("TRUNKS UNKNOWN - cannot read the calls from data source \"Internal Logger "
                              "Database\": ",
                              0),
            0u)
      << noTable.out;
  // The driver's reason names the table (PostgreSQL folds it to lower case).
  std::string folded = noTable.out;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(folded.find("cdrmain"), std::string::npos) << noTable.out;
}

// Records that ended a year ago, none since: the months are counted from
// today, never below 0, and the line says the projection starts from the
// records' end.
class StaleCheckTest : public LoggerDatabaseTest {};

TEST_P(StaleCheckTest, StaleRecordsAreSaidAndTheirMonthsCountFromToday) {
  ToolRun generated = RunCdrgen({"--dsn", kLoggerDsn, "--days", "240", "--calls-per-day", "40", "--end-date",
                                 "2025-02-09", "--seed", "3", "--growth", "60"});
  ASSERT_EQ(generated.status, 0) << generated.err;
  // 4 lines run out in 2025/11 on the projection from 2025/02: by now.
  ToolRun run = Check({"--lines", "4", "--warning-months", "6:"});
  EXPECT_NE(run.out.find(", the lines are too few already; the records end in 2025/02, 12 months ago: the projection "
                         "starts from there | "),
            std::string::npos)
      << run.out << run.err;
  EXPECT_NE(run.out.find(" months_left=0;6:;;0\n"), std::string::npos) << run.out;
}

// plan --metrics describes the last complete day with the same figures as
// check --day yesterday.
TEST_P(CheckTest, PlanAndCheckWriteTheSameMetricsOfYesterday) {
  const int end = kFeb10 - 86400 + 11 * 3600;
  InsertCall(kLoggerDsn, {.startTime = kAt1040 - 86400, .endTime = end, .sessionId = 6, .callerType = 7, .localDay = "20260209"});
  InsertCall(kLoggerDsn, {.startTime = kAt1040 - 86400, .endTime = end - 60, .sessionId = 7, .targetType = 7, .localDay = "20260209"});
  const std::string fromPlan = ScratchDir() + "/plan.prom", fromCheck = ScratchDir() + "/check.prom";
  ToolOptions plan;
  plan.arguments = {"plan", "--lines", "4", "--metrics", fromPlan};
  ToolRun planned = RunTool("", plan);
  ASSERT_EQ(planned.status, 0) << planned.err;
  ToolRun checked = Check({"--day", "yesterday", "--lines", "4", "--metrics", fromCheck});
  ASSERT_EQ(checked.status, 0) << checked.err;
  const std::string text = ReadWholeFile(fromPlan);
  EXPECT_EQ(text, ReadWholeFile(fromCheck));
  EXPECT_NE(text.find("\nnortesk_day_start_timestamp_seconds{data_source=\"Internal Logger Database\",calls=\"trunk\"} " +
                      std::to_string(kFeb10 - 86400) + "\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nnortesk_trunk_peak_calls{data_source=\"Internal Logger Database\",calls=\"trunk\"} 2\n"),
            std::string::npos)
      << text;
}

INSTANTIATE_BACKENDS(CheckTest);
INSTANTIATE_BACKENDS(StaleCheckTest);

TEST(CheckCommandLine, BadArgumentsAreUnknownNotCritical) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--warning-peak", "10:5"}, "--warning-peak: the range \"10:5\" starts after it ends"},
      {{"--critical-blocked", "1e3"},
       "--critical-blocked: a range such as 10, 10:, ~:10, 10:20 or @10:20 is needed, not \"1e3\""},
      {{"--warning-months", "6:"}, "--warning-months requires --lines"},
      {{"--day", "monday"}, "--day: today, yesterday or a date YYYY-MM-DD is needed, not monday"},
  };
  for (const auto& [arguments, reason] : cases) {
    ToolRun run = Check(arguments);
    EXPECT_EQ(run.status, 3) << arguments[0];
    EXPECT_EQ(run.out, "TRUNKS UNKNOWN - bad arguments: " + reason + "\n");
  }
  ToolRun help = Check({"--help"});
  EXPECT_EQ(help.status, 0);
}

}  // namespace
