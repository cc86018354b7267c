// Transactions and affected-row counts of OSql on every backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/osql.h"
#include "support/backend.h"

namespace {

constexpr char kDsn[] = "Osql Transactions";

class OsqlTransactionsTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    AddDataSource(kDsn);
    Exec(kDsn, "CREATE TABLE T (Id INTEGER, Name VARCHAR(20))");
    Exec(kDsn, "INSERT INTO T VALUES (1, 'a'); INSERT INTO T VALUES (2, 'b'); INSERT INTO T VALUES (3, 'c')");
    ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  }
  void TearDown() override {
    session.Disconnect();
    BackendTest::TearDown();
  }
  std::vector<Row> Ids() { return Query(kDsn, "SELECT Id FROM T ORDER BY Id"); }
  OSql session;
};

TEST_P(OsqlTransactionsTest, RollbackUndoesAndCommitKeeps) {
  ASSERT_EQ(session.BeginTransaction(), 1);
  ASSERT_EQ(session.Execute("DELETE FROM T WHERE Id >= 2"), 1);
  EXPECT_EQ(session.AffectedRows(), 2);
  ASSERT_EQ(session.Rollback(), 1);
  EXPECT_EQ(Ids(), (std::vector<Row>{{"1"}, {"2"}, {"3"}}));

  ASSERT_EQ(session.BeginTransaction(), 1);
  ASSERT_EQ(session.Execute("DELETE FROM T WHERE Id = 3"), 1);
  EXPECT_EQ(session.AffectedRows(), 1);
  ASSERT_EQ(session.Commit(), 1);
  EXPECT_EQ(Ids(), (std::vector<Row>{{"1"}, {"2"}}));

  // Automatic commit is back: a single statement is kept at once.
  ASSERT_EQ(session.Execute("INSERT INTO T VALUES (4, 'd')"), 1);
  EXPECT_EQ(session.AffectedRows(), 1);
  EXPECT_EQ(Ids(), (std::vector<Row>{{"1"}, {"2"}, {"4"}}));
}

TEST_P(OsqlTransactionsTest, UnitSurvivesAFailedStatementUntilRolledBack) {
  ASSERT_EQ(session.BeginTransaction(), 1);
  ASSERT_EQ(session.Execute("INSERT INTO T VALUES (5, 'e')"), 1);
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.Execute("INSERT INTO Nowhere VALUES (1)"), 0);
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(session.Rollback(), 1);
  EXPECT_EQ(Ids(), (std::vector<Row>{{"1"}, {"2"}, {"3"}}));
  EXPECT_EQ(session.Execute("UPDATE T SET Name = 'z'"), 1);
  EXPECT_EQ(session.AffectedRows(), 3);
}

TEST_P(OsqlTransactionsTest, ClosedSessionRefuses) {
  OSql closed;
  EXPECT_EQ(closed.BeginTransaction(), 0);
  EXPECT_EQ(closed.Commit(), 0);
  EXPECT_EQ(closed.Rollback(), 0);
  EXPECT_EQ(closed.AffectedRows(), -1);
}

INSTANTIATE_BACKENDS(OsqlTransactionsTest);

}  // namespace
