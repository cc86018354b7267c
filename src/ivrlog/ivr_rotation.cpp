#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "db/sql_literal.h"
#include "ivrlog/backup_file.h"
#include "ivrlog/ivr_log.h"
#include "ivrlog/ivr_texts.h"
#include "ivrlog/month_arithmetic.h"
#include "ivrlog/move_journal.h"
#include "platform/files.h"
#include "platform/sleep.h"
#include "platform/text.h"
#include "trace/trace.h"

namespace {

// Pauses around the renaming that give the database engine time to let go
// of the file.
constexpr uint32_t kBeforeRenameMilliseconds = 2000;
constexpr uint32_t kAfterRenameMilliseconds = 500;

// The new backup file is made under this name beside the backup file and
// takes the backup file's name last, in one rename.
constexpr char kNewFileSuffix[] = ".new";

// The rollback journal SQLite keeps beside a database file while a unit on
// it is open.
constexpr char kJournalSuffix[] = "-journal";

// The name under which the new file is attached to the backup session while
// its tables are emptied.
constexpr char kNewFileSchema[] = "fresh";

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
  if (due > 0 && !BackupSessionReachesItsFile()) due = -1;
  if (due > 0 && !BackupHasNoUnfinishedMove()) due = -1;
  std::string file = ResolvedFilePath(backupFilePath.c_str());
  std::string newFile = file + kNewFileSuffix;
  char dates[40] = {};
  std::snprintf(dates, sizeof dates, kSetAsideSuffixFormat, first.wYear, first.wMonth, first.wDay, last.wYear,
                last.wMonth, last.wDay);
  std::string setAsideName = setAsidePrefix + dates + setAsideExtension;
  if (due > 0) {
    // What a run that stopped midway left behind: a new file not yet in
    // place, or the old file's second name given before the new file took
    // its first. Undone, so that this run starts again from the full file.
    // SQLite's journal of a new file whose unit was cut short would be
    // played back into the next new file made under that name.
    DeleteFilePath(newFile.c_str());
    DeleteFilePath((newFile + kJournalSuffix).c_str());
    if (IsSameFile(setAsideName.c_str(), file.c_str())) DeleteFilePath(setAsideName.c_str());
    if (!PrepareNewBackupFile(newFile)) due = -1;
  }
  // Closed on every path: a session left open would keep reaching the old
  // file.
  backupSession.Disconnect();
  if (due < 0) ++failedSteps;
  if (due <= 0) return 0;

  SleepMilliseconds(kBeforeRenameMilliseconds);
  // The old file gets its set-aside name as a second one first, and the new
  // file takes the backup file's name in one rename last: at every instant
  // the backup file is the old one or the new one, and the old one is never
  // without a name.
  if (!LinkFilePath(file.c_str(), setAsideName.c_str())) {
    Trace(kIvrLogModule, kLineSetAside, "Failed to set %s aside as %s (%s), it stays as it was", file.c_str(),
          setAsideName.c_str(), std::strerror(errno));
    DeleteFilePath(newFile.c_str());
    ++failedSteps;
    return 0;
  }
  if (!ReplaceFilePath(newFile.c_str(), file.c_str())) {
    Trace(kIvrLogModule, kLineNewBackupFile, "Failed to put the new backup file %s in place (%s), it stays as it was",
          file.c_str(), std::strerror(errno));
    DeleteFilePath(setAsideName.c_str());
    DeleteFilePath(newFile.c_str());
    ++failedSteps;
    return 0;
  }
  SleepMilliseconds(kAfterRenameMilliseconds);
  return 1;
}

bool CIvrLog::BackupSessionReachesItsFile() {
  std::string opened;
  switch (MatchBackupFile(backupSession, backupFilePath, &opened)) {
    case BackupFileMatch::kSame:
      return true;
    case BackupFileMatch::kNoFile:
      Trace(kIvrLogModule, kLineBackupFileMatch,
            "The backup database %s is not a file, so %s cannot be set aside; nothing changed",
            backupDataSource.c_str(), backupFilePath.c_str());
      return false;
    case BackupFileMatch::kDifferent:
      break;
  }
  Trace(kIvrLogModule, kLineBackupFileMatch,
        "The backup database %s opens %s, not the backup file %s; nothing changed", backupDataSource.c_str(),
        opened.c_str(), backupFilePath.c_str());
  return false;
}

bool CIvrLog::BackupHasNoUnfinishedMove() {
  // A file set aside with an unfinished move would take its journal entry
  // along, and the next run would copy the rows still live a second time.
  const int64_t unfinished = CountUnfinishedMoves(backupSession);
  if (unfinished == 0) return true;
  if (unfinished < 0) {
    Trace(kIvrLogModule, kLineMoveUnfinished, "Failed to read the move journal of the backup database; nothing changed");
  } else {
    Trace(kIvrLogModule, kLineMoveUnfinished,
          "The backup database is not set aside while a move of old rows into it is unfinished; the next run "
          "finishes it");
  }
  return false;
}

bool CIvrLog::PrepareNewBackupFile(const std::string& newFile) {
  if (!CopyFilePath(newBackupSourcePath.c_str(), newFile.c_str(), true)) {
    Trace(kIvrLogModule, kLineNewBackupFile, "Failed to copy %s to %s (%s), the backup file stays as it was",
          newBackupSourcePath.c_str(), newFile.c_str(), std::strerror(errno));
    return false;
  }
  if (EmptyNewBackupFile(newFile)) return true;
  Trace(kIvrLogModule, kLineEmptyNewBackup, "Failed to empty the new backup database, the rotation is undone");
  DeleteFilePath(newFile.c_str());
  return false;
}

bool CIvrLog::EmptyNewBackupFile(const std::string& newFile) {
  // The copy is reached by its own name, attached to the backup session, so
  // that no statement here can touch a row of the backup database itself.
  const std::string attach = "ATTACH DATABASE " + SqlStringLiteral(newFile) + " AS " + kNewFileSchema;
  if (backupSession.Execute(attach.c_str()) == 0) return false;
  bool emptied = backupSession.BeginTransaction() == 1;
  // The new file starts with a journal of its own, made by its first move:
  // an entry copied from elsewhere would speak of rows it never took.
  const std::string journal = std::string("DROP TABLE IF EXISTS ") + kNewFileSchema + "." + kMoveJournalTable;
  if (emptied) emptied = backupSession.Execute(journal.c_str()) == 1 || backupSession.lastStatementFailed == 0;
  for (const char* table : {kCallTable, kDetailTable}) {
    if (!emptied) break;
    const std::string name = std::string(kNewFileSchema) + "." + table;
    char statement[260] = {};
    FormatBounded(statement, sizeof statement, kDeleteAllRows, name.c_str());
    // SQL_NO_DATA (no row to delete) also answers 0: the count decides.
    backupSession.Execute(statement);
    FormatBounded(statement, sizeof statement, kCountRows, name.c_str());
    char count[16] = {};
    emptied = backupSession.QueryText(statement, count) == 1 && std::strcmp(count, "0") == 0;
  }
  if (emptied) emptied = backupSession.Commit() == 1;
  if (!emptied) backupSession.Rollback();
  const std::string detach = std::string("DETACH DATABASE ") + kNewFileSchema;
  backupSession.Execute(detach.c_str());
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
