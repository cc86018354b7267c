// When the rows of one table can go into another column for column: the
// same names whatever their case, the same kinds of values whatever each
// driver calls them, and nothing the insert leaves out that needs a value.
#include "db/table_columns.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <vector>

namespace {

std::string Difference(const std::vector<TableColumn>& from, const std::vector<TableColumn>& to) {
  return ColumnDifference(from, to, "live", "backup");
}

TEST(ColumnDifferenceTest, NamesMatchWithoutCaseAndTypesByTheirKind) {
  // As SQLite, PostgreSQL and MariaDB list the same declarations.
  std::vector<TableColumn> live{{"CallId", SQL_INTEGER}, {"Charge", SQL_DOUBLE}, {"Amount", SQL_NUMERIC},
                                {"CallerNum", SQL_VARCHAR}};
  std::vector<TableColumn> backup{{"callid", SQL_BIGINT}, {"charge", SQL_FLOAT}, {"amount", SQL_DECIMAL},
                                  {"callernum", SQL_WLONGVARCHAR}};
  EXPECT_EQ(Difference(live, backup), "");
  backup[1].type = SQL_DECIMAL;
  EXPECT_EQ(Difference(live, backup),
            "column Charge is an approximate number in the live table but an exact number in the backup table");
}

TEST(ColumnDifferenceTest, AnExtraBackupColumnMustTakeNullOrHaveADefault) {
  std::vector<TableColumn> live{{"CallId", SQL_INTEGER}};
  std::vector<TableColumn> backup{{"CallId", SQL_INTEGER}, {"Note", SQL_VARCHAR}, {"Kept", SQL_TYPE_TIMESTAMP, false, true}};
  EXPECT_EQ(Difference(live, backup), "");
  backup[2].hasDefault = false;
  EXPECT_EQ(Difference(live, backup),
            "column Kept of the backup table, which the live table lacks, takes no NULL and has no default");
  EXPECT_EQ(Difference(backup, live), "column 2, Note, is missing in the backup table");
}

}  // namespace
