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
  // The perfdata the day gives after peak_calls; lines_needed only comes
  // with the plan that a months threshold asks for.
  static std::string OtherPerfData(const std::string& blocked) {
    // 1200 + 1140 + 1067 call-seconds in the busy hour; the newest record
    // started at 11:30, half an hour before the clock.
    return " busy_hour_erlangs=0.946;;;0 blocked_calls=1" + blocked + ";0 record_age=1800s;;;0\n";
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
  EXPECT_NE(text.find("\nnortesk_newest_record_timestamp_seconds{data_source=\"Internal Logger Database\",calls="
                      "\"trunk\"} " + std::to_string(kFeb10 + 41400) + "\n"),
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

// A feed that stopped writing: the next afternoon, with no record since
// yesterday's 11:30, the day reads as a quiet one, and the line says that
// nothing at all came today; the age thresholds judge it.
TEST_P(CheckTest, TheAgeOfTheNewestRecordTellsADeadFeedFromAQuietDay) {
  ToolOptions options;
  options.frozenClock = "2026-02-11 15:40:00";  // 28 h 10 min after 11:30
  options.arguments = {"check", "--lines", "40"};
  ToolRun quiet = RunTool("", options);
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.out, "TRUNKS OK - peak 0 of 40 lines (0%), 0 calls turned away today; no record of any kind "
                       "today, the newest is 28 hours old | peak_calls=0;;;0;40 busy_hour_erlangs=0;;;0 "
                       "blocked_calls=0;;;0 record_age=101400s;;;0\n");

  options.arguments = {"check", "--day", "yesterday", "--warning-age", "2h", "--critical-age", "1d"};
  ToolRun critical = RunTool("", options);
  EXPECT_EQ(critical.status, 2) << critical.err;
  EXPECT_NE(critical.out.find(", 1 call turned away yesterday; the newest record is 28 hours old | "),
            std::string::npos)
      << critical.out;
  EXPECT_NE(critical.out.find(" record_age=101400s;7200;86400;0\n"), std::string::npos) << critical.out;

  // Plain seconds and minutes: 100000 s < 101400 s < 1700 min.
  options.arguments = {"check", "--warning-age", "100000", "--critical-age", "1700m"};
  EXPECT_EQ(RunTool("", options).status, 1);

  // No record at all is older than any threshold.
  Exec(kLoggerDsn, "DELETE FROM CDRMAIN");
  options.arguments = {"check", "--warning-age", "2h", "--critical-age", "1d"};
  ToolRun empty = RunTool("", options);
  EXPECT_EQ(empty.status, 2) << empty.err;
  EXPECT_EQ(empty.out, "TRUNKS CRITICAL - peak 0 calls, 0 calls turned away today; CDRMAIN holds no records at all "
                       "| peak_calls=0;;;0 busy_hour_erlangs=0;;;0 blocked_calls=0;;;0\n");
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
                         "starts from there; no record of any kind today, the newest is 365 days old | "),
            std::string::npos)
      << run.out << run.err;
  EXPECT_NE(run.out.find(" months_left=0;6:;;0\n"), std::string::npos) << run.out;
  // The plan made for the months gives the lines needed now, E.520's, at
  // the grades plan takes: a strict grade at high load lets the high load
  // set them, in both.
  const auto linesNeeded = [](const std::string& out) {
    const size_t at = out.find(" lines_needed=");
    return at == std::string::npos ? std::string("none") : out.substr(at + 14, out.find(';', at) - at - 14);
  };
  EXPECT_NE(linesNeeded(run.out), "none") << run.out;
  // Grouped, the one group (the records name no tenant) is planned alike.
  ToolRun grouped = Check({"--group-by", "TargetTenant", "--lines", "(none)=4", "--warning-months", "6:"});
  EXPECT_NE(grouped.out.find("(none): peak 0 of 4 lines (0%), 0 calls turned away today, the lines are too few "
                             "already; the records end in 2025/02"),
            std::string::npos)
      << grouped.out << grouped.err;
  EXPECT_NE(grouped.out.find(" '(none) lines_needed'=" + linesNeeded(run.out) + ";;;0 '(none) months_left'=0;6:;;0 "),
            std::string::npos)
      << grouped.out;
  ToolRun strict = Check({"--lines", "4", "--warning-months", "6:", "--high-gos", "0.1"});
  ToolOptions plan;
  plan.arguments = {"plan", "--high-gos", "0.1"};
  ToolRun planned = RunTool("", plan);
  ASSERT_EQ(planned.status, 0) << planned.err;
  EXPECT_NE(linesNeeded(strict.out), linesNeeded(run.out)) << strict.out;
  EXPECT_NE(planned.out.find("Lines needed now: " + linesNeeded(strict.out) + ", set by the high load"),
            std::string::npos)
      << planned.out << strict.out;
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
  // check also knows the newest record (plan reads days, not the table's
  // newest row), and plan the lines needed now, its answer (check plans
  // only for a months threshold): the same file but for those gauges.
  const auto without = [](std::string text, const std::string& gauge) {
    const size_t at = text.find("# HELP " + gauge + " ");
    EXPECT_NE(at, std::string::npos) << gauge << " in " << text;
    if (at == std::string::npos) return text;
    const size_t next = text.find("# HELP ", at + 1);
    return text.erase(at, next == std::string::npos ? std::string::npos : next - at);
  };
  const std::string text = ReadWholeFile(fromPlan);
  EXPECT_EQ(without(text, "nortesk_lines_needed"),
            without(ReadWholeFile(fromCheck), "nortesk_newest_record_timestamp_seconds"));
  const size_t answer = planned.out.find("Lines needed now: ");
  ASSERT_NE(answer, std::string::npos) << planned.out;
  const std::string lines = planned.out.substr(answer + 18, planned.out.find(',', answer) - answer - 18);
  EXPECT_NE(text.find("\nnortesk_day_start_timestamp_seconds{data_source=\"Internal Logger Database\",calls=\"trunk\"} " +
                      std::to_string(kFeb10 - 86400) + "\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nnortesk_trunk_peak_calls{data_source=\"Internal Logger Database\",calls=\"trunk\"} 2\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nnortesk_lines_needed{data_source=\"Internal Logger Database\",calls=\"trunk\"} " + lines +
                      "\n"),
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
      {{"--day", "2038-01-19"},
       "--day: the day 2038-01-19 does not end by 2038-01-19 03:14:07 UTC, the last second a record's epoch seconds "
       "hold"},
      {{"--timeout", "nan"}, "--timeout: a finite number is needed, not nan"},
      {{"--warning-age", "2x"}, "--warning-age: a duration such as 90, 30s, 15m, 2h or 1d is needed, not \"2x\""},
      {{"--group-by", "TargetTenant", "--critical-months", "3:"},
       "--critical-months requires the lines of a group (--lines GROUP=N or --lines-file)"},
      {{"--group", "site 1"}, "--group requires --group-by"},
  };
  for (const auto& [arguments, reason] : cases) {
    ToolRun run = Check(arguments);
    EXPECT_EQ(run.status, 3) << arguments[0];
    EXPECT_EQ(run.out, "TRUNKS UNKNOWN - bad arguments: " + reason + "\n");
  }
  ToolRun help = Check({"--help"});
  EXPECT_EQ(help.status, 0);
}

// The line's reader gone (`check ... | true`): the status still arrives.
TEST(CheckCommandLine, AClosedOutputLeavesTheStatusAlone) {
  ToolOptions options;
  options.closedPipeOutput = true;
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"check", "--dsn", "Nowhere"}, {"check", "--day", "monday"}}) {
    options.arguments = arguments;
    EXPECT_EQ(RunTool("", options).status, 3) << arguments.back();
  }
}

}  // namespace
