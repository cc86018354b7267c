// The generator as its users meet it: the program run on small plans, its
// SQLite output read back through the SQLite ODBC driver.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
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

// FNV-1a of every row's columns, each column and row closed by a separator.
uint64_t Checksum(const std::vector<Row>& rows) {
  uint64_t hash = 0xcbf29ce484222325ull;
  auto add = [&](char c) { hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull; };
  for (const Row& row : rows) {
    for (const std::string& column : row) {
      for (char c : column) add(c);
      add('\x1f');
    }
    add('\n');
  }
  return hash;
}

TEST_F(CdrgenTest, WithoutSitesOrTenantsTheRowsAreThoseOfEarlierBuilds) {
  // Checksums of these plans as the generator wrote them before it knew
  // sites and tenants; benchmarks keep data made with a seed on that
  // promise. The site and tenant columns stay NULL.
  std::vector<Row> plain = Generate("plain.sqlite", {"--days", "2", "--calls-per-day", "300", "--end-date",
                                                     "2024-05-02", "--seed", "3"});
  std::vector<Row> group = Generate("group.sqlite", {"--days", "3", "--calls-per-day", "500", "--end-date",
                                                     "2024-03-31", "--seed", "5", "--growth", "20", "--trunk-lines",
                                                     "6"},
                                    "Europe/Berlin");
  ASSERT_GT(plain.size(), 500u);
  ASSERT_GT(group.size(), 1000u);
  EXPECT_EQ(Checksum(plain), 0xfa80955427c7440bull) << plain.size() << " rows";
  EXPECT_EQ(Checksum(group), 0x4a751258e6b4697bull) << group.size() << " rows";
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

TEST_F(CdrgenTest, EachSiteHasItsShareOfTheCallsAndATrunkGroupOfItsOwn) {
  // Site 1 carries 70% of the calls on 3 lines, site 2 30% on 40; a tenth
  // of the calls are tie calls between the two.
  std::vector<Row> rows = Generate("sites.sqlite", {"--days", "7", "--calls-per-day", "400", "--end-date", "2024-06-30",
                                                    "--sites", "2", "--site-shares", "70,30", "--site-lines", "3,40",
                                                    "--tie-percent", "10"});
  ASSERT_GT(rows.size(), 2000u);
  // Lines in use at each site: one per trunk end, at that end's site.
  std::map<long long, std::map<long long, int>> change;
  int atSite1 = 0, ties = 0, badTies = 0, split = 0, tenants = 0;
  int blockedAtSite1 = 0, blockedWithoutSite1 = 0, blockedWrongly = 0;
  for (const Row& row : rows) {
    const long long callerSite = Number(row[kCallerSite]), calleeSite = Number(row[kCalleeSite]);
    ASSERT_TRUE(callerSite == 1 || callerSite == 2) << row[kCallerSite];
    ASSERT_TRUE(calleeSite == 1 || calleeSite == 2) << row[kCalleeSite];
    const long long caller = Number(row[kCallerType]), target = Number(row[kTargetType]);
    const long long start = Number(row[kStartTime]), end = Number(row[kEndTime]);
    atSite1 += callerSite == 1;
    tenants += row[kTargetTenant] != kNullText;
    if (callerSite != calleeSite) {
      ++ties;
      badTies += caller != 9 || target != 9 || Number(row[kDirection]) != 2 || row[kDnis] != kNullText;
    } else if (caller == 9 && target == 9) {
      ++split;  // a tie call that stayed at its site
    }
    if (Number(row[kExitState]) == 21) {
      if (end != start || (caller < 7 && target < 7)) ++blockedWrongly;
      if (callerSite == 1 && calleeSite == 1) ++blockedAtSite1;
      if (callerSite != 1 && calleeSite != 1) ++blockedWithoutSite1;
      continue;
    }
    if (caller >= 7) {
      ++change[callerSite][start];
      --change[callerSite][end];
    }
    if (target >= 7) {
      ++change[calleeSite][start];
      --change[calleeSite][end];
    }
  }
  const double calls = static_cast<double>(rows.size());
  EXPECT_NEAR(atSite1 / calls, 0.70, 0.03);
  EXPECT_NEAR(ties / calls, 0.10, 0.03);
  EXPECT_EQ(badTies, 0);
  EXPECT_EQ(split, 0);
  EXPECT_EQ(tenants, 0);

  std::map<long long, int> most;
  for (const auto& [site, deltas] : change) {
    int inUse = 0;
    for (const auto& [second, delta] : deltas) {
      inUse += delta;
      most[site] = std::max(most[site], inUse);
    }
  }
  EXPECT_EQ(most[1], 3);
  EXPECT_LE(most[2], 40);
  // Only the full site turns calls away: its own, and tie calls to or from
  // it; site 2 never runs out of lines.
  EXPECT_GT(blockedAtSite1, 0);
  EXPECT_EQ(blockedWithoutSite1, 0);
  EXPECT_EQ(blockedWrongly, 0);
}

TEST_F(CdrgenTest, TenantsHaveZipfSharesAndZeroPaddedNames) {
  std::vector<Row> rows = Generate("tenants.sqlite", {"--days", "20", "--calls-per-day", "2000", "--end-date",
                                                      "2024-06-30", "--tenants", "12", "--tenant-zipf", "1.5"});
  ASSERT_GT(rows.size(), 30000u);
  std::map<std::string, int> perTenant;
  int sites = 0;
  for (const Row& row : rows) {
    ++perTenant[row[kTargetTenant]];
    sites += row[kCallerSite] != kNullText || row[kCalleeSite] != kNullText;
  }
  EXPECT_EQ(sites, 0);
  ASSERT_EQ(perTenant.size(), 12u);
  EXPECT_EQ(perTenant.begin()->first, "tenant-01");
  EXPECT_EQ(perTenant.rbegin()->first, "tenant-12");
  // Tenant k's share is (1 / k^1.5) / (the sum of those over k = 1..12);
  // each count lies within four standard deviations of its expectation.
  double sum = 0.0;
  for (int k = 1; k <= 12; ++k) sum += std::pow(k, -1.5);
  for (int k = 1; k <= 12; ++k) {
    char name[16];
    std::snprintf(name, sizeof name, "tenant-%02d", k);
    const double expected = static_cast<double>(rows.size()) * std::pow(k, -1.5) / sum;
    EXPECT_NEAR(perTenant[name], expected, 4 * std::sqrt(expected)) << name;
  }
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
      {"--sqlite", file, "--site-lines", "3"},
      {"--sqlite", file, "--sites", "2", "--site-shares", "60,30,10"},
      {"--sqlite", file, "--sites", "2", "--site-shares", "60,0"},
      {"--sqlite", file, "--sites", "2", "--site-lines", "5,5", "--trunk-lines", "9"},
      {"--sqlite", file, "--sites", "1", "--tie-percent", "5"},
      {"--sqlite", file, "--tenants", "0"},
      {"--sqlite", file, "--tenant-zipf", "2"},
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
  EXPECT_NE(run.out.find("--tenant-zipf S"), std::string::npos);
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
