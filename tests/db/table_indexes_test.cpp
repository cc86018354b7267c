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
  EXPECT_TRUE(HasIndexCovering(indexes, covering));

  Exec(kLoggerDsn, std::string("DROP INDEX ") + kCoveringIndexName + (IsMariaDB() ? " ON CDRMAIN" : ""));
  Exec(kLoggerDsn, "CREATE INDEX CDRMAIN_EndStart ON CDRMAIN (EndTime, StartTime)");
  indexes = Indexes();
  EXPECT_FALSE(HasIndexLedBy(indexes, "StartTime"));
  EXPECT_TRUE(HasIndexLedBy(indexes, "LocalDay"));
  EXPECT_FALSE(HasIndexCovering(indexes, covering));
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

INSTANTIATE_BACKENDS(TableIndexesTest);

}  // namespace
