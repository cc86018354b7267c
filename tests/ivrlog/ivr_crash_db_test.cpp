// nortesk-etp ivr-maintain --once killed with SIGKILL at a random instant,
// then run again to its end, many times over: after every such pair each
// row is in exactly one database (the live one, the backup, or a set-aside
// backup file), with its values unchanged. On SQLite a rotation is due, so
// that the kills fall on the copies, the deletion, the commits and the
// setting aside alike; on a server the backup has no file, and only rows
// move. The instants come from a fixed seed: a failure is the same on every
// run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ivrlog/ivr_fixture.h"
#include "support/raw_odbc.h"
#include "support/tool_runner.h"

namespace ivr_test {
namespace {

namespace fs = std::filesystem;

// Kills per backend: a SQLite pair takes about a tenth of a second, a
// server's more.
constexpr int kSqliteKills = 200;
constexpr int kServerKills = 50;
constexpr unsigned kSeed = 20260510;

// Rows are told apart by table as well as by their values.
using Tagged = std::pair<std::string, Row>;

class IvrCrashTest : public IvrDbTest {
 protected:
  // Calls every third day from October 2024 to May 2026, with two detail
  // rows each; those before November 2024 are already in the backup.
  void Fill() {
    AddDataSource(kLiveDsn);
    CreateIvrTables(kLiveDsn);
    PrepareBackup();
    std::string live, backup;
    int id = 1;
    for (int year = 2024; year <= 2026; ++year) {
      for (int month = 1; month <= 12; ++month) {
        if ((year == 2024 && month < 10) || (year == 2026 && month > 5)) continue;
        for (int day = 1; day <= 28; day += 3, ++id) {
          char stamp[32];
          std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d00", year, month, day, id % 24, id % 60);
          IvrCall call{.id = id, .stamp = stamp, .duration = std::to_string(id * 7 % 300)};
          if (id % 5 == 0) call.charge = "NULL";
          std::string& into = year == 2024 && month < 11 ? backup : live;
          into += InsertText(call) + ";";
          for (int step = 1; step <= 2; ++step) {
            into += InsertText(IvrDetail{.callId = id, .stamp = stamp, .stepNo = std::to_string(step)}) + ";";
          }
        }
      }
    }
    Exec(kLiveDsn, live);
    Exec(kBackupDsn, backup);
    liveStatements_ = live;
    backupStatements_ = backup;
    if (HasDatabaseFile()) {
      liveFile_ = DataSourceFile(kLiveDsn);
      backupFile_ = DataSourceFile(kBackupDsn);
      fs::copy_file(liveFile_, ScratchDir() + "/pristine-live");
      fs::copy_file(backupFile_, ScratchDir() + "/pristine-backup");
    }
    expected_ = Everything();
  }

  // Puts both databases back as Fill left them, and removes whatever a run
  // made beside them.
  void Restore() {
    if (!HasDatabaseFile()) {
      for (const char* table : {"IVRCALL", "IVRDETAIL"}) {
        Exec(kLiveDsn, std::string("DELETE FROM ") + table);
        Exec(kBackupDsn, std::string("DELETE FROM ") + table);
      }
      TryExec(kBackupDsn, "DELETE FROM IVRMOVE");
      Exec(kLiveDsn, liveStatements_);
      Exec(kBackupDsn, backupStatements_);
      return;
    }
    const fs::path backup(backupFile_);
    for (const std::string& name : FilesStartingWith(ScratchDir(), backup.stem().string())) {
      fs::remove(ScratchDir() + "/" + name);
    }
    for (const char* suffix : {"-journal", "-wal", "-shm"}) fs::remove(liveFile_ + suffix);
    fs::copy_file(ScratchDir() + "/pristine-live", liveFile_, fs::copy_options::overwrite_existing);
    fs::copy_file(ScratchDir() + "/pristine-backup", backupFile_, fs::copy_options::overwrite_existing);
  }

  // One run of the program; killed `killAfter` microseconds after its
  // start when not negative.
  ToolRun Maintain(int64_t killAfter) {
    ToolOptions run;
    // On SQLite the clock runs a thousand times fast from noon, so that the
    // pauses around the renaming take milliseconds; the day stays the same.
    // A server's client would see its connect timeout expire as fast: its
    // clock stands still (no file, no rotation, no pauses).
    run.frozenClock = HasDatabaseFile() ? "@2026-05-10 12:00:00 x1000" : "2026-05-10 12:00:00";
    run.arguments = {"ivr-maintain", "--once", "--live", kLiveDsn, "--trace", ScratchDir() + "/nortesk-ivr.log"};
    if (HasDatabaseFile()) {
      // As a site runs it: a new backup file is a copy of the live one.
      run.arguments.insert(run.arguments.end(), {"--backup-file", backupFile_, "--new-backup-source", liveFile_});
    }
    run.killAfterMicroseconds = killAfter;
    return RunTool("", run);
  }

