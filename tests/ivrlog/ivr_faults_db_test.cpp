// Faults driven through a whole night on real databases. Each case counts
// the rows of live and backup before and after: none is ever lost, the live
// rows are deleted only when their copies arrived exactly, and copies stay
// only when their live rows were deleted.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "ivrlog/ivr_fixture.h"

namespace ivr_test {
namespace {

constexpr char kCutoff[] = "20260201000000";  // for 10 May 2026

class IvrFaultTest : public IvrDbTest {
 public:
  // For the hooks that disturb the live database between copy and delete.
  void ExecOnLive(const std::string& sql) { Exec(kLiveDsn, sql); }

 protected:
  void SetUp() override {
    IvrDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    PrepareLive();
  }

  // Five old calls with their details and one recent call.
  void FillLive() {
    for (int id = 1; id <= 5; ++id) {
      std::string stamp = "202601" + std::string(id < 10 ? "0" : "") + std::to_string(id) + "101500";
      Insert(kLiveDsn, IvrCall{.id = id, .stamp = stamp});
      Insert(kLiveDsn, IvrDetail{.callId = id, .stamp = stamp});
    }
    Insert(kLiveDsn, IvrCall{.id = 6, .stamp = "20260505101500"});
  }

  struct Snapshot {
    std::vector<Row> liveCalls, liveDetails, backupCalls, backupDetails;
  };
  Snapshot Take(bool backupReachable = true) {
    Snapshot s;
    s.liveCalls = Rows(kLiveDsn, "IVRCALL");
    s.liveDetails = Rows(kLiveDsn, "IVRDETAIL");
    if (backupReachable) {
      s.backupCalls = Rows(kBackupDsn, "IVRCALL");
      s.backupDetails = Rows(kBackupDsn, "IVRDETAIL");
    }
    return s;
  }
  void ExpectNoneLostBetween(const Snapshot& before, const Snapshot& after) {
    std::vector<Row> calls = before.liveCalls, details = before.liveDetails;
    calls.insert(calls.end(), before.backupCalls.begin(), before.backupCalls.end());
    details.insert(details.end(), before.backupDetails.begin(), before.backupDetails.end());
    ExpectNoneLost(calls, after.liveCalls, after.backupCalls);
    ExpectNoneLost(details, after.liveDetails, after.backupDetails);
  }
  // The old rows of `before` now live only in the backup, once each.
  void ExpectMoved(const std::vector<Row>& beforeLive, const std::vector<Row>& afterLive,
                   const std::vector<Row>& afterBackup) {
    std::map<Row, int> backup = Tally(afterBackup);
    for (const Row& row : beforeLive) {
      if (row[1] < kCutoff) {
        EXPECT_EQ(backup[row], 1) << "row " << row[0] << " " << row[1];
        EXPECT_EQ(std::count(afterLive.begin(), afterLive.end(), row), 0) << "row " << row[0];
      } else {
        EXPECT_EQ(std::count(afterLive.begin(), afterLive.end(), row), 1) << "row " << row[0];
      }
    }
  }

