// OSql against real drivers: the same cases on every backend.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/osql.h"
#include "support/backend.h"

namespace {

constexpr char kDsn[] = "Osql Test";

class OsqlDbTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    AddDataSource(kDsn);
    Exec(kDsn, "CREATE TABLE T (Id INTEGER, Name VARCHAR(300), Seconds INTEGER)");
  }
  void TearDown() override {
    session.Disconnect();
    BackendTest::TearDown();
  }
  OSql session;
};

TEST_P(OsqlDbTest, TheUserOfTheDataSourceLogsIn) {
  if (!IsPostgres() && !IsMariaDB()) GTEST_SKIP() << "a database file has no users";
  ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  char user[64] = {};
  ASSERT_EQ(session.QueryFirstText("SELECT CURRENT_USER", user, sizeof user), 1);
  EXPECT_STREQ(user, IsPostgres() ? "postgres" : "nortesk@localhost");
}

TEST_P(OsqlDbTest, ConnectTwiceKeepsTheConnection) {
  ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  SQLHDBC first = session.connectionHandle;
  EXPECT_EQ(session.connectStage, 2);
  EXPECT_EQ(session.Connect("Some Other Name", "", ""), 1);
  EXPECT_EQ(session.connectionHandle, first);
  session.Disconnect();
  EXPECT_EQ(session.connectionHandle, nullptr);
  EXPECT_EQ(session.connectStage, 0);
  EXPECT_EQ(session.Connect(kDsn, "", ""), 1);  // a closed session opens again
}

TEST_P(OsqlDbTest, RefusedArgumentsMakeNoConnection) {
  EXPECT_EQ(session.Connect("", "", ""), 0);
  EXPECT_EQ(session.Connect(nullptr, "", ""), 0);
  EXPECT_EQ(session.Connect(kDsn, nullptr, ""), 0);
  EXPECT_EQ(session.Connect(kDsn, "", nullptr), 0);
  EXPECT_EQ(session.environmentHandle, nullptr);
}

TEST_P(OsqlDbTest, UnreachableSourceLeavesTheSessionClosed) {
  AddUnreachableDataSource("Nowhere");
  EXPECT_EQ(session.Connect("Nowhere", "", ""), 0);
  EXPECT_EQ(session.connectionHandle, nullptr);
  EXPECT_EQ(session.environmentHandle, nullptr);
  EXPECT_EQ(session.connectStage, 0);
}

TEST_P(OsqlDbTest, DeleteOfNoRowIsQuiet) {
  ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  testing::internal::CaptureStdout();
  int result = session.Execute("DELETE FROM T WHERE Id = 99");
  std::string printed = testing::internal::GetCapturedStdout();
  // SQL_NO_DATA: nothing to report. MariaDB's driver answers SQL_SUCCESS
  // instead, which is no failure either.
  EXPECT_EQ(result, IsMariaDB() ? 1 : 0);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(session.Execute("INSERT INTO T VALUES (1, 'a', 2)"), 1);
}

TEST_P(OsqlDbTest, FortyColumnsBindThirtyTwo) {
  std::string select = "SELECT ";
  for (int i = 1; i <= 40; ++i) select += (i > 1 ? ", " : "") + std::to_string(i) + " AS c" + std::to_string(i);
  ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  ASSERT_EQ(session.Execute(select.c_str()), 1);
  ASSERT_EQ(session.BindAllColumns(), 1);
  EXPECT_EQ(session.columnCount, 32);
  ASSERT_EQ(session.Fetch(), 1);
  EXPECT_STREQ(session.columnText[0], "1");
  EXPECT_STREQ(session.columnText[31], "32");
  EXPECT_EQ(session.Fetch(), 0);
  session.CloseCursor();
}

TEST_P(OsqlDbTest, LongValueArrivesAsSixtyTwoCharacters) {
  std::string value(63, 'x');
  value[61] = 'y';
  value[62] = 'z';
  Exec(kDsn, "INSERT INTO T VALUES (1, '" + value + "', 0)");
  Exec(kDsn, "INSERT INTO T VALUES (2, NULL, 0)");
  ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  ASSERT_EQ(session.Execute("SELECT Name FROM T ORDER BY Id"), 1);
  ASSERT_EQ(session.BindAllColumns(), 1);
  ASSERT_EQ(session.Fetch(), 1);
  EXPECT_EQ(std::string(session.columnText[0]), value.substr(0, 62));
  ASSERT_EQ(session.Fetch(), 1);
  EXPECT_EQ(session.columnIndicator[0], SQL_NULL_DATA);
  session.CloseCursor();
}