  // The rows of every database: live, backup, and on SQLite every set-aside
  // file (each file once, however many names it has).
  std::vector<Tagged> Everything() {
    std::vector<Tagged> rows;
    auto add = [&](const std::string& table, const std::vector<Row>& found) {
      for (const Row& row : found) rows.emplace_back(table, row);
    };
    for (const char* table : {"IVRCALL", "IVRDETAIL"}) {
      add(table, Rows(kLiveDsn, table));
      if (!HasDatabaseFile()) add(table, Rows(kBackupDsn, table));
    }
    if (!HasDatabaseFile()) return rows;
    std::set<std::pair<dev_t, ino_t>> seen;
    const fs::path backup(backupFile_);
    std::vector<std::string> files{backup.filename().string()};
    for (const std::string& name : FilesStartingWith(ScratchDir(), backup.stem().string() + "_")) {
      if (name.find("-journal") == std::string::npos) files.push_back(name);
    }
    for (const std::string& name : files) {
      const std::string path = ScratchDir() + "/" + name;
      struct stat status {};
      if (stat(path.c_str(), &status) != 0 || !seen.insert({status.st_dev, status.st_ino}).second) continue;
      RawConnection file("Driver=SQLite3;Database=" + path);
      for (const char* table : {"IVRCALL", "IVRDETAIL"}) {
        std::vector<Row> found;
        EXPECT_TRUE(file.Query(std::string("SELECT * FROM ") + table, &found, kNullText)) << path;
        add(table, found);
      }
    }
    return rows;
  }

  // Rows of Fill missing now, and rows now found more often than Fill made
  // them (or never made).
  void Count(int* lost, int* duplicated) {
    std::map<Tagged, int> difference;
    for (const Tagged& row : expected_) --difference[row];
    for (const Tagged& row : Everything()) ++difference[row];
    for (const auto& [row, count] : difference) {
      if (count < 0) *lost -= count;
      if (count > 0) *duplicated += count;
    }
  }

  std::string liveFile_, backupFile_;
  std::string liveStatements_, backupStatements_;
  std::vector<Tagged> expected_;
};

TEST_P(IvrCrashTest, KilledAnywhereEveryRowEndsInExactlyOneDatabase) {
  Fill();
  ASSERT_GT(expected_.size(), 500u);
  // How long a whole run takes (the shortest of three, the first of which
  // also creates what a first run creates): the instants are spread over it.
  int64_t runMicroseconds = INT64_MAX;
  for (int run = 0; run < 3; ++run) {
    if (run > 0) Restore();
    const auto start = std::chrono::steady_clock::now();
    ToolRun whole = Maintain(-1);
    runMicroseconds = std::min<int64_t>(
        runMicroseconds,
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count());
    ASSERT_EQ(whole.status, 0) << whole.err;
  }
  if (HasDatabaseFile()) {
    ASSERT_EQ(FilesStartingWith(ScratchDir(), fs::path(backupFile_).stem().string() + "_").size(), 1u)
        << "the rotation was due";
  }
  int lost = 0, duplicated = 0;
  Count(&lost, &duplicated);
  ASSERT_EQ(lost + duplicated, 0);

  std::mt19937 random(kSeed);
  std::uniform_int_distribution<int64_t> instant(0, runMicroseconds);
  const int kills = HasDatabaseFile() ? kSqliteKills : kServerKills;
  int killedMidway = 0, failedAgain = 0;
  for (int kill = 0; kill < kills; ++kill) {
    Restore();
    const ToolRun killed = Maintain(instant(random));
    if (killed.status < 0) ++killedMidway;
    const ToolRun again = Maintain(-1);
    if (again.status != 0 && ++failedAgain == 1) {
      ADD_FAILURE() << "the run after kill " << kill << " failed:\n" << ReadWholeFile(ScratchDir() + "/nortesk-ivr.log");
    }
    const int lostBefore = lost, duplicatedBefore = duplicated;
    Count(&lost, &duplicated);
    EXPECT_EQ(lost, lostBefore) << "kill " << kill;
    EXPECT_EQ(duplicated, duplicatedBefore) << "kill " << kill;
  }
  std::printf("%s: %d kills (%d before the run ended, over %lld us), %d rows lost, %d duplicated, %d second runs "
              "failed\n",
              BackendName().c_str(), kills, killedMidway, static_cast<long long>(runMicroseconds), lost, duplicated,
              failedAgain);
  EXPECT_EQ(failedAgain, 0);
  EXPECT_GT(killedMidway, 0);
}

INSTANTIATE_BACKENDS(IvrCrashTest);

}  // namespace
}  // namespace ivr_test
