#include <cstdio>
#include <string>

#include "ivrlog/ivr_log.h"
#include "ivrlog/ivr_texts.h"
#include "ivrlog/month_arithmetic.h"
#include "platform/files.h"
#include "platform/sleep.h"
#include "trace/trace.h"

namespace {

// Pauses around the renaming that give the database engine time to let go
// of the file.
constexpr uint32_t kBeforeRenameMilliseconds = 2000;
constexpr uint32_t kAfterRenameMilliseconds = 500;

}  // namespace

int CIvrLog::RotateBackupFile() {
  if (backupSession.Connect(backupDataSource.c_str(), "", "") == 0) return 0;
  SYSTEMTIME first{};
  SYSTEMTIME last{};
  int due = FindSetAsideRange(&first, &last);
  // Closed on every path: the file cannot be set aside while it is open, and
  // a session left open would keep reaching the old file.
  backupSession.Disconnect();
  if (due == 0) return 0;

  char dates[40] = {};
  std::snprintf(dates, sizeof dates, kSetAsideSuffixFormat, first.wYear, first.wMonth, first.wDay, last.wYear,
                last.wMonth, last.wDay);
  std::string setAsideName = setAsidePrefix + dates;
  SleepMilliseconds(kBeforeRenameMilliseconds);
  bool renamed = MoveFilePath(backupFilePath.c_str(), setAsideName.c_str());
  SleepMilliseconds(kAfterRenameMilliseconds);
  // Never over an existing file: when the renaming failed, the backup file
  // is still there and stays as it was.
  CopyFilePath(newBackupSourcePath.c_str(), backupFilePath.c_str(), true);
  return renamed ? 1 : 0;
}

int CIvrLog::FindSetAsideRange(SYSTEMTIME* first, SYSTEMTIME* last) {
  SYSTEMTIME begin{};
  SYSTEMTIME end{};
  if (BackupRetainRange(&begin, &end, retainMonths, backupRetainMonths) == 0) {
    Trace(kIvrLogModule, kLineRetainRange, "Failed to get backup database retain time range, %d, %d", retainMonths,
          backupRetainMonths);
    return 0;
  }
  char dateText[16] = {};
  if (backupSession.QueryText(kFirstCallQuery, dateText) == 0) {
    Trace(kIvrLogModule, kLineFirstCall, "Failed to get backup database first call date");
    return 0;
  }
  // An empty backup table has no first call (NULL reads as no text).
  if (ParseDateText(dateText, first) == 0) return 0;
  if (MonthIndex(*first) > MonthIndex(begin)) return 0;
  if (backupSession.QueryText(kLastCallQuery, dateText) == 0) {
    Trace(kIvrLogModule, kLineLastCall, "Failed to get backup database last call date");
    return 0;
  }
  return ParseDateText(dateText, last);
}
