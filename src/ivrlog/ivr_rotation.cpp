#include <cstdio>
#include <cstring>
#include <string>

#include "ivrlog/ivr_log.h"
#include "ivrlog/ivr_texts.h"
#include "ivrlog/month_arithmetic.h"
#include "platform/files.h"
#include "platform/sleep.h"
#include "platform/text.h"
#include "trace/trace.h"

namespace {

// Pauses around the renaming that give the database engine time to let go
// of the file.
constexpr uint32_t kBeforeRenameMilliseconds = 2000;
constexpr uint32_t kAfterRenameMilliseconds = 500;

}  // namespace

int CIvrLog::RotateBackupFile() {
  // A backup database on a server has no file of its own to set aside.
  if (backupFilePath.empty()) return 0;
  if (backupSession.Connect(backupDataSource.c_str(), "", "") == 0) {
    ++failedSteps;
    return 0;
  }
  SYSTEMTIME first{};
  SYSTEMTIME last{};
  int due = FindSetAsideRange(&first, &last);
  // Closed on every path: the file cannot be set aside while it is open, and
  // a session left open would keep reaching the old file.
  backupSession.Disconnect();
  if (due < 0) ++failedSteps;
  if (due <= 0) return 0;

  char dates[40] = {};
  std::snprintf(dates, sizeof dates, kSetAsideSuffixFormat, first.wYear, first.wMonth, first.wDay, last.wYear,
                last.wMonth, last.wDay);
  std::string setAsideName = setAsidePrefix + dates + setAsideExtension;
  SleepMilliseconds(kBeforeRenameMilliseconds);
  bool renamed = MoveFilePath(backupFilePath.c_str(), setAsideName.c_str());
  SleepMilliseconds(kAfterRenameMilliseconds);
  // Never over an existing file: when the renaming failed, the backup file
  // is still there and stays as it was.
  if (!CopyFilePath(newBackupSourcePath.c_str(), backupFilePath.c_str(), true)) {
    if (renamed) {
      Trace(kIvrLogModule, kLineNewBackupFile, "Failed to copy %s to %s, the backup database has no file now",
            newBackupSourcePath.c_str(), backupFilePath.c_str());
    } else {
      Trace(kIvrLogModule, kLineSetAside, "Failed to set %s aside as %s, it stays as it was", backupFilePath.c_str(),
            setAsideName.c_str());
    }
    ++failedSteps;
    return renamed ? 1 : 0;
  }
  if (EmptyNewBackupFile() == 1) return renamed ? 1 : 0;
  ++failedSteps;
  // A new file that still holds live rows would take them a second time when
  // they age: the rotation is undone, and the next night tries again.
  Trace(kIvrLogModule, kLineEmptyNewBackup, "Failed to empty the new backup database, the rotation is undone");
  bool undone = DeleteFilePath(backupFilePath.c_str()) &&
                (!renamed || MoveFilePath(setAsideName.c_str(), backupFilePath.c_str()));
  if (!undone) {
    Trace(kIvrLogModule, kLineUndoRotation, "Failed to undo the rotation of %s", backupFilePath.c_str());
  }
  return 0;
}

int CIvrLog::EmptyNewBackupFile() {
  // The data source reaches the file just made (see `backupFilePath`), so
  // this empties nothing but the copy.
  if (backupSession.Connect(backupDataSource.c_str(), "", "") == 0) return 0;
  int emptied = backupSession.BeginTransaction();
  for (const char* table : {kCallTable, kDetailTable}) {
    if (emptied == 0) break;
    char statement[260] = {};
    FormatBounded(statement, sizeof statement, kDeleteAllRows, table);
    // SQL_NO_DATA (no row to delete) also answers 0: the count decides.
    backupSession.Execute(statement);
    FormatBounded(statement, sizeof statement, kCountRows, table);
    char count[16] = {};
    emptied = backupSession.QueryText(statement, count) == 1 && std::strcmp(count, "0") == 0 ? 1 : 0;
  }
  if (emptied == 1) emptied = backupSession.Commit();
  if (emptied == 0) backupSession.Rollback();
  backupSession.Disconnect();
  return emptied;
}

int CIvrLog::FindSetAsideRange(SYSTEMTIME* first, SYSTEMTIME* last) {
  SYSTEMTIME begin{};
  SYSTEMTIME end{};
  if (BackupRetainRange(&begin, &end, retainMonths, backupRetainMonths) == 0) {
    Trace(kIvrLogModule, kLineRetainRange, "Failed to get backup database retain time range, %d, %d", retainMonths,
          backupRetainMonths);
    return -1;
  }
  char dateText[16] = {};
  if (backupSession.QueryText(kFirstCallQuery, dateText) == 0) {
    Trace(kIvrLogModule, kLineFirstCall, "Failed to get backup database first call date");
    return -1;
  }
  // An empty backup table has no first call (NULL reads as no text).
  if (ParseDateText(dateText, first) == 0) return 0;
  if (MonthIndex(*first) > MonthIndex(begin)) return 0;
  if (backupSession.QueryText(kLastCallQuery, dateText) == 0) {
    Trace(kIvrLogModule, kLineLastCall, "Failed to get backup database last call date");
    return -1;
  }
  return ParseDateText(dateText, last) == 1 ? 1 : -1;
}