TEST_P(OsqlDbTest, QueryTextCopiesEightBytes) {
  Exec(kDsn, "INSERT INTO T VALUES (1, '20140411', 0); INSERT INTO T VALUES (2, 'abcd', 0)");
  ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  char day[32];
  std::memset(day, 'Z', sizeof day);
  ASSERT_EQ(session.QueryText("SELECT Name FROM T WHERE Id = 1", day), 1);
  EXPECT_EQ(std::string(day, 9), "20140411Z");  // no terminator written
  char four[32] = {};
  std::memset(four, 'Z', sizeof four);
  ASSERT_EQ(session.QueryText("SELECT Name FROM T WHERE Id = 2", four), 1);
  EXPECT_EQ(std::string(four, 9), std::string("abcd\0\0\0\0Z", 9));
  char none[32] = {};
  EXPECT_EQ(session.QueryText("SELECT Name FROM T WHERE Id = 3", none), 0);  // no row
  // The session still works after every outcome.
  EXPECT_EQ(session.QueryText("SELECT Name FROM T WHERE Id = 1", none), 1);
}

TEST_P(OsqlDbTest, QueryTextOfATooLongValueFails) {
  Exec(kDsn, "INSERT INTO T VALUES (1, '" + std::string(290, 'q') + "', 0)");
  ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  char out[32] = {};
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.QueryText("SELECT Name FROM T", out), 0);
  std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("SQLSTATE:01004"), std::string::npos) << printed;
  EXPECT_EQ(session.Execute("INSERT INTO T VALUES (2, 'b', 0)"), 1);  // cursor was closed
}

TEST_P(OsqlDbTest, QueryMinutesReadsSixtyFourBitSums) {
  Exec(kDsn, "INSERT INTO T VALUES (1, 'a', 119); INSERT INTO T VALUES (2, 'b', 120);"
             "INSERT INTO T VALUES (3, 'c', -60); INSERT INTO T VALUES (4, 'd', NULL);"
             "INSERT INTO T VALUES (5, 'e', 2000000000); INSERT INTO T VALUES (5, 'f', 2000000000);"
             "INSERT INTO T VALUES (5, 'g', 2000000000)");
  ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  int64_t minutes = -1;
  EXPECT_EQ(session.QueryMinutes("SELECT sum(Seconds) FROM T WHERE Id = 1", &minutes), 1);
  EXPECT_EQ(minutes, 1);
  EXPECT_EQ(session.QueryMinutes("SELECT sum(Seconds) FROM T WHERE Id = 2", &minutes), 1);
  EXPECT_EQ(minutes, 2);
  EXPECT_EQ(session.QueryMinutes("SELECT sum(Seconds) FROM T WHERE Id = 3", &minutes), 1);
  EXPECT_EQ(minutes, -1);
  EXPECT_EQ(session.QueryMinutes("SELECT sum(Seconds) FROM T WHERE Id = 5", &minutes), 1);
  EXPECT_EQ(minutes, 100000000);  // 6,000,000,000 seconds
  EXPECT_EQ(session.QueryMinutes("SELECT sum(Seconds) FROM T WHERE Id = 4", &minutes), 1);
  EXPECT_EQ(minutes, 0);
  EXPECT_EQ(session.QueryMinutes("SELECT Seconds FROM T WHERE Id = 99", &minutes), 1);
  EXPECT_EQ(minutes, 0);
  EXPECT_EQ(session.QueryMinutes("SELECT nonsense FROM Nowhere", &minutes), 0);
}

TEST_P(OsqlDbTest, FailingStatementPrintsEachDiagnosticOnce) {
  ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.Execute("SELECT * FROM NoSuchTable"), 0);
  std::string printed = testing::internal::GetCapturedStdout();
  ASSERT_EQ(printed.rfind("SQL Error Message: Diag:1, SQLSTATE:", 0), 0u) << printed;
  EXPECT_EQ(printed.find("Diag:1,", 20), std::string::npos) << printed;
  EXPECT_EQ(printed.substr(printed.size() - 2), "\r\n");
  EXPECT_EQ(session.Execute("INSERT INTO T VALUES (1, 'a', 1)"), 1);  // the session goes on
}

TEST_P(OsqlDbTest, ExecuteOnNewStatementUsesTheGivenLength) {
  ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  const char text[] = "INSERT INTO T VALUES (7, 'len', 3)GARBAGE";
  EXPECT_EQ(session.ExecuteOnNewStatement(text, 34), 0);
  EXPECT_EQ(session.ExecuteOnNewStatement("SELECT * FROM Nowhere", 21), 1);
  EXPECT_EQ(session.ExecuteOnNewStatement(text, 0), -1);
  EXPECT_EQ(Query(kDsn, "SELECT Id, Name FROM T"), (std::vector<Row>{{"7", "len"}}));
  OSql closed;
  EXPECT_EQ(closed.ExecuteOnNewStatement(text, 34), -1);
}

TEST_P(OsqlDbTest, ClosedSessionRefusesEverything) {
  char out[32] = {};
  int64_t minutes = 5;
  EXPECT_EQ(session.Execute("SELECT 1"), 0);
  EXPECT_EQ(session.BindAllColumns(), 0);
  EXPECT_EQ(session.Fetch(), 0);
  EXPECT_EQ(session.QueryText("SELECT 1", out), 0);
  EXPECT_EQ(session.QueryMinutes("SELECT 1", &minutes), 0);
  EXPECT_EQ(minutes, 0);
  session.CloseCursor();
  session.Disconnect();
}

INSTANTIATE_BACKENDS(OsqlDbTest);

}  // namespace
