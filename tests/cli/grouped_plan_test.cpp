// plan --group-by on generated records of two sites, on every backend: each
// site's days, months and plan are those of a plan run on a table that
// holds that site's calls alone, tie calls between the sites holding a line
// at each end's site.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "support/backend.h"
#include "support/tool_runner.h"
#include "tools/cdrgen_runner.h"

namespace {

constexpr char kSiteDsn[] = "One Site";
constexpr char kColumns[] = "StartTime, EndTime, SessionID, ExitState, CallerType, TargetType, LocalDay";

// The records of a CSV file of this program (no field of these holds a
// comma or a quote), each one line of fields.
std::vector<std::vector<std::string>> CsvRecords(const std::string& path) {
  const std::string text = ReadWholeFile(path);
  std::vector<std::vector<std::string>> records;
  for (size_t at = 0, end; at < text.size(); at = end + 2) {
    end = text.find("\r\n", at);
    if (end == std::string::npos) break;
    std::vector<std::string> fields(1);
    for (const char c : text.substr(at, end - at)) {
      if (c == ',') {
        fields.emplace_back();
      } else {
        fields.back() += c;
      }
    }
    records.push_back(fields);
  }
  return records;
}

// The first record where `got` and `want` differ, as text; empty when none.
std::string FirstDifference(const std::vector<std::vector<std::string>>& got,
                            const std::vector<std::vector<std::string>>& want) {
  auto text = [](const std::vector<std::string>& record) {
    std::string line;
    for (const std::string& field : record) line += field + ",";
    return line;
  };
  for (size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
    const std::string a = i < got.size() ? text(got[i]) : "(none)";
    const std::string b = i < want.size() ? text(want[i]) : "(none)";
    if (a != b) return "record " + std::to_string(i) + ": " + a + " against " + b;
  }
  return "";
}

// The rows of group `group` of a grouped file, its group column dropped.
std::vector<std::vector<std::string>> RowsOf(const std::vector<std::vector<std::string>>& grouped,
                                             const std::string& group) {
  std::vector<std::vector<std::string>> rows;
  for (size_t i = 1; i < grouped.size(); ++i) {
    if (grouped[i][0] == group) rows.emplace_back(grouped[i].begin() + 1, grouped[i].end());
  }
  return rows;
}

class GroupedPlanTest : public BackendTest {
 protected:
  // Copies into kSiteDsn the calls of `site` as that site sees them: a call
  // between two sites is one trunk call at each, its other end an
  // extension there.
  void CopySite(const std::string& site) {
    Exec(kSiteDsn, "DELETE FROM CDRMAIN");
    const std::vector<Row> rows = Query(
        kLoggerDsn,
        "SELECT StartTime, EndTime, SessionID, ExitState, "
        "CASE WHEN CallerType >= 7 AND CallerSiteNodeId <> " + site + " THEN 1 ELSE CallerType END, "
        "CASE WHEN TargetType >= 7 AND CalleeSiteNodeId <> " + site + " THEN 1 ELSE TargetType END, LocalDay "
        "FROM CDRMAIN WHERE (CallerType >= 7 AND CallerSiteNodeId = " + site +
            ") OR (TargetType >= 7 AND CalleeSiteNodeId = " + site + ")");
    ASSERT_FALSE(rows.empty());
    for (size_t first = 0; first < rows.size(); first += 500) {
      std::string insert = std::string("INSERT INTO CDRMAIN (") + kColumns + ") VALUES ";
      for (size_t i = first; i < rows.size() && i < first + 500; ++i) {
        const Row& r = rows[i];
        insert += (i > first ? ",(" : "(") + r[0] + "," + r[1] + "," + r[2] + "," + r[3] + "," + r[4] + "," + r[5] +
                  ",'" + r[6] + "')";
      }
      Exec(kSiteDsn, insert);
    }
  }
  ToolRun Plan(const std::vector<std::string>& arguments) {
    ToolOptions options;
    options.frozenClock = "2026-03-16 09:00:00";
    options.arguments = arguments;
    return RunTool("", options);
  }
};

TEST_P(GroupedPlanTest, EachSitesPlanIsThatOfATableOfItsCallsAlone) {
  AddDataSource(kLoggerDsn);
  // 75 days to yesterday, two sites on lines of their own, 10% tie calls.
  ToolRun generated =
      RunCdrgen({"--dsn", kLoggerDsn, "--days", "76", "--calls-per-day", "400", "--end-date", "2026-03-16", "--seed",
                 "5", "--sites", "2", "--site-shares", "60,40", "--site-lines", "9,6", "--tie-percent", "10"});
  ASSERT_EQ(generated.status, 0) << generated.err;
  AddDataSource(kSiteDsn);
  CreateCdrTable(kSiteDsn);
  const std::string dir = ScratchDir() + "/grouped";
  ToolRun grouped = Plan({"plan", "--group-by", "callersitenodeid:CalleeSiteNodeId", "--lines", "1=9", "--lines",
                          "2=6", "--csv", dir, "--sessions", "2"});
  ASSERT_EQ(grouped.status, 0) << grouped.err;
  const auto days = CsvRecords(dir + "/days.csv");
  const auto months = CsvRecords(dir + "/months.csv");
  ASSERT_FALSE(days.empty());
  EXPECT_EQ(days[0][0], "group");
  for (const auto& [site, lines] : std::map<std::string, std::string>{{"1", "9"}, {"2", "6"}}) {
    CopySite(site);
    const std::string alone = ScratchDir() + "/site" + site;
    ToolRun run = Plan({"plan", "--dsn", kSiteDsn, "--lines", lines, "--csv", alone});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto siteDays = CsvRecords(alone + "/days.csv");
    const auto siteMonths = CsvRecords(alone + "/months.csv");
    ASSERT_FALSE(siteDays.empty());
    EXPECT_EQ(FirstDifference(RowsOf(days, site), std::vector(siteDays.begin() + 1, siteDays.end())), "") << site;
    EXPECT_EQ(FirstDifference(RowsOf(months, site), std::vector(siteMonths.begin() + 1, siteMonths.end())), "")
        << site;
    // The site's block reads as the site's own report from its answer on,
    // and so does that of a run for the site alone (--group).
    const std::string body = run.out.substr(run.out.find("\nLines needed now: "));
    EXPECT_NE(grouped.out.find(body), std::string::npos) << site << "\n" << body << "\n" << grouped.out;
    ToolRun one = Plan({"plan", "--group-by", "CallerSiteNodeId:CalleeSiteNodeId", "--group", site, "--lines",
                        site + "=" + lines});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_NE(one.out.find("Trunk calls in 1 group,"), std::string::npos) << one.out;
    EXPECT_NE(one.out.find(body), std::string::npos) << site << "\n" << one.out;
  }
}

TEST_P(GroupedPlanTest, AColumnThatIsNotTheTablesExits2NamingTheColumnsThereAre) {
  AddDataSource(kLoggerDsn);
  CreateCdrTable(kLoggerDsn);
  ToolRun run = Plan({"plan", "--group-by", "CallerSiteNodeId:Tenant"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  std::string said = run.err;
  for (char& c : said) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(said.find("cdrmain has no column tenant; its columns are "), std::string::npos) << run.err;
  EXPECT_NE(said.find("targettenant"), std::string::npos) << run.err;
}

TEST_P(GroupedPlanTest, IndexGivesTheGroupedStatementsAnIndexOfTheirOwnOnce) {
  AddDataSource(kLoggerDsn);
  CreateCdrTable(kLoggerDsn);
  ToolRun created = Plan({"index", "--group-by", "targettenant"});
  ASSERT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.out.rfind("Created index CDRMAIN_GroupScan_", 0), 0u) << created.out;
  ToolRun again = Plan({"index", "--group-by", "TargetTenant"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("covers the statements of --group-by TargetTenant; nothing to do."), std::string::npos)
      << again.out;
  EXPECT_EQ(Plan({"index", "--group-by", "Tenant"}).status, 2);
}

INSTANTIATE_BACKENDS(GroupedPlanTest);

}  // namespace
