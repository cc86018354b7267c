// The text of the INSERT that copies a row.
#include "ivrlog/insert_statement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FakeRow {
  std::vector<std::string> values;
  std::vector<bool> nulls;
  int ColumnCount() const { return static_cast<int>(values.size()); }
  bool IsNull(int i) const { return nulls[static_cast<size_t>(i)]; }
  const std::string& Value(int i) const { return values[static_cast<size_t>(i)]; }
};

TEST(InsertStatementTest, NullQuotesAndLength) {
  std::string out = "left over";
  BuildInsertStatement("IVRCALL", FakeRow{{"a", "", "c"}, {false, true, false}}, &out);
  EXPECT_EQ(out, "INSERT INTO IVRCALL values('a', NULL, 'c')");
  BuildInsertStatement("IVRDETAIL", FakeRow{{"", "it's", "''"}, {false, false, false}}, &out);
  EXPECT_EQ(out, "INSERT INTO IVRDETAIL values('', 'it''s', '''''')");
  std::string longValue(1000, 'q');
  BuildInsertStatement("T", FakeRow{{longValue}, {false}}, &out);
  EXPECT_EQ(out, "INSERT INTO T values('" + longValue + "')");
}

}  // namespace
