// The generator as its users meet it: the program run on small plans, its
// SQLite output read back through the SQLite ODBC driver.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/zone_scope.h"
#include "tools/cdrgen_runner.h"

namespace {

class CdrgenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/nortesk-cdrgen-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string File(const std::string& name) const { return dir_ + "/" + name; }

  // Generates into a file of the scratch folder; the run must succeed and
  // report the rows it added. Returns every row of the file.
  std::vector<Row> Generate(const std::string& name, std::vector<std::string> arguments,
                            const std::string& zone = "UTC") {
    const size_t before = std::filesystem::exists(File(name)) ? ReadSqliteCalls(File(name)).size() : 0;
    arguments.insert(arguments.begin(), {"--sqlite", File(name)});
    ToolRun run = RunCdrgen(arguments, zone);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<Row> rows = ReadSqliteCalls(File(name));
    EXPECT_EQ(run.out.rfind("cdrgen: " + std::to_string(rows.size() - before) + " calls over ", 0), 0u) << run.out;
    return rows;
  }

  std::string dir_;
};

long long Number(const std::string& text) { return std::stoll(text); }

TEST_F(CdrgenTest, TheSeedDecidesEveryRow) {
  const std::vector<std::string> plan = {"--days", "5", "--calls-per-day", "300", "--end-date", "2024-06-30"};
  auto withSeed = [&](const char* seed) {
    std::vector<std::string> arguments = plan;
    arguments.insert(arguments.end(), {"--seed", seed});
    return arguments;
  };
  std::vector<Row> first = Generate("a.sqlite", withSeed("7"), "Europe/Berlin");
  std::vector<Row> again = Generate("b.sqlite", withSeed("7"), "Europe/Berlin");
  std::vector<Row> other = Generate("c.sqlite", withSeed("8"), "Europe/Berlin");
  ASSERT_GT(first.size(), 1000u);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, other);
}

TEST_F(CdrgenTest, LocalDayIsTheLocalDateOfTheStartAcrossClockChanges) {
  for (const char* zone : {"Europe/Berlin", "America/New_York"}) {
    SCOPED_TRACE(zone);
    // Both zones change their clocks twice in these 240 days.
    std::vector<Row> rows = Generate(std::string(zone).substr(0, 6) + ".sqlite",
                                     {"--days", "240", "--calls-per-day", "40", "--end-date", "2024-11-10"}, zone);
    ASSERT_GT(rows.size(), 5000u);
    ZoneScope scope(zone);
    std::set<std::string> days;
    int wrong = 0;
    for (const Row& row : rows) {
      time_t start = static_cast<time_t>(Number(row[kStartTime]));
      tm local{};
      localtime_r(&start, &local);
      char date[16];
      strftime(date, sizeof date, "%Y%m%d", &local);
      if (row[kLocalDay] != date || Number(row[kDayOfWeek]) != local.tm_wday) ++wrong;
      days.insert(row[kLocalDay]);
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(days.size(), 240u);
    EXPECT_EQ(*days.begin(), "20240316");
    EXPECT_EQ(*days.rbegin(), "20241110");
  }
}

TEST_F(CdrgenTest, TrafficHasTheShapeOfAPhoneSystem) {
  // Four weeks from Monday 2024-01-29 through Sunday 2024-02-25.
  std::vector<Row> rows = Generate("shape.sqlite", {"--days", "28", "--calls-per-day", "2000", "--end-date", "2024-02-25"});
  ASSERT_GT(rows.size(), 28u * 2000 * 9 / 10);
  ASSERT_LT(rows.size(), 28u * 2000 * 11 / 10);

  std::map<std::string, int> perDay;
  std::map<std::pair<long long, long long>, int> endPairs;
  std::vector<long long> durations;
  int connected = 0, businessHours = 0, badDirection = 0, badDnis = 0;
  long long previousStart = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    ASSERT_EQ(Number(row[kSessionId]), static_cast<long long>(i + 1));
    const long long start = Number(row[kStartTime]), end = Number(row[kEndTime]);
    ASSERT_GE(start, previousStart);  // sessions follow the starts
    previousStart = start;
    ASSERT_GE(end, start);
    durations.push_back(end - start);
    const long long caller = Number(row[kCallerType]), target = Number(row[kTargetType]);
    for (long long type : {caller, target}) ASSERT_TRUE(type == 1 || type == 2 || type == 7 || type == 8 || type == 9);
    ++endPairs[{caller, target}];
    const long long exitState = Number(row[kExitState]);
    ASSERT_GE(exitState, 0);
    ASSERT_LE(exitState, 37);
    connected += exitState == 8;
    const long long hour = start % 86400 / 3600;
    businessHours += hour >= 8 && hour < 17;
    const bool trunkCaller = caller >= 7, trunkTarget = target >= 7;
    const long long direction = Number(row[kDirection]);
    if (!trunkCaller && !trunkTarget && direction != 0) ++badDirection;
    if (trunkCaller && !trunkTarget && direction != 1) ++badDirection;
    if (!trunkCaller && trunkTarget && direction != 2) ++badDirection;
    if (trunkCaller && trunkTarget && direction != 1 && direction != 2) ++badDirection;
    if ((row[kDnis] != kNullText) != (trunkCaller && caller != 9 && !trunkTarget)) ++badDnis;
    ++perDay[row[kLocalDay]];
  }
  EXPECT_EQ(badDirection, 0);
  EXPECT_EQ(badDnis, 0);
  EXPECT_GT(connected, static_cast<int>(rows.size()) * 6 / 10);
  EXPECT_GT(businessHours, static_cast<int>(rows.size()) * 6 / 10);

  // Ext-to-ext, trunk-to-trunk and 7<->9 calls all occur.
  auto calls = [&](long long caller, long long target) { return endPairs[std::make_pair(caller, target)]; };
  EXPECT_GT(calls(1, 1), 0);
  EXPECT_GT(calls(7, 7), 0);
  EXPECT_GT(calls(7, 9) + calls(9, 7), calls(7, 7));

  // Weekdays are busier than weekends; 2024-02-03 was a Saturday.
  EXPECT_EQ(perDay.size(), 28u);
  EXPECT_GT(perDay["20240205"], 2 * perDay["20240203"]);

  // Around three minutes, a few calls under two seconds, some over an hour.
  std::sort(durations.begin(), durations.end());
  const long long median = durations[durations.size() / 2];
  EXPECT_GT(median, 60);
  EXPECT_LT(median, 240);
  EXPECT_LT(durations.front(), 2);
  EXPECT_GT(durations.back(), 3600);
}

