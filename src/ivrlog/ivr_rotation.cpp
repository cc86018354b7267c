#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

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

// The new backup file is made beside the backup file under the backup
// file's name, this suffix and the number of the process making it, and
// takes the backup file's name last, in one rename. Whatever else begins
// with the backup file's name and this suffix was left by a run that
// stopped midway.
constexpr char kNewFileSuffix[] = ".new";

// The files SQLite keeps beside a database file in write-ahead-log mode
// while any connection has it open: the log, which may hold committed rows
// that the file itself does not yet, and the index of the log.
constexpr const char* kWalSuffixes[] = {"-wal", "-shm"};

// Moves everything of the log into the database file and empties the log:
// answers busy (0 when done), the log's pages and those moved. On a file in
// rollback-journal mode it answers 0 at once.
constexpr char kCheckpointWholeLog[] = "PRAGMA wal_checkpoint(TRUNCATE)";

// A new file keeps its changes in a rollback journal, so that everything it
// holds is in the file itself whenever no unit is open: the file alone is
// the database when it is renamed or set aside.
constexpr char kRollbackJournalMode[] = "delete";

// The name under which the new file is attached to the backup session while
// its tables are emptied.
constexpr char kNewFileSchema[] = "fresh";

// True for a name that RotateBackupFile gives: `start`, two dates of eight
// digits joined by "_", `extension`.
bool IsSetAsideName(const std::string& name, const std::string& start, const std::string& extension) {
  constexpr size_t kDates = 17;  // YYYYMMDD_YYYYMMDD
  if (name.size() != start.size() + kDates + extension.size() || name.rfind(start, 0) != 0 ||
      name.compare(name.size() - extension.size(), extension.size(), extension) != 0) {
    return false;
  }
  for (size_t i = 0; i < kDates; ++i) {
    const char c = name[start.size() + i];
    if (i == 8 ? c != '_' : (c < '0' || c > '9')) return false;
  }
  return true;
}

// Removes what a run that stopped midway left beside the backup file
// `file`: a new file not yet in place, with its journal (which SQLite would
// otherwise play back into a new file made under that name), and every
// set-aside name already given to `file` itself (found by its inode, so also
// a name of an earlier month's dates), so that this run starts again from
// the full file and names it once.
void RemoveLeftoversOf(const std::string& file, const std::string& setAsidePrefix,
                       const std::string& setAsideExtension) {
  namespace fs = std::filesystem;
  const std::string newFiles = fs::path(file).filename().string() + kNewFileSuffix;
  const fs::path setAside(setAsidePrefix);
  const std::string setAsideStart = setAside.filename().string() + "_";
  std::error_code error;
  std::vector<fs::path> folders = {fs::path(file).parent_path()};
  // Most often the set-aside names live beside the file: that folder is read once.
  if (!fs::equivalent(setAside.parent_path(), folders.front(), error)) folders.push_back(setAside.parent_path());
  for (const fs::path& folder : folders) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
      const std::string name = entry.path().filename().string();
      const std::string path = entry.path().string();
      if (name.rfind(newFiles, 0) == 0) {
        DeleteFilePath(path.c_str());
      } else if (IsSetAsideName(name, setAsideStart, setAsideExtension) && IsSameFile(path.c_str(), file.c_str())) {
        DeleteFilePath(path.c_str());
      }
    }
  }
}

// The first of the log's files that remains beside `file`, "" when none
// does: after this process closed its connection, a log left means that
// another connection still has the file open, and that rows may be in the
// log alone.
std::string RemainingLogFile(const std::string& file) {
  for (const char* suffix : kWalSuffixes) {
    const std::string log = file + suffix;
    if (FileExists(log.c_str())) return log;
  }
  return "";
}

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
  std::string newFile = file + kNewFileSuffix + "-" + std::to_string(getpid());
  char dates[40] = {};
  std::snprintf(dates, sizeof dates, kSetAsideSuffixFormat, first.wYear, first.wMonth, first.wDay, last.wYear,
                last.wMonth, last.wDay);
  std::string setAsideName = setAsidePrefix + dates + setAsideExtension;
  FileIdentity prepared;
  if (due > 0) {
    RemoveLeftoversOf(file, setAsidePrefix, setAsideExtension);
    if (!PrepareNewBackupFile(newFile)) {
      due = -1;
    } else if (!BackupFileCheckpointed() || !FileIdentityOf(newFile.c_str(), &prepared)) {
      DeleteFilePath(newFile.c_str());
      due = -1;
    }
  }
  // Closed on every path: a session left open would keep reaching the old
  // file.
  backupSession.Disconnect();
  if (due < 0) ++failedSteps;
  if (due <= 0) return 0;

  SleepMilliseconds(kBeforeRenameMilliseconds);
  // Another connection that has the file open in write-ahead-log mode may
  // hold committed rows in the log alone, which a name given to the file
  // would not take along: the file is set aside only when no one has it
  // open in that mode.
  const std::string log = RemainingLogFile(file);
  if (!log.empty()) {
    Trace(kIvrLogModule, kLineBackupFileInUse,
          "The backup file %s is open elsewhere (%s remains), so it is not set aside; it stays as it was",
          file.c_str(), log.c_str());
    DeleteFilePath(newFile.c_str());
    ++failedSteps;
    return 0;
  }
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
  // The file renamed must be the one this run prepared, not one put under
  // its name meanwhile.
  FileIdentity now;
  if (!FileIdentityOf(newFile.c_str(), &now) || !(now == prepared)) {
    Trace(kIvrLogModule, kLineNewBackupFile,
          "The new backup file %s is not the one this run made, so it is not put in place; the backup file stays as "
          "it was",
          newFile.c_str());
    DeleteFilePath(setAsideName.c_str());
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

bool CIvrLog::BackupFileCheckpointed() {
  char busy[16] = {};
  if (backupSession.QueryFirstText(kCheckpointWholeLog, busy, sizeof busy) == 1 && std::strcmp(busy, "0") == 0) {
    return true;
  }
  Trace(kIvrLogModule, kLineBackupFileInUse,
        "Failed to move the log of the backup file %s into the file (another connection is reading it), so it is "
        "not set aside; it stays as it was",
        backupFilePath.c_str());
  return false;
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
  // A copy of a database in write-ahead-log mode is in that mode too.
  const std::string journalMode = std::string("PRAGMA ") + kNewFileSchema + ".journal_mode=" + kRollbackJournalMode;
  char mode[16] = {};
  bool emptied = backupSession.QueryFirstText(journalMode.c_str(), mode, sizeof mode) == 1 &&
                 std::strcmp(mode, kRollbackJournalMode) == 0;
  if (emptied) emptied = backupSession.BeginTransaction() == 1;
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
