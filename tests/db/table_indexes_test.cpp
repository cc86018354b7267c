// The indexes of CDRMAIN as every backend's driver lists them.
#include "db/table_indexes.h"

#include <gtest/gtest.h>

#include "db/cdr_schema.h"
#include "db/osql.h"
#include "support/backend.h"
#include "support/tool_runner.h"

namespace {

class TableIndexesTest : public LoggerDatabaseTest {
 protected:
  std::vector<TableIndex> Indexes() {
    OSql session;
    std::vector<TableIndex> indexes;
    EXPECT_EQ(session.Connect(kLoggerDsn, "", ""), 1);
    EXPECT_EQ(ReadTableIndexes(session, "CDRMAIN", &indexes), 1);
    session.Disconnect();
    return indexes;
  }
  const std::vector<std::string> covering{std::begin(kCoveringIndexColumns), std::end(kCoveringIndexColumns)};
};

TEST_P(TableIndexesTest, TheSchemaCoversTheDayStatementsAndOtherIndexesDoNot) {
  std::vector<TableIndex> indexes = Indexes();
  EXPECT_TRUE(HasIndexLedBy(indexes, "StartTime"));
  ASSERT_NE(IndexCovering(indexes, covering), nullptr);
  EXPECT_STRCASEEQ(IndexCovering(indexes, covering)->name.c_str(), kCoveringIndexName);

  Exec(kLoggerDsn, std::string("DROP INDEX ") + kCoveringIndexName + (IsMariaDB() ? " ON CDRMAIN" : ""));
  Exec(kLoggerDsn, "CREATE INDEX CDRMAIN_EndStart ON CDRMAIN (EndTime, StartTime)");
  indexes = Indexes();
  EXPECT_FALSE(HasIndexLedBy(indexes, "StartTime"));
  EXPECT_TRUE(HasIndexLedBy(indexes, "LocalDay"));
  EXPECT_EQ(IndexCovering(indexes, covering), nullptr);
}

TEST_P(TableIndexesTest, ARangeCheckOnAnUnindexedStartTimeHintsAtTheIndexCommand) {
  constexpr char kHint[] = "\"nortesk-etp index\" creates one.\n";
  ToolRun indexed = RunTool("t\nq\n");
  EXPECT_EQ(indexed.err, "");
  Exec(kLoggerDsn, std::string("DROP INDEX ") + kCoveringIndexName + (IsMariaDB() ? " ON CDRMAIN" : ""));
  ToolRun unindexed = RunTool("t\nq\n");
  EXPECT_NE(unindexed.err.find(kHint), std::string::npos) << unindexed.err;
  EXPECT_EQ(unindexed.out, indexed.out);  // standard output as ever
}

TEST_P(TableIndexesTest, TheIndexCommandCreatesFindsAndFails) {
  ToolOptions options;
  options.arguments = {"index"};
  ToolRun found = RunTool("", options);
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_NE(found.out.find("nothing to do"), std::string::npos) << found.out;

  Exec(kLoggerDsn, std::string("DROP INDEX ") + kCoveringIndexName + (IsMariaDB() ? " ON CDRMAIN" : ""));
  ToolRun created = RunTool("", options);
  EXPECT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.out.rfind("Created index CDRMAIN_DayScan", 0), 0u) << created.out;
  EXPECT_NE(IndexCovering(Indexes(), covering), nullptr);

  // A name taken by an index that does not cover: the driver's refusal.
  Exec(kLoggerDsn, std::string("DROP INDEX ") + kCoveringIndexName + (IsMariaDB() ? " ON CDRMAIN" : ""));
  Exec(kLoggerDsn, std::string("CREATE INDEX ") + kCoveringIndexName + " ON CDRMAIN (EndTime)");
  ToolRun refused = RunTool("", options);
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err.rfind("nortesk-etp: cannot create index CDRMAIN_DayScan on CDRMAIN\nSQL Error Message: Diag:1,", 0), 0u)
      << refused.err;
}

INSTANTIATE_BACKENDS(TableIndexesTest);

}  // namespace
