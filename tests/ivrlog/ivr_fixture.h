// Shared set-up of the IVR worker's database tests: the live and backup IVR
// databases as data sources, their rows, and a worker whose files live in
// the scratch folder, with time pinned and the trace captured.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ivrlog/ivr_log.h"
#include "ivrlog/ivr_time.h"
#include "platform/local_time.h"
#include "platform/sleep.h"
#include "support/backend.h"
#include "trace/trace.h"

namespace ivr_test {

// The data source names the tests give the live and the backup database.
inline constexpr char kLiveDsn[] = "SarvoIVR";
inline constexpr char kBackupDsn[] = "SarvoIVR_bak";
inline constexpr char kTemplateDsn[] = "SarvoIVR_template";

// --- Data sources ---

// The database file behind a SQLite data source, read from the odbc.ini in
// force; "" when there is none.
inline std::string DataSourceFile(const std::string& dsn) {
  const char* ini = std::getenv("ODBCINI");
  if (ini == nullptr) return "";
  std::ifstream in(ini);
  std::string line;
  bool inSection = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '[') {
      inSection = line == "[" + dsn + "]";
    } else if (inSection && line.rfind("Database=", 0) == 0) {
      return line.substr(9);
    }
  }
  return "";
}

// Files in `folder` whose name starts with `prefix`, sorted.
inline std::vector<std::string> FilesStartingWith(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// --- Rows ---

// One IVRCALL row; every field is an SQL literal (NULL allowed).
struct IvrCall {
  int id = 1;
  std::string stamp;  // YYYYMMDDhhmmss, without quotes
  std::string callerNum = "'5551000'";
  std::string dialedNum = "'800'";
  std::string duration = "42";
  std::string charge = "12.25";
  std::string result = "'done'";
  std::string transcript = "'press one'";
};

// One IVRDETAIL row; fields as for IvrCall.
struct IvrDetail {
  int callId = 1;
  std::string stamp;
  std::string stepNo = "1";
  std::string menu = "'main'";
  std::string keyPressed = "'1'";
  std::string note = "NULL";
};

inline std::string InsertText(const IvrCall& c) {
  return "INSERT INTO IVRCALL VALUES (" + std::to_string(c.id) + ", '" + c.stamp + "', " + c.callerNum + ", " +
         c.dialedNum + ", " + c.duration + ", " + c.charge + ", " + c.result + ", " + c.transcript + ")";
}

inline std::string InsertText(const IvrDetail& d) {
  return "INSERT INTO IVRDETAIL VALUES (" + std::to_string(d.callId) + ", '" + d.stamp + "', " + d.stepNo + ", " +
         d.menu + ", " + d.keyPressed + ", " + d.note + ")";
}

// How often each row occurs.
inline std::map<Row, int> Tally(const std::vector<Row>& rows) {
  std::map<Row, int> tally;
  for (const Row& row : rows) ++tally[row];
  return tally;
}

// --- Fixture ---

// A worker whose backup database is "SarvoIVR_bak" and whose files live in
// the scratch folder, with pinned time and a captured trace.
class IvrDbTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    time_ = std::make_unique<PinnedTime>();
    trace_ = std::make_unique<TraceCapture>(ScratchDir());
    worker.backupFilePath = ScratchDir() + "/SarvoIVR_bak.mdb";
    worker.setAsidePrefix = ScratchDir() + "/SarvoIVR_bak";
    worker.newBackupSourcePath = ScratchDir() + "/SarvoIVR.mdb";
  }
  void TearDown() override {
    worker.liveSession.Disconnect();
    worker.backupSession.Disconnect();
    worker.rowsCopiedHook = nullptr;
    trace_.reset();
    time_.reset();
    BackendTest::TearDown();
  }

  void CreateIvrTables(const std::string& dsn) {
    for (const std::string& statement : ProjectSqlStatements("tools/ivr_tables.sql")) Exec(dsn, statement);
  }

  // The live database, with its tables, opened as the host opens it.
  void PrepareLive() {
    AddDataSource(kLiveDsn);
    CreateIvrTables(kLiveDsn);
    ASSERT_EQ(worker.OpenLiveSession(kLiveDsn), 1);
  }

  // SQLite keeps a database in a file of its own; a server database
  // (PostgreSQL, MariaDB) has no file to set aside.
  bool HasDatabaseFile() const { return BackendName() == "SQLite"; }

  // The backup database with its tables. On SQLite its file is the one the
  // worker sets aside.
  void PrepareBackup(bool withTables = true) {
    AddDataSource(kBackupDsn);
    if (withTables) CreateIvrTables(kBackupDsn);
    if (HasDatabaseFile()) worker.backupFilePath = DataSourceFile(kBackupDsn);
  }

  // On SQLite: an empty IVR database file that becomes the new backup file.
  void PrepareTemplate() {
    if (!HasDatabaseFile()) return;
    AddDataSource(kTemplateDsn);
    CreateIvrTables(kTemplateDsn);
    worker.newBackupSourcePath = DataSourceFile(kTemplateDsn);
  }

  void Insert(const std::string& dsn, const IvrCall& call) { Exec(dsn, InsertText(call)); }
  void Insert(const std::string& dsn, const IvrDetail& detail) { Exec(dsn, InsertText(detail)); }

  // Every row of `table`, sorted.
  std::vector<Row> Rows(const std::string& dsn, const std::string& table) {
    std::vector<Row> rows = Query(dsn, "SELECT * FROM " + table);
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  // Rows of `table` whose TimeStamp is below `stamp`.
  std::vector<Row> RowsBefore(const std::string& dsn, const std::string& table, const std::string& stamp) {
    std::vector<Row> rows = Query(dsn, "SELECT * FROM " + table + " WHERE TimeStamp < '" + stamp + "'");
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  // Every row of `before` is still in `live` or `backup`, as often as it was.
  void ExpectNoneLost(const std::vector<Row>& before, const std::vector<Row>& live, const std::vector<Row>& backup) {
    std::map<Row, int> kept = Tally(live);
    for (const auto& [row, count] : Tally(backup)) kept[row] += count;
    for (const auto& [row, count] : Tally(before)) {
      EXPECT_GE(kept[row], count) << "lost row with id " << row[0] << " and stamp " << row[1];
    }
  }

  // Calls Run once a minute from 01:00 to 02:15 of the given local day;
  // `afterEach` (when set) runs after every call with the minute of day.
  template <typename After>
  void RunNight(int year, int month, int day, After afterEach) {
    for (int minute = 60; minute <= 135; ++minute) {
      SetLocalClock(year, month, day, minute / 60, minute % 60);
      worker.Run();
      afterEach(minute);
    }
  }
  void RunNight(int year, int month, int day) {
    RunNight(year, month, day, [](int) {});
  }

  const TraceCapture& TraceLog() const { return *trace_; }

  CIvrLog worker;

 private:
  std::unique_ptr<PinnedTime> time_;
  std::unique_ptr<TraceCapture> trace_;
};

}  // namespace ivr_test
