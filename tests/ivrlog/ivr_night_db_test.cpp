// A whole night of the IVR worker on real databases: Run once a minute from
// 01:00 to 02:15 with the clock pinned, on every backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ivrlog/ivr_fixture.h"
#include "support/raw_odbc.h"

namespace ivr_test {
namespace {

class IvrNightTest : public IvrDbTest {
 protected:
  // Live rows on both sides of the cut-off of 10 May 2026 (1 February 2026)
  // and a backup that already holds a call of July 2025, far enough back to
  // be set aside that night.
  void Fill() {
    Insert(kLiveDsn, IvrCall{.id = 1, .stamp = "20251231235959", .transcript = "'" + std::string(300, 't') + "'"});
    Insert(kLiveDsn, IvrCall{.id = 2, .stamp = "20260131235959", .callerNum = "NULL", .charge = "NULL"});
    Insert(kLiveDsn, IvrCall{.id = 3, .stamp = "20260201000000"});
    Insert(kLiveDsn, IvrCall{.id = 4, .stamp = "20260509120000", .transcript = "'it''s'"});
    Insert(kLiveDsn, IvrDetail{.callId = 1, .stamp = "20251231235959", .note = "'O''Brien'"});
    Insert(kLiveDsn, IvrDetail{.callId = 1, .stamp = "20251231235959", .stepNo = "2"});
    Insert(kLiveDsn, IvrDetail{.callId = 3, .stamp = "20260201000000"});
    Insert(kBackupDsn, IvrCall{.id = 90, .stamp = "20250715080000"});
  }
};

TEST_P(IvrNightTest, CopiesAtTwoRotatesAtTwoOhTwoClosesAtTwoOhSixDoneAtTwoEleven) {
  PrepareLive();
  PrepareBackup();
  PrepareTemplate();
  Fill();
  const std::string cutoff = "20260201000000";
  std::vector<Row> oldCalls = RowsBefore(kLiveDsn, "IVRCALL", cutoff);
  std::vector<Row> oldDetails = RowsBefore(kLiveDsn, "IVRDETAIL", cutoff);
  std::vector<Row> keptCalls = Query(kLiveDsn, "SELECT * FROM IVRCALL WHERE TimeStamp >= '" + cutoff + "'");
  ASSERT_EQ(oldCalls.size(), 2u);
  ASSERT_EQ(oldDetails.size(), 2u);

  int copiedAt = -1, closedAt = -1, doneAt = -1;
  testing::internal::CaptureStdout();
  RunNight(2026, 5, 10, [&](int minute) {
    if (copiedAt < 0 && RowsBefore(kLiveDsn, "IVRCALL", cutoff).empty()) copiedAt = minute;
    if (closedAt < 0 && !worker.liveSession.IsOpen()) closedAt = minute;
    if (doneAt < 0 && TraceLog().Has("Midnight task is done. (IvrLog-273)")) doneAt = minute;
    if (minute == 2 * 60) {
      // Between the copy and the rotation the backup holds the old rows.
      std::vector<Row> backupCalls = Rows(kBackupDsn, "IVRCALL");
      for (const Row& row : oldCalls) EXPECT_EQ(Tally(backupCalls)[row], 1);
      EXPECT_EQ(Rows(kBackupDsn, "IVRDETAIL"), oldDetails);
    }
  });
  std::string printed = testing::internal::GetCapturedStdout();

  EXPECT_EQ(copiedAt, 2 * 60);
  // A server database, with no file, is not set aside.
  ASSERT_EQ(Sleeps().size(), HasDatabaseFile() ? 2u : 0u);
  if (HasDatabaseFile()) {
    EXPECT_EQ(Sleeps()[0].milliseconds, 2000u);
    EXPECT_EQ(Sleeps()[0].minuteOfDay, 2 * 60 + 2);
    EXPECT_EQ(Sleeps()[1].milliseconds, 500u);
    EXPECT_EQ(Sleeps()[1].minuteOfDay, 2 * 60 + 2);
  }
  EXPECT_EQ(closedAt, 2 * 60 + 6);
  EXPECT_EQ(doneAt, 2 * 60 + 11);
  EXPECT_EQ(worker.scheduleStep, 0);
  EXPECT_STREQ(worker.lastRunDate, "20260510");
  EXPECT_EQ(printed,
            "Today is 2026/05/10\n"
            "Retain 3 month, begin date is 2026/02/01\n"
            "Today is 2026/05/10\n"
            "Retain 9 month, begin date is 2025/08/01\n"
            "Backup retain 6 month, end date is 2026/02/01\n");

  // Rows from the cut-off on are untouched; the older ones left live.
  EXPECT_EQ(Query(kLiveDsn, "SELECT * FROM IVRCALL WHERE TimeStamp >= '" + cutoff + "'"), keptCalls);
  EXPECT_TRUE(RowsBefore(kLiveDsn, "IVRCALL", cutoff).empty());
  EXPECT_TRUE(RowsBefore(kLiveDsn, "IVRDETAIL", cutoff).empty());
  EXPECT_EQ(Rows(kLiveDsn, "IVRDETAIL").size(), 1u);

  if (!HasDatabaseFile()) {
    // A server database has no file to set aside: the rows stay in the
    // backup database, and no file appeared.
    std::vector<Row> backupCalls = Rows(kBackupDsn, "IVRCALL");
    EXPECT_EQ(backupCalls.size(), 3u);
    for (const Row& row : oldCalls) EXPECT_EQ(Tally(backupCalls)[row], 1);
    EXPECT_EQ(Rows(kBackupDsn, "IVRDETAIL"), oldDetails);
    EXPECT_TRUE(FilesStartingWith(ScratchDir(), "SarvoIVR_bak").empty());
  } else {
    // The full backup file was set aside under its first and last call
    // dates, and the data source reaches a fresh, empty one.
    std::string setAside = worker.setAsidePrefix + "_20250715_20260131.mdb";
    RawConnection old("Driver=SQLite3;Database=" + setAside);
    ASSERT_TRUE(old.ok()) << old.error();
    std::vector<Row> setAsideCalls;
    ASSERT_TRUE(old.Query("SELECT * FROM IVRCALL", &setAsideCalls, kNullText));
    std::sort(setAsideCalls.begin(), setAsideCalls.end());
    EXPECT_EQ(setAsideCalls.size(), 3u);
    for (const Row& row : oldCalls) EXPECT_EQ(Tally(setAsideCalls)[row], 1);
    std::vector<Row> setAsideDetails;
    ASSERT_TRUE(old.Query("SELECT * FROM IVRDETAIL", &setAsideDetails, kNullText));
    std::sort(setAsideDetails.begin(), setAsideDetails.end());
    EXPECT_EQ(setAsideDetails, oldDetails);
    EXPECT_TRUE(Rows(kBackupDsn, "IVRCALL").empty());
  }
}

TEST_P(IvrNightTest, ALaterNightOfTheSameMonthMovesNothing) {
  PrepareLive();
  PrepareBackup();
  PrepareTemplate();
  Fill();
  RunNight(2026, 5, 10);
  // A row that turns up late, dated before the cut-off, waits for June.
  Insert(kLiveDsn, IvrCall{.id = 5, .stamp = "20260115000000"});
  ASSERT_EQ(worker.OpenLiveSession(kLiveDsn), 1);
  testing::internal::CaptureStdout();
  RunNight(2026, 5, 11);
  std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed.find("Retain 3 month"), std::string::npos) << printed;
  EXPECT_EQ(RowsBefore(kLiveDsn, "IVRCALL", "20260201000000").size(), 1u);

  ASSERT_EQ(worker.OpenLiveSession(kLiveDsn), 1);
  RunNight(2026, 6, 2);
  EXPECT_TRUE(RowsBefore(kLiveDsn, "IVRCALL", "20260301000000").empty());
  EXPECT_STREQ(worker.lastRunDate, "20260602");
}

TEST_P(IvrNightTest, NothingHappensWithoutARunInTheFirstHour) {
  PrepareLive();
  PrepareBackup();
  Fill();
  std::vector<Row> before = Rows(kLiveDsn, "IVRCALL");
  for (int minute = 2 * 60; minute < 3 * 60; ++minute) {
    SetLocalClock(2026, 5, 10, minute / 60, minute % 60);
    worker.Run();
  }
  EXPECT_EQ(Rows(kLiveDsn, "IVRCALL"), before);
  EXPECT_TRUE(worker.liveSession.IsOpen());
  EXPECT_TRUE(Sleeps().empty());
  EXPECT_FALSE(TraceLog().Has("Midnight task is done"));
}

INSTANTIATE_BACKENDS(IvrNightTest);

}  // namespace
}  // namespace ivr_test
