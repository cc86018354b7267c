// nortesk-etp ivr-maintain on every backend: one night's work run by the
// program (--once), and the daemon driven minute by minute in this process
// through two nights and a stop signal in the middle of a copy.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <string>
#include <vector>

#include "cli/ivr_maintain_command.h"
#include "ivrlog/ivr_fixture.h"
#include "ivrlog/minute_ticker.h"
#include "platform/exclusive_lock.h"
#include "support/raw_odbc.h"
#include "support/tool_runner.h"

namespace ivr_test {
namespace {

// YYYYMMDDhhmmss of a UTC date `days` after 1 May 2025, at `hour`.
std::string StampOf(int days, int hour) {
  std::tm tm{};
  tm.tm_year = 2025 - 1900;
  tm.tm_mon = 4;
  tm.tm_mday = 1 + days;
  tm.tm_hour = hour;
  time_t t = timegm(&tm);
  gmtime_r(&t, &tm);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &tm);
  return text;
}

class IvrMaintainTest : public IvrDbTest {
 protected:
  // A call every other day from 1 May 2025 to 9 May 2026, each with a detail
  // row; values of every kind, some NULL.
  void FillLive() {
    AddDataSource(kLiveDsn);
    CreateIvrTables(kLiveDsn);
    std::string statements;
    for (int day = 0, id = 1; StampOf(day, 0) < "20260510"; day += 2, ++id) {
      const std::string stamp = StampOf(day, id % 24);
      IvrCall call{.id = id, .stamp = stamp, .duration = std::to_string(id * 7 % 300)};
      if (id % 5 == 0) call.charge = "NULL";
      statements += InsertText(call) + ";";
      statements += InsertText(IvrDetail{.callId = id, .stamp = stamp, .stepNo = std::to_string(id % 4)}) + ";";
    }
    Exec(kLiveDsn, statements);
  }

  IvrMaintainOptions Options() const {
    IvrMaintainOptions options;
    options.host.liveDsn = kLiveDsn;
    options.host.backupDsn = kBackupDsn;
    options.tracePath = ScratchDir() + "/nortesk-ivr.log";
    return options;
  }
};

TEST_P(IvrMaintainTest, OnceMovesTheOldRowsExactlyAndRotatesADueBackupFile) {
  FillLive();
  PrepareBackup();
  PrepareTemplate();
  const std::string cutoff = "20260201000000";  // three months before 10 May 2026
  const std::vector<Row> oldCalls = RowsBefore(kLiveDsn, "IVRCALL", cutoff);
  const std::vector<Row> oldDetails = RowsBefore(kLiveDsn, "IVRDETAIL", cutoff);
  const size_t calls = Rows(kLiveDsn, "IVRCALL").size();
  ASSERT_GT(oldCalls.size(), 100u);

  ToolOptions run;
  run.frozenClock = "2026-05-10 12:00:00";
  const IvrMaintainOptions options = Options();
  run.arguments = {"ivr-maintain", "--once", "--live", kLiveDsn, "--trace", options.tracePath};
  // The backup file holds calls from May 2025 on: due to be set aside.
  if (HasDatabaseFile()) {
    run.arguments.insert(run.arguments.end(), {"--backup-file", worker.backupFilePath, "--new-backup-source",
                                               worker.newBackupSourcePath});
  }
  ToolRun result = RunTool("", run);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(ReadWholeFile(options.tracePath).find("The night's work is done. (IvrHost-80)"), std::string::npos);

  EXPECT_TRUE(RowsBefore(kLiveDsn, "IVRCALL", cutoff).empty());
  EXPECT_TRUE(RowsBefore(kLiveDsn, "IVRDETAIL", cutoff).empty());
  EXPECT_EQ(Rows(kLiveDsn, "IVRCALL").size(), calls - oldCalls.size());
  if (!HasDatabaseFile()) {
    EXPECT_EQ(Rows(kBackupDsn, "IVRCALL"), oldCalls);
    EXPECT_EQ(Rows(kBackupDsn, "IVRDETAIL"), oldDetails);
    return;
  }
  // The old rows went into the backup file, which was then set aside under
  // the dates of its first and last call, and a new empty one took its place.
  std::vector<std::string> stamps;
  for (const Row& row : oldCalls) stamps.push_back(row[1].substr(0, 8));
  std::sort(stamps.begin(), stamps.end());
  const std::filesystem::path file(worker.backupFilePath);
  const std::string name = file.stem().string() + "_" + stamps.front() + "_" + stamps.back() + ".sqlite";
  ASSERT_EQ(FilesStartingWith(ScratchDir(), file.stem().string() + "_"), std::vector<std::string>{name});
  RawConnection setAside("Driver=SQLite3;Database=" + ScratchDir() + "/" + name);
  std::vector<Row> asideCalls, asideDetails;
  ASSERT_TRUE(setAside.Query("SELECT * FROM IVRCALL", &asideCalls, kNullText));
  ASSERT_TRUE(setAside.Query("SELECT * FROM IVRDETAIL", &asideDetails, kNullText));
  std::sort(asideCalls.begin(), asideCalls.end());
  std::sort(asideDetails.begin(), asideDetails.end());
  EXPECT_EQ(asideCalls, oldCalls);
  EXPECT_EQ(asideDetails, oldDetails);
  EXPECT_TRUE(Rows(kBackupDsn, "IVRCALL").empty());
}

TEST_P(IvrMaintainTest, OnceWithAnUnreachableBackupFailsAndKeepsEveryRow) {
  FillLive();
  AddUnreachableDataSource(kBackupDsn);
  const std::vector<Row> before = Rows(kLiveDsn, "IVRCALL");
  ToolOptions run;
  run.frozenClock = "2026-05-10 12:00:00";
  const std::string trace = Options().tracePath;
  run.arguments = {"ivr-maintain", "--once", "--live", kLiveDsn, "--trace", trace};
  ToolRun result = RunTool("", run);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(ReadWholeFile(trace).find("Failed to open backup database SarvoIVR_bak, old rows are kept. (IvrLog-290)"),
            std::string::npos);
  EXPECT_EQ(Rows(kLiveDsn, "IVRCALL"), before);
}

// The rotation renames and empties the file named by --backup-file: one that
// the backup data source does not open (another file, or none at all on a
// server) is refused before any work.
TEST_P(IvrMaintainTest, OnceRefusesABackupFileThatTheDataSourceDoesNotOpen) {
  FillLive();
  PrepareBackup();
  const std::vector<Row> before = Rows(kLiveDsn, "IVRCALL");
  const std::string other = ScratchDir() + "/other.sqlite";
  { std::ofstream(other) << "another file"; }
  ToolOptions run;
  run.frozenClock = "2026-05-10 12:00:00";
  run.arguments = {"ivr-maintain", "--once", "--live", kLiveDsn, "--trace", Options().tracePath,
                   "--backup-file", other, "--new-backup-source", other};
  ToolRun result = RunTool("", run);
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find(HasDatabaseFile() ? "--backup-file " + other + " is not the file that the backup data "
                                                  "source SarvoIVR_bak opens (" + worker.backupFilePath + ")"
                                              : std::string("is not a database file")),
            std::string::npos)
      << result.err;
  EXPECT_EQ(Rows(kLiveDsn, "IVRCALL"), before);
  EXPECT_TRUE(Rows(kBackupDsn, "IVRCALL").empty());
}

