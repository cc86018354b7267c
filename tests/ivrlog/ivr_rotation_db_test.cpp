// Setting the backup database file aside. Whether the file is due is decided
// from the backup database, on every backend; the renaming and copying of
// files is tried on SQLite, whose database is a file (a server database has
// none to set aside).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ivrlog/ivr_fixture.h"
#include "ivrlog/ivr_host.h"
#include "ivrlog/move_journal.h"
#include "ivrlog/message_pool.h"
#include "support/raw_odbc.h"

namespace ivr_test {
namespace {

class IvrRotationTest : public IvrDbTest {
 protected:
  void SetUp() override {
    IvrDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    SetLocalClock(2026, 3, 10, 12, 0);  // the range begins 1 June 2025
  }
  // Runs the rotation with standard output captured into `printed`.
  int Rotate() {
    testing::internal::CaptureStdout();
    int result = worker.RotateBackupFile();
    printed = testing::internal::GetCapturedStdout();
    return result;
  }
  std::string printed;
};

TEST_P(IvrRotationTest, FirstCallInTheMonthAfterTheRangeKeepsTheFile) {
  PrepareBackup();
  Insert(kBackupDsn, IvrCall{.id = 1, .stamp = "20250701000000"});
  EXPECT_EQ(Rotate(), 0);
  EXPECT_EQ(printed,
            "Today is 2026/03/10\n"
            "Retain 9 month, begin date is 2025/06/01\n"
            "Backup retain 6 month, end date is 2025/12/01\n");
  EXPECT_FALSE(worker.backupSession.IsOpen());
  EXPECT_TRUE(Sleeps().empty());
  EXPECT_TRUE(FilesStartingWith(ScratchDir(), "SarvoIVR_bak_").empty());
}

// A server database is due as a file is, but has no file to set aside: it
// is refused before anything is touched.
TEST_P(IvrRotationTest, FirstCallInTheRangesMonthIsDue) {
  PrepareBackup();
  PrepareTemplate();
  Insert(kBackupDsn, IvrCall{.id = 1, .stamp = "20250630235959"});
  Insert(kBackupDsn, IvrCall{.id = 2, .stamp = "20251130120000"});
  worker.Run();  // not in the night: nothing
  EXPECT_TRUE(Sleeps().empty());
  EXPECT_EQ(Rotate(), HasDatabaseFile() ? 1 : 0);
  EXPECT_FALSE(worker.backupSession.IsOpen());
  if (!HasDatabaseFile()) {
    EXPECT_TRUE(Sleeps().empty());
    EXPECT_TRUE(TraceLog().Has("The backup database SarvoIVR_bak is not a file"));
    EXPECT_EQ(Rows(kBackupDsn, "IVRCALL").size(), 2u);
    return;
  }
  ASSERT_EQ(Sleeps().size(), 2u);
  EXPECT_EQ(Sleeps()[0].milliseconds, 2000u);
  EXPECT_EQ(Sleeps()[1].milliseconds, 500u);
}

TEST_P(IvrRotationTest, EmptyBackupTableRenamesNothing) {
  PrepareBackup();
  EXPECT_EQ(Rotate(), 0);
  EXPECT_FALSE(worker.backupSession.IsOpen());
  EXPECT_TRUE(Sleeps().empty());
  EXPECT_TRUE(FilesStartingWith(ScratchDir(), "SarvoIVR_bak_").empty());
}

TEST_P(IvrRotationTest, UnreadableFirstDateIsReportedAndCloses) {
  PrepareBackup(false);  // no IVRCALL table: the Min query fails
  EXPECT_EQ(Rotate(), 0);
  EXPECT_TRUE(TraceLog().Has("Failed to get backup database first call date. (IvrLog-414)"));
  EXPECT_FALSE(worker.backupSession.IsOpen());
  EXPECT_TRUE(Sleeps().empty());
}

TEST_P(IvrRotationTest, RefusedRangeIsReportedAndCloses) {
  PrepareBackup();
  Insert(kBackupDsn, IvrCall{.id = 1, .stamp = "20200101000000"});
  worker.retainMonths = 20;
  EXPECT_EQ(Rotate(), 0);
  EXPECT_EQ(printed, "");
  EXPECT_TRUE(TraceLog().Has("Failed to get backup database retain time range, 20, 6. (IvrLog-407)"));
  EXPECT_FALSE(worker.backupSession.IsOpen());
  EXPECT_TRUE(Sleeps().empty());
}

TEST_P(IvrRotationTest, UnreachableBackupDoesNothing) {
  AddUnreachableDataSource(kBackupDsn);
  EXPECT_EQ(Rotate(), 0);
  EXPECT_EQ(printed, "");
  EXPECT_FALSE(worker.backupSession.IsOpen());
  EXPECT_TRUE(Sleeps().empty());
}

TEST_P(IvrRotationTest, RequestedByMessageEleven) {
  PrepareBackup();
  PrepareTemplate();
  Insert(kBackupDsn, IvrCall{.id = 1, .stamp = "20250403000000"});
  WorkerMessage* message = MessagePool.TakeMessage(kMessageRotateBackupFile, nullptr, 0);
  ASSERT_NE(message, nullptr);
  ASSERT_EQ(worker.PostWorkerMessage(message), 1);
  testing::internal::CaptureStdout();
  worker.Run();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(Sleeps().size(), HasDatabaseFile() ? 2u : 0u);
  EXPECT_FALSE(worker.backupSession.IsOpen());
}

INSTANTIATE_BACKENDS(IvrRotationTest);

// The file cases: the backup data source is a SQLite file.
class IvrRotationFileTest : public IvrRotationTest {
 protected:
  void SetUp() override {
    IvrRotationTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    PrepareBackup();
    PrepareTemplate();
    Insert(kBackupDsn, IvrCall{.id = 1, .stamp = "20250403101010"});
    Insert(kBackupDsn, IvrCall{.id = 2, .stamp = "20251231235959"});
    Insert(kBackupDsn, IvrDetail{.callId = 2, .stamp = "20251231235959"});
  }
  std::vector<Row> FileRows(const std::string& file, const std::string& table) {
    RawConnection db("Driver=SQLite3;Database=" + file);
    std::vector<Row> rows;
    EXPECT_TRUE(db.ok()) << db.error();
    EXPECT_TRUE(db.Query("SELECT CallId FROM " + table + " ORDER BY CallId", &rows, kNullText)) << db.error();
    return rows;
  }
};

TEST_P(IvrRotationFileTest, SetsTheFileAsideAndStartsAnEmptyOne) {
  // The live database file, of which the new backup file is a copy, holds
  // the rows of the last months.
  Insert(kTemplateDsn, IvrCall{.id = 5, .stamp = "20260301101010"});
  Insert(kTemplateDsn, IvrDetail{.callId = 5, .stamp = "20260301101010"});
  EXPECT_EQ(Rotate(), 1);
  std::string setAside = ScratchDir() + "/SarvoIVR_bak_20250403_20251231.mdb";
  EXPECT_EQ(FileRows(setAside, "IVRCALL"), (std::vector<Row>{{"1"}, {"2"}}));
  EXPECT_EQ(FileRows(setAside, "IVRDETAIL"), (std::vector<Row>{{"2"}}));
  EXPECT_TRUE(Rows(kBackupDsn, "IVRCALL").empty());
  EXPECT_TRUE(Rows(kBackupDsn, "IVRDETAIL").empty());
  EXPECT_EQ(FilesStartingWith(ScratchDir(), "SarvoIVR_bak_"),
            (std::vector<std::string>{"SarvoIVR_bak_20250403_20251231.mdb"}));
}

TEST_P(IvrRotationFileTest, NewFileThatCannotBeEmptiedIsRemovedAndTheOldOneKeepsItsName) {
  Exec(kTemplateDsn, "DROP TABLE IVRDETAIL");
  std::string before = ReadWholeFile(worker.backupFilePath);
  EXPECT_EQ(Rotate(), 0);
  EXPECT_EQ(ReadWholeFile(worker.backupFilePath), before);
  EXPECT_TRUE(FilesStartingWith(ScratchDir(), "SarvoIVR_bak_").empty());
  EXPECT_TRUE(TraceLog().Has("Failed to empty the new backup database, the rotation is undone. (IvrLog-445)"));
}

TEST_P(IvrRotationFileTest, FileThatCannotTakeItsNewNameStaysAsItWas) {
  std::string taken = ScratchDir() + "/SarvoIVR_bak_20250403_20251231.mdb";
  { std::ofstream(taken) << "in use"; }
  std::string before = ReadWholeFile(worker.backupFilePath);
  EXPECT_EQ(Rotate(), 0);
  EXPECT_EQ(worker.failedSteps, 1);
  EXPECT_EQ(ReadWholeFile(worker.backupFilePath), before);
  EXPECT_EQ(ReadWholeFile(taken), "in use");
  EXPECT_EQ(Rows(kBackupDsn, "IVRCALL").size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(worker.backupFilePath + ".new"));
}

// A backup file that the data source does not open is never renamed or
// emptied, whatever is at that name; a link to the data source's file is
// that file.
TEST_P(IvrRotationFileTest, OnlyTheFileTheDataSourceOpensIsRotated) {
  const std::string file = worker.backupFilePath;
  worker.backupFilePath = ScratchDir() + "/elsewhere.mdb";
  EXPECT_EQ(Rotate(), 0);
  EXPECT_EQ(worker.failedSteps, 1);
  EXPECT_EQ(Rows(kBackupDsn, "IVRCALL").size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(worker.backupFilePath));
  EXPECT_TRUE(TraceLog().Has("not the backup file " + worker.backupFilePath));

  worker.backupFilePath = ScratchDir() + "/link.mdb";
  std::filesystem::create_symlink(file, worker.backupFilePath);
  EXPECT_EQ(Rotate(), 1);
  EXPECT_EQ(FileRows(ScratchDir() + "/SarvoIVR_bak_20250403_20251231.mdb", "IVRCALL"),
            (std::vector<Row>{{"1"}, {"2"}}));
  EXPECT_TRUE(Rows(kBackupDsn, "IVRCALL").empty());
  EXPECT_TRUE(std::filesystem::is_symlink(worker.backupFilePath));
}

// A run stopped between giving the old file its set-aside name and putting
// the new file in place left a second name on the full file, and a new file
// with its journal beside it; a later month's run names the file by later
// dates. It starts again from the full file, never from an empty one, and
// the file has one set-aside name.
TEST_P(IvrRotationFileTest, RotationStoppedMidwayIsDoneAgainFromTheFullFile) {
  const std::string earlierName = ScratchDir() + "/SarvoIVR_bak_20250403_20251130.mdb";
  std::filesystem::create_hard_link(worker.backupFilePath, earlierName);
  for (const char* left : {".new", ".new-journal", ".new-1", ".new-1-journal"}) {
    std::ofstream(worker.backupFilePath + left) << "half a copy";
  }
  EXPECT_EQ(Rotate(), 1);
  const std::string setAside = ScratchDir() + "/SarvoIVR_bak_20250403_20251231.mdb";
  EXPECT_EQ(FileRows(setAside, "IVRCALL"), (std::vector<Row>{{"1"}, {"2"}}));
  EXPECT_EQ(FileRows(setAside, "IVRDETAIL"), (std::vector<Row>{{"2"}}));
  EXPECT_TRUE(Rows(kBackupDsn, "IVRCALL").empty());
  EXPECT_EQ(FilesStartingWith(ScratchDir(), "SarvoIVR_bak_"),
            (std::vector<std::string>{"SarvoIVR_bak_20250403_20251231.mdb"}));
  const std::string base = std::filesystem::path(worker.backupFilePath).filename().string();
  EXPECT_TRUE(FilesStartingWith(ScratchDir(), base + ".new").empty());
}

// A file set aside with an unfinished move would take the journal's entry
// along, and the next night would copy the rows still live once more.
TEST_P(IvrRotationFileTest, UnfinishedMoveKeepsTheFileFromBeingSetAside) {
  OSql backup;
  ASSERT_EQ(backup.Connect(kBackupDsn, "", ""), 1);
  ASSERT_EQ(EnsureMoveJournal(backup), 1);
  ASSERT_EQ(RecordMove(backup, "IVRCALL", "20251201000000", 2, "20260301020000"), 1);
  backup.Disconnect();
  const std::string before = ReadWholeFile(worker.backupFilePath);
  EXPECT_EQ(Rotate(), 0);
  EXPECT_EQ(worker.failedSteps, 1);
  EXPECT_EQ(ReadWholeFile(worker.backupFilePath), before);
  EXPECT_TRUE(FilesStartingWith(ScratchDir(), "SarvoIVR_bak_").empty());
  EXPECT_TRUE(TraceLog().Has("is not set aside while a move of old rows into it is unfinished"));
}

// Another connection that has the backup file open in write-ahead-log mode
// keeps committed rows in the log, which a name given to the file does not
// take along: the file stays until that connection closes, and then goes
// with every row. The new file, a copy of a file in that mode, keeps its
// changes in a rollback journal, so that the file alone is the database.
TEST_P(IvrRotationFileTest, FileOpenElsewhereInWalModeStaysUntilItIsClosed) {
  for (const std::string& file : {worker.backupFilePath, worker.newBackupSourcePath}) {
    RawConnection db("Driver=SQLite3;Database=" + file);
    ASSERT_TRUE(db.Exec("PRAGMA journal_mode=WAL")) << db.error();
  }
  const std::string setAside = ScratchDir() + "/SarvoIVR_bak_20250403_20251231.mdb";
  {
    RawConnection elsewhere("Driver=SQLite3;Database=" + worker.backupFilePath);
    std::vector<Row> rows;
    ASSERT_TRUE(elsewhere.Query("SELECT count(*) FROM IVRCALL", &rows, kNullText)) << elsewhere.error();
    Insert(kBackupDsn, IvrCall{.id = 3, .stamp = "20251101000000"});
    EXPECT_EQ(Rotate(), 0);
    EXPECT_EQ(worker.failedSteps, 1);
    EXPECT_TRUE(TraceLog().Has("is open elsewhere")) << TraceLog().Text();
    EXPECT_EQ(Rows(kBackupDsn, "IVRCALL").size(), 3u);
    EXPECT_TRUE(FilesStartingWith(ScratchDir(), "SarvoIVR_bak_").empty());
  }
  EXPECT_EQ(Rotate(), 1);
  EXPECT_EQ(FileRows(setAside, "IVRCALL"), (std::vector<Row>{{"1"}, {"2"}, {"3"}}));
  RawConnection fresh("Driver=SQLite3;Database=" + worker.backupFilePath);
  std::vector<Row> mode;
  ASSERT_TRUE(fresh.Query("PRAGMA journal_mode", &mode, kNullText)) << fresh.error();
  EXPECT_EQ(mode, (std::vector<Row>{{"delete"}}));
}

// The host names set-aside files after the file a link leads to, beside
// it: a hard link cannot leave the file's own file system.
TEST_P(IvrRotationFileTest, LinkedBackupFileIsSetAsideBesideItsTarget) {
  const std::string link = worker.backupFilePath;
  const std::string folder = ScratchDir() + "/elsewhere";
  std::filesystem::create_directory(folder);
  const std::string target = folder + "/ivr_backup.sqlite";
  std::filesystem::rename(link, target);
  std::filesystem::create_symlink(target, link);
  IvrHostSettings settings{.liveDsn = kLiveDsn, .backupDsn = kBackupDsn, .backupFile = link,
                           .newBackupSource = worker.newBackupSourcePath};
  CIvrHost host(&worker, &MessagePool, settings);
  EXPECT_EQ(Rotate(), 1);
  EXPECT_EQ(FileRows(folder + "/ivr_backup_20250403_20251231.sqlite", "IVRCALL"), (std::vector<Row>{{"1"}, {"2"}}));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(Rows(kBackupDsn, "IVRCALL").empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, IvrRotationFileTest, ::testing::Values(std::string("SQLite")),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace ivr_test
