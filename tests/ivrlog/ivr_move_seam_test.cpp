// The nightly move of old rows over the scripted driver, whose commits can
// fail: the live and the backup database are two data sources that cannot
// commit as one, and whichever of the two fails, no row is lost and none is
// copied twice. Each case fails the commit of IVRCALL's move only, so that
// IVRDETAIL's move, which follows, shows what a whole move commits.
#include <gtest/gtest.h>

#include <string>

#include "ivrlog/ivr_log.h"
#include "ivrlog/ivr_time.h"
#include "support/fake_odbc/fake_odbc.h"

namespace ivr_test {
namespace {

constexpr char kLive[] = "SarvoIVR";
constexpr char kBackup[] = "SarvoIVR_bak";
constexpr int kOldRows = 5;  // in each table

class IvrMoveSeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_odbc::Reset();
    SetLocalClock(2026, 5, 10, 12, 0);
    ASSERT_EQ(worker.OpenLiveSession(kLive), 1);
    fake_odbc::Script& script = fake_odbc::TheScript();
    script.rows = kOldRows;
    script.rowText = {"old"};
    script.rowCount = kOldRows;  // a deletion removes the rows copied
    script.emptyResultText = "FROM IVRMOVE";  // no move left unfinished
  }
  void TearDown() override {
    worker.liveSession.Disconnect();
    worker.backupSession.Disconnect();
  }
  int Move() {
    testing::internal::CaptureStdout();
    int moved = worker.BackupOldRows();
    testing::internal::GetCapturedStdout();
    return moved;
  }

  PinnedTime time{"Europe/Berlin"};
  CIvrLog worker;
};

TEST_F(IvrMoveSeamTest, FailedCommitOfTheCopiesDeletesNothing) {
  fake_odbc::TheScript().failingCommits = {kBackup};
  EXPECT_EQ(Move(), 0);
  // IVRCALL: neither copied nor deleted; IVRDETAIL: moved.
  EXPECT_EQ(fake_odbc::Committed(kBackup).inserted, kOldRows);
  EXPECT_EQ(fake_odbc::Committed(kLive).deleted, kOldRows);
  EXPECT_EQ(worker.failedSteps, 1);
}

TEST_F(IvrMoveSeamTest, FailedCommitOfTheDeletionKeepsEachCopyOnce) {
  fake_odbc::TheScript().failingCommits = {kLive};
  EXPECT_EQ(Move(), 0);
  // IVRCALL's copies were committed first and stay, once each, while their
  // live rows are kept too (two data sources offer no way to undo a commit;
  // the move journal committed with the copies has the next run delete
  // them, see ivr_faults_db_test); IVRDETAIL: moved.
  EXPECT_EQ(fake_odbc::Committed(kBackup).inserted, 2 * kOldRows);
  EXPECT_EQ(fake_odbc::Committed(kLive).deleted, kOldRows);
  EXPECT_EQ(worker.failedSteps, 1);
}

}  // namespace
}  // namespace ivr_test