// A timer's run and one started by hand, at once, would each make and
// rename a new backup file of the other's: the second exits at once,
// naming the holder of the lock, and moves nothing.
TEST_P(IvrMaintainTest, OnceWhileAnotherRunHoldsTheBackupFileDoesNothing) {
  if (!HasDatabaseFile()) GTEST_SKIP() << "a server database has no backup file to hold";
  FillLive();
  PrepareBackup();
  PrepareTemplate();
  const std::vector<Row> before = Rows(kLiveDsn, "IVRCALL");
  CExclusiveLock other;
  std::string holder;
  ASSERT_TRUE(other.TryAcquire(worker.backupFilePath + ".lock", &holder)) << holder;
  ToolOptions run;
  run.frozenClock = "2026-05-10 12:00:00";
  run.arguments = {"ivr-maintain", "--once", "--live", kLiveDsn, "--trace", Options().tracePath,
                   "--backup-file", worker.backupFilePath, "--new-backup-source", worker.newBackupSourcePath};
  ToolRun result = RunTool("", run);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("is being maintained by process " + std::to_string(getpid())), std::string::npos)
      << result.err;
  EXPECT_EQ(Rows(kLiveDsn, "IVRCALL"), before);
  EXPECT_TRUE(Rows(kBackupDsn, "IVRCALL").empty());
}

void SignalDuringCopy(CIvrLog&, const char* table) {
  if (std::string(table) == "IVRCALL") kill(getpid(), SIGTERM);
}

