// The grouped day statements against the real drivers: the grouping resolved
// to the table's own names, quoted as each driver quotes, and every row
// filed under the group its grouping names, on every backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/grouped_scan.h"
#include "db/osql.h"
#include "db/table_columns.h"
#include "support/backend.h"

namespace {

constexpr char kDsn[] = "Grouped Scan Test";

struct Filed {
  CallKind kind;
  DayPass pass;
  GroupBy groupBy;
  std::vector<std::string> groups;
};

class Collector : public CGroupedRowSink {
 public:
  explicit Collector(Filed* filed) : filed_(filed) {}
  void OnGroupedRow(const GroupedRow& row) override {
    filed_->groups.push_back(std::to_string(row.startTime) + "=" + row.group + "/" + std::to_string(row.filedEndType) +
                             (row.firstGroup != nullptr ? std::string(" after ") + row.firstGroup : ""));
  }

 private:
  Filed* filed_;
};

class GroupedScanTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    AddDataSource(kDsn);
    CreateCdrTable(kDsn);
    ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  }
  void TearDown() override {
    session.Disconnect();
    BackendTest::TearDown();
  }
  void Insert(int start, int callerType, int targetType, const std::string& tenant, const std::string& callerSite,
              const std::string& calleeSite) {
    ASSERT_TRUE(TryExec(kDsn, "INSERT INTO CDRMAIN (StartTime, EndTime, ExitState, CallerType, TargetType, "
                              "TargetTenant, CallerSiteNodeId, CalleeSiteNodeId) VALUES (" +
                                  std::to_string(start) + "," + std::to_string(start + 60) + ",8," +
                                  std::to_string(callerType) + "," + std::to_string(targetType) + "," + tenant +
                                  "," + callerSite + "," + calleeSite + ")"));
  }
  // The groups of the rows of `pass` and the types of the ends they are
  // filed by, as "start=group/type" in start order, with " after G" when
  // the statement names the group G the first filed the call under.
  std::vector<std::string> Scan(const std::string& groupByText, DayPass pass) {
    Filed filed{CallKindNamed("trunk"), pass, {}, {}};
    std::string reason;
    std::vector<TableColumn> columns;
    EXPECT_TRUE(ParseGroupBy(groupByText, &filed.groupBy, &reason)) << reason;
    EXPECT_EQ(ReadTableColumns(session, "CDRMAIN", &columns), 1);
    EXPECT_TRUE(ResolveGroupBy(columns, &filed.groupBy, &reason)) << reason;
    char quote[8] = {};
    SQLUSMALLINT folding = 0;
    EXPECT_EQ(session.GetIdentifierRules(quote, sizeof quote, &folding), 1);
    const std::string select =
        GroupedDaySelect(filed.kind, pass, filed.groupBy, quote) + " order by StartTime";
    char statement[kGroupedStatementSize] = {};
    FormatDaySelect(statement, sizeof statement, select.c_str(), 0, 100000);
    Collector collector(&filed);
    ScanGroupedCalls(session, statement, true, filed.groupBy.IsPair() && pass == DayPass::kSecond, &collector);
    EXPECT_EQ(session.lastStatementFailed, 0) << statement;
    return filed.groups;
  }
  OSql session;
};

TEST_P(GroupedScanTest, EachRowIsFiledUnderTheGroupItsColumnsName) {
  const std::string longName(64, 'n');  // as long as the column holds
  Insert(1000, 7, 1, "'a''b \"c\" <d>'", "1", "2");  // in on a trunk of site 1
  Insert(2000, 1, 8, "NULL", "1", "2");              // out on a trunk of site 2
  Insert(3000, 7, 9, "''", "1", "2");                // trunk to trunk: a line at each site
  Insert(4000, 9, 7, "'" + longName + "'", "NULL", "2");
  Insert(5000, 1, 2, "'ext'", "1", "1");             // no trunk end: not a trunk call
  EXPECT_EQ(Scan("targettenant", DayPass::kFirst),
            (std::vector<std::string>{"1000=a'b \"c\" <d>/7", "2000=/8", "3000=/7", "4000=" + longName + "/9"}));
  EXPECT_EQ(Scan("CallerSiteNodeId:CalleeSiteNodeId", DayPass::kFirst),
            (std::vector<std::string>{"1000=1/7", "2000=2/8", "3000=1/7", "4000=/9"}));
  EXPECT_EQ(Scan("CallerSiteNodeId:CalleeSiteNodeId", DayPass::kSecond),
            (std::vector<std::string>{"3000=2/9 after 1", "4000=2/7 after "}));
}

INSTANTIATE_BACKENDS(GroupedScanTest);

}  // namespace