TEST_F(CdrgenTest, ATrunkGroupTurnsAwayTheCallsThatFindItFullAndTrafficGrows) {
  // Two years growing by 100% a year through a group of 4 trunk lines.
  std::vector<Row> rows = Generate("group.sqlite", {"--days", "730", "--calls-per-day", "60", "--end-date",
                                                    "2024-12-31", "--growth", "100", "--trunk-lines", "4"});
  // Lines in use, one per trunk end, from each admitted call's start up to
  // its end; a turned-away call has no talk time and holds none.
  std::map<long long, int> change;
  int blocked = 0, blockedWrongly = 0;
  std::map<std::string, int> perYear;
  for (const Row& row : rows) {
    const long long start = Number(row[kStartTime]), end = Number(row[kEndTime]);
    const int lines = (Number(row[kCallerType]) >= 7) + (Number(row[kTargetType]) >= 7);
    ++perYear[row[kLocalDay].substr(0, 4)];
    if (Number(row[kExitState]) == 21) {
      ++blocked;
      if (end != start || lines == 0) ++blockedWrongly;
      continue;
    }
    change[start] += lines;
    change[end] -= lines;
  }
  int inUse = 0, most = 0;
  for (const auto& [second, delta] : change) {
    inUse += delta;
    most = std::max(most, inUse);
  }
  EXPECT_EQ(most, 4);
  EXPECT_GT(blocked, 0);
  EXPECT_EQ(blockedWrongly, 0);
  EXPECT_NEAR(static_cast<double>(perYear["2024"]) / perYear["2023"], 2.0, 0.1);
}

TEST_F(CdrgenTest, ASecondRunAppendsWithNewSessions) {
  Generate("both.sqlite", {"--days", "2", "--calls-per-day", "100", "--end-date", "2024-05-02"});
  std::vector<Row> rows = Generate("both.sqlite", {"--days", "2", "--calls-per-day", "100", "--end-date", "2024-05-04"});
  ASSERT_GT(rows.size(), 300u);
  for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(Number(rows[i][kSessionId]), static_cast<long long>(i + 1));
  EXPECT_EQ(rows.front()[kLocalDay], "20240501");
  EXPECT_EQ(rows.back()[kLocalDay], "20240504");
}

TEST_F(CdrgenTest, BadCommandLinesAreRefusedWithoutTouchingAnything) {
  const std::string file = File("never.sqlite");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--days", "3"},
      {"--sqlite", file, "--dsn", "Somewhere"},
      {"--sqlite", file, "--end-date", "2023-02-29"},
      {"--sqlite", file, "--end-date", "2024-1-05"},
      {"--sqlite", file, "--days", "0"},
      {"--sqlite", file, "--days", "12x"},
      {"--sqlite", file, "--calls-per-day", "-5"},
      {"--sqlite", file, "--seed", "99999999999999999999"},
      {"--sqlite", file, "extra"},
      {"--sqlite", file, "--end-date", "1970-01-05", "--days", "5"},
      {"--sqlite", file, "--days"},
      {"--sqlite", file, "--colour", "blue"},
      {"--sqlite", file, "--growth", "-100"},
      {"--sqlite", file, "--growth", "5%"},
      {"--sqlite", file, "--trunk-lines", "0"},
  };
  for (const std::vector<std::string>& arguments : cases) {
    std::string shown;
    for (const std::string& a : arguments) shown += a + " ";
    SCOPED_TRACE(shown);
    ToolRun run = RunCdrgen(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("usage: cdrgen"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file));
  }
}

TEST_F(CdrgenTest, HelpPrintsTheUsageAndExits0) {
  ToolRun run = RunCdrgen({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("usage: cdrgen", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("--trunk-lines N"), std::string::npos);
  EXPECT_EQ(run.err, "");
}

TEST_F(CdrgenTest, AnUnwritableFileFailsWithAReason) {
  ToolRun run = RunCdrgen({"--sqlite", File("no/such/folder/x.sqlite"), "--days", "1"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("cdrgen: cannot open"), std::string::npos) << run.err;
}

TEST_F(CdrgenTest, TheEndDateDefaultsToTodayLocal) {
  ToolOptions options;
  options.program = CdrgenPath();
  options.arguments = {"--sqlite", File("today.sqlite"), "--days", "1", "--calls-per-day", "10"};
  options.timeZone = "Asia/Tokyo";
  options.frozenClock = "2024-07-01 08:00:00";  // local time: still 30 June in UTC
  ToolRun run = RunTool("", options);
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<Row> rows = ReadSqliteCalls(File("today.sqlite"));
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front()[kLocalDay], "20240701");
}

}  // namespace
