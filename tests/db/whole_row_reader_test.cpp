// CWholeRowReader on every backend: values of any length arrive whole and
// NULL is told apart from empty text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/osql.h"
#include "db/whole_row_reader.h"
#include "support/backend.h"

namespace {

constexpr char kDsn[] = "Whole Rows";

class WholeRowReaderTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    AddDataSource(kDsn);
    Exec(kDsn, "CREATE TABLE T (Id INTEGER, Name VARCHAR(6000), Amount DOUBLE PRECISION)");
    ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  }
  void TearDown() override {
    session.Disconnect();
    BackendTest::TearDown();
  }
  OSql session;
  CWholeRowReader reader;
};

std::string Text(size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
  return text;
}

TEST_P(WholeRowReaderTest, ValuesOfAnyLengthArriveWhole) {
  const std::vector<size_t> lengths = {0, 62, 63, 254, 255, 256, 300, 511, 5000};
  for (size_t i = 0; i < lengths.size(); ++i) {
    Exec(kDsn, "INSERT INTO T VALUES (" + std::to_string(i) + ", '" + Text(lengths[i]) + "', 2.5)");
  }
  ASSERT_EQ(session.Execute("SELECT Name, Id, Amount FROM T ORDER BY Id"), 1);
  ASSERT_EQ(reader.Begin(session), 1);
  ASSERT_EQ(reader.ColumnCount(), 3);
  for (size_t i = 0; i < lengths.size(); ++i) {
    ASSERT_EQ(reader.Next(), 1) << i;
    EXPECT_EQ(reader.Value(0), Text(lengths[i])) << lengths[i];
    EXPECT_FALSE(reader.IsNull(0));
    EXPECT_EQ(reader.Value(1), std::to_string(i));
    EXPECT_EQ(reader.Value(2), "2.5");
  }
  EXPECT_EQ(reader.Next(), 0);
  session.CloseCursor();
}

TEST_P(WholeRowReaderTest, NullIsNotEmpty) {
  Exec(kDsn, "INSERT INTO T VALUES (1, '', NULL); INSERT INTO T VALUES (2, NULL, 0)");
  ASSERT_EQ(session.Execute("SELECT Name, Amount FROM T ORDER BY Id"), 1);
  ASSERT_EQ(reader.Begin(session), 1);
  ASSERT_EQ(reader.Next(), 1);
  EXPECT_FALSE(reader.IsNull(0));
  EXPECT_EQ(reader.Value(0), "");
  EXPECT_TRUE(reader.IsNull(1));
  ASSERT_EQ(reader.Next(), 1);
  EXPECT_TRUE(reader.IsNull(0));
  EXPECT_EQ(reader.Value(0), "");
  EXPECT_FALSE(reader.IsNull(1));
  EXPECT_EQ(reader.Next(), 0);
  session.CloseCursor();
}

TEST_P(WholeRowReaderTest, MoreThanThirtyTwoColumns) {
  std::string select = "SELECT ";
  for (int i = 1; i <= 40; ++i) select += (i > 1 ? ", " : "") + std::to_string(i) + " AS c" + std::to_string(i);
  ASSERT_EQ(session.Execute(select.c_str()), 1);
  ASSERT_EQ(reader.Begin(session), 1);
  ASSERT_EQ(reader.ColumnCount(), 40);
  ASSERT_EQ(reader.Next(), 1);
  EXPECT_EQ(reader.Value(39), "40");
  session.CloseCursor();
}

TEST_P(WholeRowReaderTest, NothingToReadWithoutAResultSet) {
  ASSERT_EQ(session.Execute("INSERT INTO T VALUES (1, 'a', 1)"), 1);
  EXPECT_EQ(reader.Begin(session), 0);
  EXPECT_EQ(reader.Next(), -1);
  OSql closed;
  EXPECT_EQ(reader.Begin(closed), 0);
}

INSTANTIATE_BACKENDS(WholeRowReaderTest);

}  // namespace