// systemd stops a --once run with SIGTERM: the move in progress finishes,
// whole, and the rotation waits for the next run.
TEST_P(IvrMaintainTest, OnceFinishesTheStepInProgressOnSigterm) {
  FillLive();
  PrepareBackup();
  PrepareTemplate();
  SetLocalClock(2026, 5, 10, 12, 0);
  const std::string cutoff = "20260201000000";
  const std::vector<Row> oldCalls = RowsBefore(kLiveDsn, "IVRCALL", cutoff);
  IvrMaintainOptions options = Options();
  options.once = true;
  if (HasDatabaseFile()) {
    options.host.backupFile = worker.backupFilePath;
    options.host.newBackupSource = worker.newBackupSourcePath;
  }
  IvrLog.rowsCopiedHook = &SignalDuringCopy;
  testing::internal::CaptureStdout();
  const int status = RunIvrMaintain(options);
  testing::internal::GetCapturedStdout();
  IvrLog.rowsCopiedHook = nullptr;
  EXPECT_EQ(status, 1);
  EXPECT_EQ(Rows(kBackupDsn, "IVRCALL"), oldCalls);
  EXPECT_TRUE(RowsBefore(kLiveDsn, "IVRDETAIL", cutoff).empty());
  EXPECT_TRUE(FilesStartingWith(ScratchDir(), "SarvoIVR_bak_").empty());
  const std::string trace = ReadWholeFile(options.tracePath);
  EXPECT_NE(trace.find("Stopped before 1 of the night's steps; the next run takes them"), std::string::npos) << trace;
}

// --- The daemon ---

// Minutes of two nights, 31 May and 1 June 2026, 01:00 to 02:15 each; a
// stop signal raised during the second night's copy ends the ticks there.
class NightsTicker : public CMinuteTicker {
 public:
  bool WaitForNextMinute() override {
    if (signalled) {
      WaitUntilStopped();  // as the wall clock's ticker does between minutes
      return false;
    }
    if (Stopped() || next_ >= 2 * kMinutesANight) return false;
    const int day = next_ < kMinutesANight ? 31 : 1;
    const int minute = 60 + next_ % kMinutesANight;
    SetLocalClock(2026, day == 31 ? 5 : 6, day, minute / 60, minute % 60);
    ++next_;
    return true;
  }
  static inline std::atomic<bool> signalled = false;

 private:
  static constexpr int kMinutesANight = 76;
  int next_ = 0;
};

void SignalDuringJuneCopy(CIvrLog&, const char* table) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  if (now.wMonth != 6 || std::string(table) != "IVRCALL") return;
  NightsTicker::signalled = true;
  kill(getpid(), SIGTERM);
}

TEST_P(IvrMaintainTest, DaemonRunsTwoNightsAndFinishesTheCopyOnSigterm) {
  FillLive();
  PrepareBackup();
  const std::vector<Row> calls = Rows(kLiveDsn, "IVRCALL");
  const std::vector<Row> details = Rows(kLiveDsn, "IVRDETAIL");
  IvrLog.rowsCopiedHook = &SignalDuringJuneCopy;
  NightsTicker ticker;
  testing::internal::CaptureStdout();
  const int status = RunIvrMaintain(Options(), &ticker);
  testing::internal::GetCapturedStdout();
  IvrLog.rowsCopiedHook = nullptr;
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(NightsTicker::signalled);
  // The first night moved what lay before February, closed the live session
  // at 02:06; the second, reopened, what lay before March, both tables whole
  // although the signal came between copying and deleting.
  const std::string cutoff = "20260301000000";
  std::vector<Row> oldCalls, oldDetails;
  for (const Row& row : calls) {
    if (row[1] < cutoff) oldCalls.push_back(row);
  }
  for (const Row& row : details) {
    if (row[1] < cutoff) oldDetails.push_back(row);
  }
  EXPECT_EQ(Rows(kBackupDsn, "IVRCALL"), oldCalls);
  EXPECT_EQ(Rows(kBackupDsn, "IVRDETAIL"), oldDetails);
  EXPECT_TRUE(RowsBefore(kLiveDsn, "IVRCALL", cutoff).empty());
  EXPECT_TRUE(RowsBefore(kLiveDsn, "IVRDETAIL", cutoff).empty());
  EXPECT_EQ(Rows(kLiveDsn, "IVRCALL").size() + Rows(kBackupDsn, "IVRCALL").size(), calls.size());
  const std::string trace = ReadWholeFile(Options().tracePath);
  EXPECT_NE(trace.find("Midnight task is done. (IvrLog-273)"), std::string::npos);
  EXPECT_NE(trace.find("Signal 15: stopping after the step in progress. (IvrMaintain-30)"), std::string::npos);
  EXPECT_NE(trace.find("IVR maintenance stopped. (IvrMaintain-35)"), std::string::npos);
  EXPECT_FALSE(IvrLog.liveSession.IsOpen());
  EXPECT_FALSE(ProcessTrace.isOpen);
}

INSTANTIATE_BACKENDS(IvrMaintainTest);

}  // namespace
}  // namespace ivr_test
