// cdrgen through ODBC: the same plan written to a data source of either
// backend gives the rows it writes into a SQLite file directly, sites and
// tenants too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tools/cdrgen_runner.h"

namespace {

constexpr char kDsn[] = "Generated Calls";

class CdrgenBackendTest : public BackendTest {};

TEST_P(CdrgenBackendTest, DataSourceGetsTheRowsOfTheSqliteFile) {
  AddDataSource(kDsn);
  // Four days around a clock change; more rows than one batch of the writer.
  const std::vector<std::string> plan = {"--days", "4", "--calls-per-day", "400", "--end-date", "2024-10-29",
                                         "--seed", "11", "--sites", "3", "--site-lines", "9,6,4",
                                         "--tie-percent", "5", "--tenants", "20"};
  std::vector<std::string> viaDsn = {"--dsn", kDsn}, viaFile = {"--sqlite", ScratchDir() + "/direct.sqlite"};
  viaDsn.insert(viaDsn.end(), plan.begin(), plan.end());
  viaFile.insert(viaFile.end(), plan.begin(), plan.end());

  ToolRun dsnRun = RunCdrgen(viaDsn, "Europe/Berlin");
  ASSERT_EQ(dsnRun.status, 0) << dsnRun.err;
  ToolRun fileRun = RunCdrgen(viaFile, "Europe/Berlin");
  ASSERT_EQ(fileRun.status, 0) << fileRun.err;
  EXPECT_EQ(dsnRun.out, fileRun.out);

  std::vector<Row> expected = ReadSqliteCalls(ScratchDir() + "/direct.sqlite");
  ASSERT_GT(expected.size(), 1000u);
  EXPECT_EQ(Query(kDsn, kSelectGeneratedCalls), expected);

  // The table came with the indexes of the schema.
  std::vector<Row> indexes =
      IsPostgres() ? Query(kDsn, "SELECT indexname FROM pg_indexes WHERE tablename = 'cdrmain' ORDER BY 1")
      : IsMariaDB()
          ? Query(kDsn, "SELECT DISTINCT index_name FROM information_schema.statistics WHERE "
                        "table_schema = database() AND table_name = 'CDRMAIN' ORDER BY 1")
          : Query(kDsn, "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = 'CDRMAIN' ORDER BY 1");
  std::vector<std::string> names;
  for (Row& row : indexes) {
    std::transform(row[0].begin(), row[0].end(), row[0].begin(), [](unsigned char c) { return std::tolower(c); });
    names.push_back(row[0]);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"cdrmain_dayscan", "cdrmain_localday"}));

  // A second run appends, numbering sessions on from the highest stored.
  ToolRun more = RunCdrgen({"--dsn", kDsn, "--days", "1", "--calls-per-day", "50", "--end-date", "2024-10-30"},
                           "Europe/Berlin");
  ASSERT_EQ(more.status, 0) << more.err;
  // Without sites and tenants, those columns are NULL.
  std::vector<Row> counts = Query(kDsn,
                                  "SELECT count(*), count(DISTINCT SessionID), max(SessionID), count(CallerSiteNodeId), "
                                  "count(CalleeSiteNodeId), count(TargetTenant) FROM CDRMAIN");
  ASSERT_EQ(counts.size(), 1u);
  EXPECT_GT(std::stoll(counts[0][0]), static_cast<long long>(expected.size()));
  EXPECT_EQ(counts[0][1], counts[0][0]);
  EXPECT_EQ(counts[0][2], counts[0][0]);
  const std::string before = std::to_string(expected.size());
  EXPECT_EQ(counts[0][3], before);
  EXPECT_EQ(counts[0][4], before);
  EXPECT_EQ(counts[0][5], before);
}

TEST_P(CdrgenBackendTest, AnUnreachableSourceFailsWithTheDriversReason) {
  AddUnreachableDataSource(kDsn);
  ToolRun run = RunCdrgen({"--dsn", kDsn, "--days", "1"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("cdrgen: cannot connect on data source \"Generated Calls\""), std::string::npos) << run.err;
}

INSTANTIATE_BACKENDS(CdrgenBackendTest);

}  // namespace