  // The backup's tables, IVRCALL declared as the live one's but for
  // `declared` in place of `asLive`.
  void PrepareBackupCallsWith(const std::string& asLive, const std::string& declared) {
    PrepareBackup(false);
    std::vector<std::string> tables = ProjectSqlStatements("tools/ivr_tables.sql");
    size_t at = tables[0].find(asLive);
    ASSERT_NE(at, std::string::npos) << asLive;
    Exec(kBackupDsn, tables[0].replace(at, asLive.size(), declared));
    Exec(kBackupDsn, tables[1]);
  }
  // The backup's IVRCALL is refused as a whole, and IVRDETAIL with it, so
  // that no call stays live while its details are in the backup: every
  // live row stays, none arrives, and the report tells `difference` (in
  // lower case: each backend names columns in its own case).
  void ExpectCallsRefusedNaming(const Snapshot& before, const std::string& difference) {
    Snapshot after = Take();
    EXPECT_EQ(after.liveCalls, before.liveCalls);
    EXPECT_EQ(after.backupCalls, before.backupCalls);
    EXPECT_EQ(after.liveDetails, before.liveDetails);
    EXPECT_EQ(after.backupDetails, before.backupDetails);
    std::string trace = TraceLog().Text();
    std::transform(trace.begin(), trace.end(), trace.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_NE(trace.find("the backup table ivrcall does not match the live one, nothing copied: " + difference),
              std::string::npos)
        << TraceLog().Text();
    EXPECT_STREQ(worker.lastRunDate, "");
  }
};

TEST_P(IvrFaultTest, UnreachableBackupKeepsEveryLiveRow) {
  AddUnreachableDataSource(kBackupDsn);
  FillLive();
  Snapshot before = Take(false);
  RunNight(2026, 5, 10);
  Snapshot after = Take(false);
  EXPECT_EQ(after.liveCalls, before.liveCalls);
  EXPECT_EQ(after.liveDetails, before.liveDetails);
  EXPECT_TRUE(TraceLog().Has("Failed to open backup database SarvoIVR_bak, old rows are kept. (IvrLog-290)"));
  EXPECT_STREQ(worker.lastRunDate, "");  // the next night tries again
  EXPECT_TRUE(Sleeps().empty());
}

TEST_P(IvrFaultTest, InsertRefusedMidwayKeepsTheTableAndUndoesItsCopies) {
  PrepareBackup();
  // The backup refuses a second call with id 3: the third copy fails.
  Exec(kBackupDsn, "CREATE UNIQUE INDEX IVRCALL_Id ON IVRCALL (CallId)");
  Insert(kBackupDsn, IvrCall{.id = 3, .stamp = "20251103000000", .result = "'earlier'"});
  FillLive();
  Snapshot before = Take();
  RunNight(2026, 5, 10);
  Snapshot after = Take();
  ExpectNoneLostBetween(before, after);
  EXPECT_EQ(after.liveCalls, before.liveCalls);      // nothing deleted
  EXPECT_EQ(after.backupCalls, before.backupCalls);  // the two copies made were undone
  ExpectMoved(before.liveDetails, after.liveDetails, after.backupDetails);  // the other table went on
  EXPECT_TRUE(
      TraceLog().Has("Failed to copy a row of IVRCALL into the backup database, nothing deleted. (IvrLog-340)"));
  EXPECT_STREQ(worker.lastRunDate, "");
}

TEST_P(IvrFaultTest, MissingBackupTableKeepsItsLiveRows) {
  PrepareBackup(false);
  Exec(kBackupDsn, ProjectSqlStatements("tools/ivr_tables.sql")[0]);  // IVRCALL only
  FillLive();
  std::vector<Row> liveDetails = Rows(kLiveDsn, "IVRDETAIL");
  std::vector<Row> liveCalls = Rows(kLiveDsn, "IVRCALL");
  RunNight(2026, 5, 10);
  EXPECT_EQ(Rows(kLiveDsn, "IVRDETAIL"), liveDetails);
  EXPECT_EQ(Rows(kLiveDsn, "IVRCALL"), liveCalls);  // its partner stays with it
  EXPECT_TRUE(Rows(kBackupDsn, "IVRCALL").empty());
  EXPECT_TRUE(TraceLog().Has("The backup table IVRDETAIL does not match the live one, nothing copied: the backup "
                             "table does not exist or has no columns. (IvrLog-333)"));
}

TEST_P(IvrFaultTest, BackupColumnsInAnotherOrderKeepTheLiveRows) {
  PrepareBackupCallsWith("CallerNum VARCHAR(32), DialedNum VARCHAR(32)", "DialedNum VARCHAR(32), CallerNum VARCHAR(32)");
  FillLive();
  Snapshot before = Take();
  RunNight(2026, 5, 10);
  ExpectCallsRefusedNaming(before, "column 3 is callernum in the live table but dialednum in the backup table");
}

TEST_P(IvrFaultTest, BackupNumberColumnForTextKeepsTheLiveRows) {
  // A number column would keep 00491715551000 as 491715551000.
  PrepareBackupCallsWith("CallerNum VARCHAR(32)", "CallerNum NUMERIC(20)");
  FillLive();
  Insert(kLiveDsn, IvrCall{.id = 7, .stamp = "20260102000000", .callerNum = "'00491715551000'"});
  Snapshot before = Take();
  RunNight(2026, 5, 10);
  // SQLite's driver calls a NUMERIC column a DOUBLE, the others an exact number.
  ExpectCallsRefusedNaming(before, "column callernum is text in the live table but ");
}

// A MyISAM or Aria table keeps every change at once: a deletion undone, or
// one that a killed process never committed, would stand and lose its rows.
// Such a table is refused before a row of either table moves.
TEST_P(IvrFaultTest, TableThatCannotRollBackKeepsBothTablesWhole) {
  if (BackendName() != "MariaDB") GTEST_SKIP() << "only MariaDB keeps tables in engines without transactions";
  PrepareBackup();
  Exec(kLiveDsn, "ALTER TABLE IVRDETAIL ENGINE=Aria");
  FillLive();
  Snapshot before = Take();
  RunNight(2026, 5, 10);
  Snapshot after = Take();
  EXPECT_EQ(after.liveCalls, before.liveCalls);
  EXPECT_EQ(after.liveDetails, before.liveDetails);
  EXPECT_TRUE(after.backupCalls.empty());
  EXPECT_TRUE(TraceLog().Has("The live table IVRDETAIL is stored by Aria, which cannot undo a change"))
      << TraceLog().Text();
  EXPECT_EQ(worker.failedSteps, 1);
}

TEST_P(IvrFaultTest, EveryValueArrivesExactlyAsStored) {
  PrepareBackup();
  // A binary type of each backend; MariaDB and SQLite take a hex literal.
  const bool pg = IsPostgres();
  for (const char* dsn : {kLiveDsn, kBackupDsn}) {
    Exec(dsn, "ALTER TABLE IVRCALL ADD COLUMN Big BIGINT");
    Exec(dsn, std::string("ALTER TABLE IVRCALL ADD COLUMN Audio ") + (pg ? "BYTEA" : "BLOB"));
    Exec(dsn, "ALTER TABLE IVRCALL ADD COLUMN Notes TEXT");
  }
  const std::string audio = pg ? "decode('00ff4100e9','hex')" : "x'00FF4100E9'";
  std::string longText, quotedLong;
  for (int i = 0; i < 20000; ++i) longText += i % 100 == 0 ? '\'' : static_cast<char>('a' + i % 26);
  for (char c : longText) quotedLong += c == '\'' ? "''" : std::string(1, c);
  Exec(kLiveDsn, "INSERT INTO IVRCALL VALUES (7, '20260102000000', 'O''Brien', '', 9, 0.30000000000000004, '''', "
                 "'it''s ''quoted'') -- x', 9007199254740993, " + audio + ", '" + quotedLong + "')");
  Exec(kLiveDsn, "INSERT INTO IVRCALL VALUES (8, '20260102000000', NULL, '', NULL, 1234567.891011121314, NULL, "
                 "NULL, -9007199254740993, NULL, '')");
  // Reopened: a SQLite session describes a table as it found it first.
  worker.liveSession.Disconnect();
  ASSERT_EQ(worker.OpenLiveSession(kLiveDsn), 1);
  std::vector<Row> before = Rows(kLiveDsn, "IVRCALL");
  RunNight(2026, 5, 10);
  ExpectMoved(before, Rows(kLiveDsn, "IVRCALL"), Rows(kBackupDsn, "IVRCALL"));
  // Compared in the database: read back as text, a REAL shows 15 digits.
  EXPECT_EQ(Query(kBackupDsn, "SELECT count(*) FROM IVRCALL WHERE CallId = 7 AND Charge = 0.30000000000000004 "
                              "AND Big = 9007199254740993 AND Audio = " + audio + " AND DialedNum = ''"),
            (std::vector<Row>{{"1"}}));
  EXPECT_EQ(Query(kBackupDsn, "SELECT count(*) FROM IVRCALL WHERE CallId = 8 AND Charge = 1234567.891011121314 "
                              "AND Big = -9007199254740993 AND Audio IS NULL AND Duration IS NULL AND Notes = ''"),
            (std::vector<Row>{{"1"}}));
  EXPECT_EQ(Query(kBackupDsn, "SELECT CallerNum, Result, Transcript, Notes FROM IVRCALL WHERE CallId = 7"),
            (std::vector<Row>{{"O'Brien", "'", "it's 'quoted') -- x", longText}}));
  EXPECT_EQ(Query(kBackupDsn, "SELECT CallerNum, Result, Transcript FROM IVRCALL WHERE CallId = 8"),
            (std::vector<Row>{{kNullText, kNullText, kNullText}}));
}

TEST_P(IvrFaultTest, ValueOfAnotherTypeThanItsColumnStaysLive) {
  // Only SQLite keeps a value of another type than its column's.
  if (BackendName() != "SQLite") GTEST_SKIP() << "typed columns";
  PrepareBackup();
  FillLive();
  Insert(kLiveDsn, IvrCall{.id = 7, .stamp = "20260102000000", .duration = "'forty'"});
  Snapshot before = Take();
  RunNight(2026, 5, 10);
  Snapshot after = Take();
  EXPECT_EQ(after.liveCalls, before.liveCalls);
  EXPECT_TRUE(after.backupCalls.empty());
  EXPECT_TRUE(TraceLog().Has("Failed to read old rows of IVRCALL, nothing deleted. (IvrLog-338)"));
}

TEST_P(IvrFaultTest, FailedLiveDeleteLeavesNoCopiesAndTheNextNightCopiesOnce) {
  PrepareBackup();
  FillLive();
  // A trigger that refuses every deletion from the live IVRCALL; its text is
  // each backend's own.
  std::string refuse, allow = "DROP TRIGGER KeepCalls";
  if (IsPostgres()) {
    ASSERT_TRUE(TryExec(kLiveDsn, "CREATE FUNCTION keep_calls() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION "
                                  "'kept'; END $$ LANGUAGE plpgsql"));
    refuse = "CREATE TRIGGER KeepCalls BEFORE DELETE ON IVRCALL FOR EACH ROW EXECUTE FUNCTION keep_calls()";
    allow += " ON IVRCALL";
  } else if (IsMariaDB()) {
    refuse = "CREATE TRIGGER KeepCalls BEFORE DELETE ON IVRCALL FOR EACH ROW SIGNAL SQLSTATE '45000' "
             "SET MESSAGE_TEXT = 'kept'";
  } else {
    refuse = "CREATE TRIGGER KeepCalls BEFORE DELETE ON IVRCALL BEGIN SELECT RAISE(ABORT, 'kept'); END";
  }
  ASSERT_TRUE(TryExec(kLiveDsn, refuse));
  Snapshot before = Take();
  RunNight(2026, 5, 10);
  Snapshot after = Take();
  EXPECT_EQ(after.liveCalls, before.liveCalls);
  EXPECT_TRUE(after.backupCalls.empty());
  ExpectMoved(before.liveDetails, after.liveDetails, after.backupDetails);  // the other table went on
  EXPECT_TRUE(TraceLog().Has("Deleting old rows of IVRCALL matched 0 rows, not the 5 copied, nothing deleted"));
  EXPECT_STREQ(worker.lastRunDate, "");

  ASSERT_TRUE(TryExec(kLiveDsn, allow));
  ASSERT_EQ(worker.OpenLiveSession(kLiveDsn), 1);
  RunNight(2026, 5, 11);
  ExpectMoved(before.liveCalls, Rows(kLiveDsn, "IVRCALL"), Rows(kBackupDsn, "IVRCALL"));
  EXPECT_EQ(Rows(kBackupDsn, "IVRDETAIL"), after.backupDetails);
  EXPECT_STREQ(worker.lastRunDate, "20260511");
}

// A row dated before the cut-off that arrives between the copy and the
// deletion: the deletion would remove a row that was never copied.
IvrFaultTest* current = nullptr;

TEST_P(IvrFaultTest, DeleteMatchingMoreThanWasCopiedIsUndone) {
  PrepareBackup();
  FillLive();
  Snapshot before = Take();
  current = this;
  worker.rowsCopiedHook = [](CIvrLog&, const char* table) {
    if (std::string(table) == "IVRCALL") current->ExecOnLive(InsertText(IvrCall{.id = 8, .stamp = "20260103000000"}));
  };
  RunNight(2026, 5, 10);
  Snapshot after = Take();
  ExpectNoneLostBetween(before, after);
  // IVRCALL: all five old rows and the late one are still live, and their
  // copies were undone.
  EXPECT_EQ(RowsBefore(kLiveDsn, "IVRCALL", kCutoff).size(), 6u);
  EXPECT_TRUE(after.backupCalls.empty());
  ExpectMoved(before.liveDetails, after.liveDetails, after.backupDetails);
  EXPECT_TRUE(
      TraceLog().Has("Deleting old rows of IVRCALL matched 6 rows, not the 5 copied, nothing deleted. (IvrLog-355)"));
  EXPECT_STREQ(worker.lastRunDate, "");
}

TEST_P(IvrFaultTest, DeleteMatchingFewerThanWasCopiedIsUndone) {
  PrepareBackup();
  FillLive();
  Snapshot before = Take();
  current = this;
  worker.rowsCopiedHook = [](CIvrLog&, const char* table) {
    if (std::string(table) == "IVRDETAIL") current->ExecOnLive("DELETE FROM IVRDETAIL WHERE CallId = 2");
  };
  RunNight(2026, 5, 10);
  Snapshot after = Take();
  // The four that were still there stay live; the one deleted meanwhile is
  // gone from both, as whoever deleted it meant.
  EXPECT_EQ(after.liveDetails.size(), 4u);
  EXPECT_TRUE(after.backupDetails.empty());
  ExpectMoved(before.liveCalls, after.liveCalls, after.backupCalls);
  EXPECT_TRUE(TraceLog().Has("Deleting old rows of IVRDETAIL matched 4 rows, not the 5 copied"));
}

// What a process that died between the commit of IVRCALL's copies and that
// of their deletion leaves: the rows in both databases and the journal's
// entry of the move unfinished.
class IvrStoppedMoveTest : public IvrFaultTest {
 protected:
  void SetUp() override {
    IvrFaultTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    PrepareBackup();
    FillLive();
    before = Take();
    RunNight(2026, 5, 10);
    ASSERT_STREQ(worker.lastRunDate, "20260510");
    ASSERT_EQ(worker.OpenLiveSession(kLiveDsn), 1);
    for (const Row& row : before.liveCalls) {
      if (row[1] < kCutoff && std::stoi(row[0]) <= liveAgain) {
        Insert(kLiveDsn, IvrCall{.id = std::stoi(row[0]), .stamp = row[1]});
      }
    }
    Exec(kBackupDsn, "UPDATE IVRMOVE SET DeletedAt = NULL WHERE TableName = 'IVRCALL'");
    worker.lastRunDate[0] = '\0';
  }
  int liveAgain = 5;  // of the five copied calls, the ids up to this are still live
  Snapshot before;
};

TEST_P(IvrStoppedMoveTest, NextRunDeletesTheCopiedRowsWithoutCopyingThemAgain) {
  RunNight(2026, 5, 11);
  ExpectMoved(before.liveCalls, Rows(kLiveDsn, "IVRCALL"), Rows(kBackupDsn, "IVRCALL"));
  EXPECT_TRUE(TraceLog().Has("Deleted the 5 rows of IVRCALL older than 20260201000000 whose copies an unfinished "
                             "move left in the backup database. (IvrLog-370)"));
  EXPECT_EQ(Query(kBackupDsn, "SELECT count(*) FROM IVRMOVE WHERE DeletedAt IS NULL"), std::vector<Row>{{"0"}});
  EXPECT_STREQ(worker.lastRunDate, "20260511");
}

class IvrStoppedMoveWithRowsMissingTest : public IvrStoppedMoveTest {
 protected:
  void SetUp() override {
    liveAgain = 4;
    IvrStoppedMoveTest::SetUp();
  }
};

// Four old calls live where five were copied: which of them were copied
// cannot be told, so none is deleted or copied, and the table waits.
TEST_P(IvrStoppedMoveWithRowsMissingTest, NextRunTouchesNeitherDatabase) {
  const Snapshot stopped = Take();
  RunNight(2026, 5, 11);
  const Snapshot after = Take();
  EXPECT_EQ(after.liveCalls, stopped.liveCalls);
  EXPECT_EQ(after.backupCalls, stopped.backupCalls);
  EXPECT_TRUE(TraceLog().Has("The live table IVRCALL holds 4 rows older than 20260201000000, not the 5 that an "
                             "unfinished move copied into the backup database; nothing copied or deleted until the "
                             "entry of IVRMOVE is set right. (IvrLog-375)"));
  EXPECT_STREQ(worker.lastRunDate, "");
}

TEST_P(IvrFaultTest, ClosedLiveSessionMovesNothing) {
  PrepareBackup();
  FillLive();
  worker.liveSession.Disconnect();
  Snapshot before = Take();
  RunNight(2026, 5, 10);
  Snapshot after = Take();
  EXPECT_EQ(after.liveCalls, before.liveCalls);
  EXPECT_TRUE(after.backupCalls.empty());
  EXPECT_TRUE(TraceLog().Has("Failed to select old rows of IVRCALL. (IvrLog-330)"));
  EXPECT_FALSE(worker.backupSession.IsOpen());
}

INSTANTIATE_BACKENDS(IvrFaultTest);
INSTANTIATE_BACKENDS(IvrStoppedMoveTest);
INSTANTIATE_BACKENDS(IvrStoppedMoveWithRowsMissingTest);

}  // namespace
}  // namespace ivr_test
