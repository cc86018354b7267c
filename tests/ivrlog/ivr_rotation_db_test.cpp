// Setting the backup database file aside. Whether the file is due is decided
// from the backup database, on every backend; the renaming and copying of
// files is tried on SQLite, whose database is a file (a server database has
// none to set aside).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ivrlog/ivr_fixture.h"
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
// the new file in place left both names on the full file and a new file
// beside it: the next run starts again from the full file, never from an
// empty one.
TEST_P(IvrRotationFileTest, RotationStoppedMidwayIsDoneAgainFromTheFullFile) {
  const std::string setAside = ScratchDir() + "/SarvoIVR_bak_20250403_20251231.mdb";
  std::filesystem::create_hard_link(worker.backupFilePath, setAside);
  { std::ofstream(worker.backupFilePath + ".new") << "half a copy"; }
  EXPECT_EQ(Rotate(), 1);
  EXPECT_EQ(FileRows(setAside, "IVRCALL"), (std::vector<Row>{{"1"}, {"2"}}));
  EXPECT_EQ(FileRows(setAside, "IVRDETAIL"), (std::vector<Row>{{"2"}}));
  EXPECT_TRUE(Rows(kBackupDsn, "IVRCALL").empty());
  EXPECT_FALSE(std::filesystem::exists(worker.backupFilePath + ".new"));
}

INSTANTIATE_TEST_SUITE_P(Backends, IvrRotationFileTest, ::testing::Values(std::string("SQLite")),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace ivr_test
