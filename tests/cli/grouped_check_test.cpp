// nortesk-etp check --group-by as a monitoring system runs it, on every
// backend: each group judged and the worst leading the line, its figures
// against a count of the rows made here; names that the plugin's format and
// the metrics cannot carry as they are; --group keeping one group by a
// value bound to the statement.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/backend.h"
#include "support/tool_runner.h"
#include "tools/cdrgen_runner.h"

namespace {

constexpr int kFeb9 = 1770595200;  // 2026-02-09 00:00:00 UTC, yesterday: the clock stands at noon on the 10th
constexpr int kFeb10 = kFeb9 + 86400;

ToolRun Check(const std::vector<std::string>& arguments) {
  ToolOptions options;
  options.arguments = {"check", "--day", "yesterday"};
  options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
  return RunTool("", options);
}

std::string Clock(int seconds) {
  const time_t at = seconds;
  std::tm fields{};
  gmtime_r(&at, &fields);
  char text[16] = {};
  std::strftime(text, sizeof text, "%H:%M:%S", &fields);
  return text;
}

// A group's day as counted here from the rows: calls in progress at the
// busiest second (a call holds its start second, not its end second), the
// earliest such second, and the calls turned away (ExitState 21).
struct Counted {
  std::vector<std::pair<int, int>> changes;  // (second, +1 or -1)
  int blocked = 0;
  int peak = 0;
  int peakAt = 0;
  void Finish() {
    std::sort(changes.begin(), changes.end());  // an end before a start at the same second
    int calls = 0;
    for (const auto& [second, change] : changes) {
      calls += change;
      if (calls > peak) {
        peak = calls;
        peakAt = second;
      }
    }
  }
};

class GroupedCheckTest : public LoggerDatabaseTest {};

// Two sites of 9 and 6 trunk lines, a tenth of the calls SIP tie calls
// between them, each holding a line at both: checked with site 1's lines
// and more than site 2's, and two sites that had no call.
TEST_P(GroupedCheckTest, EachSiteIsJudgedAndTheWorstLeadsTheLine) {
  ToolRun generated = RunCdrgen({"--dsn", kLoggerDsn, "--days", "1", "--end-date", "2026-02-09", "--calls-per-day",
                                 "3000", "--seed", "7", "--sites", "2", "--site-shares", "60,40", "--site-lines",
                                 "9,6", "--tie-percent", "10"});
  ASSERT_EQ(generated.status, 0) << generated.err;
  // A trunk call is its trunk end's site's (the caller's when both ends are
  // trunks); one with two trunk ends holds a line at the target's site too,
  // and is an attempt there, turned away or not, when that is another site.
  std::map<std::string, Counted> sites;
  for (const Row& row : Query(kLoggerDsn, "SELECT StartTime, EndTime, CallerType, TargetType, ExitState, "
                                          "CallerSiteNodeId, CalleeSiteNodeId FROM CDRMAIN")) {
    const int start = std::stoi(row[0]), end = std::stoi(row[1]);
    const bool callerTrunk = std::stoi(row[2]) >= 7, targetTrunk = std::stoi(row[3]) >= 7;
    if (!(callerTrunk || targetTrunk) || start < kFeb9 || start >= kFeb10 || end >= kFeb10) continue;
    std::vector<std::string> holders = {callerTrunk ? row[5] : row[6]};
    if (callerTrunk && targetTrunk) holders.push_back(row[6]);
    if (row[4] == "21") {
      ++sites[holders[0]].blocked;
      if (holders.size() == 2 && holders[1] != holders[0]) ++sites[holders[1]].blocked;
    }
    for (const std::string& site : holders) {
      if (end - start < 2) continue;
      sites[site].changes.push_back({start, 1});
      sites[site].changes.push_back({end, -1});
    }
  }
  ASSERT_EQ(sites.size(), 2u);
  for (auto& [site, counted] : sites) counted.Finish();
  const Counted& one = sites["1"];
  const Counted& two = sites["2"];
  ASSERT_EQ(one.peak, 9);  // the generator fills site 1's lines
  ASSERT_GT(two.blocked, 0);

  const std::vector<std::string> options = {"--group-by", "CallerSiteNodeId:CalleeSiteNodeId", "--lines", "1=9",
                                            "--lines", "2=10", "--lines", "3=5", "--lines", "4=5",
                                            "--warning-peak", "80", "--critical-peak", "95"};
  ToolRun run = Check(options);
  EXPECT_EQ(run.status, 2) << run.err;
  const std::string siteTwo = "2 (OK): peak " + std::to_string(two.peak) + " of 10 lines (" +
                              std::to_string(two.peak * 10) + "%) at " + Clock(two.peakAt) + ", " +
                              std::to_string(two.blocked) + " calls turned away yesterday";
  EXPECT_EQ(run.out.substr(0, run.out.find(" | ")),
            "TRUNKS CRITICAL - 1: peak 9 of 9 lines (100%) at " + Clock(one.peakAt) + ", " +
                std::to_string(one.blocked) + " calls turned away yesterday; " + siteTwo +
                "; 3 (OK): peak 0 of 5 lines (0%), 0 calls turned away yesterday; and 1 more group (1 OK)");
  for (const std::string& figure : std::vector<std::string>{
           "'1 peak_calls'=9;7.2;8.55;0;9 ", "'1 blocked_calls'=" + std::to_string(one.blocked) + ";;;0 ",
           "'2 peak_calls'=" + std::to_string(two.peak) + ";8;9.5;0;10 ",
           "'2 blocked_calls'=" + std::to_string(two.blocked) + ";;;0 ", "'3 peak_calls'=0;4;4.75;0;5 ",
           "'4 peak_calls'=0;4;4.75;0;5 "}) {
    EXPECT_NE(run.out.find(figure), std::string::npos) << figure << " in " << run.out;
  }

  // Site 2 alone: the rows the database picks by the bound site number
  // (either end's) give the figures of the whole count.
  std::vector<std::string> alone = options;
  alone.insert(alone.end(), {"--group", "2"});
  ToolRun siteTwoAlone = Check(alone);
  EXPECT_EQ(siteTwoAlone.status, 0) << siteTwoAlone.err;
  const size_t from = run.out.find("'2 peak_calls'"), to = run.out.find(" '3 peak_calls'");
  const size_t age = run.out.find(" record_age=");
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(age, std::string::npos);
  EXPECT_EQ(siteTwoAlone.out, "TRUNKS OK - 2: " + siteTwo.substr(siteTwo.find("peak")) + " | " +
                               run.out.substr(from, to - from) + run.out.substr(age));
}

// Group names that the line and the file cannot hold as they are, in a
// column wide enough for the longest.
class GroupNamesTest : public LoggerDatabaseTest {
 protected:
  void SetUp() override {
    LoggerDatabaseTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Exec(kLoggerDsn, "ALTER TABLE CDRMAIN ADD COLUMN Tenant VARCHAR(400)");
  }
  // A trunk call of yesterday from `from` to `to` (seconds after midnight)
  // of tenant `name` (an SQL expression).
  void Call(int from, int to, const std::string& name) {
    Exec(kLoggerDsn, "INSERT INTO CDRMAIN (StartTime, EndTime, ExitState, CallerType, TargetType, Tenant) VALUES (" +
                         std::to_string(kFeb9 + from) + "," + std::to_string(kFeb9 + to) + ",8,7,1," + name + ")");
  }
};

TEST_P(GroupNamesTest, ANameCannotBreakTheLineOrTheMetrics) {
  const std::string longName(300, 'n');
  Call(36000, 36600, "'" + longName + "'");  // 10:00 to 10:10 and 10:05 to 10:15
  Call(36300, 36900, "'" + longName + "'");
  Call(39600, 40200, "'x|y'");  // 11:00 to 11:10 and 11:02 to 11:20
  Call(39720, 40800, "'x|y'");
  Call(32400, 34200, "'line\nbreak'");
  Call(28800, 29400, "'O''Hare'");
  Call(25200, 25500, "'a=b'");
  const std::string metrics = ScratchDir() + "/groups.prom";
  ToolRun run = Check({"--group-by", "Tenant", "--metrics", metrics});
  EXPECT_EQ(run.status, 0) << run.err;
  // The three busiest named, the long name cut; every group's figures in
  // the order of the names; the newest record started 24 h 58 min ago.
  const std::string shown = std::string(64, 'n') + "...";
  const auto figures = [](const std::string& label, const char* peak, const char* erlangs) {
    return " '" + label + " peak_calls'=" + peak + ";;;0 '" + label + " busy_hour_erlangs'=" + erlangs + ";;;0 '" +
           label + " blocked_calls'=0;;;0";
  };
  EXPECT_EQ(run.out, "TRUNKS OK - " + shown + ": peak 2 calls at 10:05:00, 0 calls turned away yesterday; x_y: peak "
                     "2 calls at 11:02:00, 0 calls turned away yesterday; O'Hare: peak 1 call at 08:00:00, 0 calls "
                     "turned away yesterday; and 2 more groups (2 OK) |" +
                         figures("O''Hare", "1", "0.167") + figures("a_b", "1", "0.083") +
                         figures("line_break", "1", "0.5") + figures(longName, "2", "0.333") +
                         figures("x_y", "2", "0.467") + " record_age=89880s;;;0\n");

  const std::string text = ReadWholeFile(metrics);
  for (const std::string& group : std::vector<std::string>{"O'Hare", "a=b", "line\\nbreak", longName, "x|y"}) {
    const std::string sample =
        "\nnortesk_trunk_peak_calls{data_source=\"Internal Logger Database\",calls=\"trunk\",group=\"" + group + "\"} ";
    EXPECT_NE(text.find(sample), std::string::npos) << sample << " in " << text;
  }
  EXPECT_EQ(text.find("# HELP nortesk_trunk_peak_calls"), text.rfind("# HELP nortesk_trunk_peak_calls")) << text;
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

// A name with a quote, percent signs and a backslash reaches the database
// as a value: a statement made with it in its text (a format of the day's
// bounds, an SQL literal) would fail or choose other rows. (none) is the
// group of NULL and empty names.
TEST_P(GroupNamesTest, OneGroupIsChosenByItsNameAsAValue) {
  const std::string name = "it's 50%% \\ off";
  std::string literal = "'it''s 50%% \\ off'";
  // MariaDB reads a backslash in a literal as an escape.
  if (IsMariaDB()) literal = "'it''s 50%% \\\\ off'";
  Call(36000, 36600, literal);
  Call(36300, 36900, literal);
  Call(36000, 36900, "'it'");
  Call(36000, 36900, "'other'");
  Call(36100, 36900, "'other'");
  Call(36200, 36900, "'other'");
  Call(39600, 40200, "NULL");
  Call(39700, 40200, "''");
  ToolRun run = Check({"--group-by", "Tenant", "--group", name});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "TRUNKS OK - it's 50%% \\ off: peak 2 calls at 10:05:00, 0 calls turned away yesterday | "
                     "'it''s 50%% \\ off peak_calls'=2;;;0 'it''s 50%% \\ off busy_hour_erlangs'=0.333;;;0 "
                     "'it''s 50%% \\ off blocked_calls'=0;;;0 record_age=89900s;;;0\n");

  ToolRun none = Check({"--group-by", "Tenant", "--group", "(none)"});
  EXPECT_EQ(none.status, 0) << none.err;
  EXPECT_EQ(none.out.substr(0, none.out.find(" | ")),
            "TRUNKS OK - (none): peak 2 calls at 11:01:40, 0 calls turned away yesterday");
}

INSTANTIATE_BACKENDS(GroupedCheckTest);
INSTANTIATE_BACKENDS(GroupNamesTest);

}  // namespace
