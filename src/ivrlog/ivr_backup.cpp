#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "db/row_copier.h"
#include "db/table_engine.h"
#include "db/table_columns.h"
#include "ivrlog/ivr_log.h"
#include "ivrlog/ivr_texts.h"
#include "ivrlog/move_journal.h"
#include "platform/text.h"
#include "trace/trace.h"

namespace {

// Table names longer than this are refused, so that the statements always
// fit their buffers whole.
constexpr size_t kMaxTableName = 128;

// Ends the open unit of `session` without committing it. When even the
// rollback fails, closing the connection is the one way left to drop it.
void Undo(OSql& session) {
  if (session.Rollback() == 0) session.Disconnect();
}

// True when `table` of `session` rolls back; else reported, naming its
// engine. A table whose changes stand at once (MyISAM, Aria) would keep a
// deletion or a copy that the move undoes, or that a process killed before
// its commit left.
bool RollsBack(OSql& session, const char* table, const char* side) {
  std::string engine;
  if (ReadTableEngine(session, table, &engine) == 0) {
    Trace(kIvrLogModule, kLineTableEngine, "Failed to read the storage engine of %s in the %s database, nothing copied",
          table, side);
    return false;
  }
  if (EngineRollsBack(engine)) return true;
  Trace(kIvrLogModule, kLineTableEngine,
        "The %s table %s is stored by %s, which cannot undo a change, nothing copied: keep it in a transactional "
        "engine (InnoDB)",
        side, table, engine.c_str());
  return false;
}

// The names of the columns of `table` on `backup` that take the live
// columns, in their order; false (reported) when the backup's table is not
// the live one's: a value would land in a column of another name, or be
// turned into another kind of value (a number with leading zeros into an
// integer), or when either table cannot undo a change. Decided before
// anything is copied, so that a table that is refused stays whole in the
// live database.
bool TableReadyToMove(OSql& live, OSql& backup, const char* table, std::vector<std::string>* names) {
  std::vector<TableColumn> liveColumns, backupColumns;
  if (ReadTableColumns(live, table, &liveColumns) == 0 || liveColumns.empty()) {
    Trace(kIvrLogModule, kLineSelectOld, "Failed to select old rows of %s", table);
    return false;
  }
  if (ReadTableColumns(backup, table, &backupColumns) == 0) {
    Trace(kIvrLogModule, kLineBackupColumns, "Failed to read the columns of %s in the backup database, nothing copied",
          table);
    return false;
  }
  std::string difference = ColumnDifference(liveColumns, backupColumns, "live", "backup");
  if (!difference.empty()) {
    Trace(kIvrLogModule, kLineColumnMismatch, "The backup table %s does not match the live one, nothing copied: %s",
          table, difference.c_str());
    return false;
  }
  if (!RollsBack(live, table, "live") || !RollsBack(backup, table, "backup")) return false;
  names->clear();
  for (size_t i = 0; i < liveColumns.size(); ++i) names->push_back(backupColumns[i].name);
  return true;
}

// Copies the rows that `condition` picks from `table` on `live` into the
// open unit of `backup`. The number of rows copied, or -1 (reported).
int64_t CopyRows(OSql& live, OSql& backup, const char* table, const char* condition) {
  std::vector<std::string> into;
  if (!TableReadyToMove(live, backup, table, &into)) return -1;
  CRowCopier copier;
  int ready = copier.Begin(live, backup, table, condition, into);
  if (ready == 0) {
    Trace(kIvrLogModule, kLineSelectOld, "Failed to select old rows of %s", table);
    return -1;
  }
  if (ready < 0) {
    Trace(kIvrLogModule, kLineInsertCopy, "Failed to copy a row of %s into the backup database, nothing deleted",
          table);
    return -1;
  }
  int64_t copied = 0;
  int result = 0;
  while ((result = copier.CopyNext()) == 1) ++copied;
  // Ended before anything else happens on the live database: an open cursor
  // can hold locks that the deletion would wait for.
  copier.End();
  if (result == -1) {
    Trace(kIvrLogModule, kLineReadOld, "Failed to read old rows of %s, nothing deleted", table);
    return -1;
  }
  if (result != 0) {
    Trace(kIvrLogModule, kLineInsertCopy, "Failed to copy a row of %s into the backup database, nothing deleted",
          table);
    return -1;
  }
  return copied;
}

// Deletes the rows of `remove` on `live` in a unit that is left open when it
// removed exactly `expected` rows (1), and undone otherwise (0, reported).
int DeleteRows(OSql& live, const char* table, const char* remove, int64_t expected) {
  if (live.BeginTransaction() == 0) {
    Trace(kIvrLogModule, kLineDeleteStart, "Failed to start deleting old rows of %s, nothing deleted", table);
    return 0;
  }
  // A failed statement removes nothing; SQL_NO_DATA means no row matched.
  int64_t removed = live.Execute(remove) == 1 ? live.AffectedRows() : 0;
  if (removed == expected) return 1;
  Trace(kIvrLogModule, kLineDeleteCount, "Deleting old rows of %s matched %d rows, not the %d copied, nothing deleted",
        table, static_cast<int>(removed), static_cast<int>(expected));
  Undo(live);
  return 0;
}

// The local date and time as a journal entry keeps it.
std::string LocalStamp() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char stamp[32] = {};
  FormatBounded(stamp, sizeof stamp, kJournalStampFormat, now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                now.wSecond);
  return stamp;
}

// Finishes the move of `table` that the journal says is unfinished: its
// copies were committed, but the deletion of its rows was not (the process
// died between the two commits, or the live commit failed), or was not
// noted. The rows of the entry's cut-off still live are the copied ones
// when there are exactly as many: the cut-off lies months back, so that no
// row older than it is added to the live table meanwhile. Those are
// deleted (without copying them again), none left means the deletion was
// committed, and any other number is reported and stops the move of the
// table until someone sets the entry's DeletedAt. 1 when no unfinished
// entry is left, else 0 (reported).
int FinishStoppedMove(OSql& live, OSql& backup, const char* table) {
  UnfinishedMove move;
  const int found = ReadUnfinishedMove(backup, table, &move);
  if (found < 0) {
    Trace(kIvrLogModule, kLineJournal, "Failed to read the move journal of %s in the backup database, nothing copied",
          table);
    return 0;
  }
  if (found == 0) return 1;
  char condition[64] = {};
  FormatBounded(condition, sizeof condition, kOldRowsCondition, move.cutoff.c_str());
  char statement[260] = {};
  FormatBounded(statement, sizeof statement, kCountOldRows, table, condition);
  char countText[32] = {};
  char* end = countText;
  long long left = -1;
  if (live.QueryFirstText(statement, countText, sizeof countText) == 1 && countText[0] != '\0') {
    left = std::strtoll(countText, &end, 10);
  }
  if (left < 0 || *end != '\0') {
    Trace(kIvrLogModule, kLineSelectOld, "Failed to count the old rows of %s, nothing copied", table);
    return 0;
  }
  if (left == move.copiedRows) {
    FormatBounded(statement, sizeof statement, kDeleteOldRows, table, condition);
    if (DeleteRows(live, table, statement, move.copiedRows) == 0) return 0;
    if (live.Commit() == 0) {
      Trace(kIvrLogModule, kLineDeleteCommit,
            "Failed to commit deleting old rows of %s; their copies stay in the backup database and the next run "
            "deletes them",
            table);
      Undo(live);
      return 0;
    }
    Trace(kIvrLogModule, kLineUnfinishedMove,
          "Deleted the %lld rows of %s older than %s whose copies an unfinished move left in the backup database",
          left, table, move.cutoff.c_str());
  } else if (left != 0) {
    Trace(kIvrLogModule, kLineUnfinishedMismatch,
          "The live table %s holds %lld rows older than %s, not the %lld that an unfinished move copied into the "
          "backup database; nothing copied or deleted until the entry of %s is set right",
          table, left, move.cutoff.c_str(), static_cast<long long>(move.copiedRows), kMoveJournalTable);
    return 0;
  }
  if (FinishMove(backup, table, LocalStamp()) == 1) return 1;
  Trace(kIvrLogModule, kLineJournal, "Failed to note in the move journal that the old rows of %s were deleted",
        table);
  return 0;
}

}  // namespace

int CIvrLog::BackupOldRows() {
  if (IsNewMonth() == 0) return 0;
  SYSTEMTIME cutoff{};
  if (RetainBeginDate(&cutoff, retainMonths) == 0) {
    ++failedSteps;
    return 0;
  }
  bool openedHere = false;
  if (!backupSession.IsOpen()) {
    if (backupSession.Connect(backupDataSource.c_str(), "", "") == 0) {
      Trace(kIvrLogModule, kLineBackupOpen, "Failed to open backup database %s, old rows are kept",
            backupDataSource.c_str());
      ++failedSteps;
      return 0;
    }
    openedHere = true;
  }
  // A call and its detail rows move together or stay together: both
  // tables are judged before a row of either moves.
  bool ready = true;
  for (const char* table : {kCallTable, kDetailTable}) {
    std::vector<std::string> columns;
    if (ready) ready = TableReadyToMove(liveSession, backupSession, table, &columns);
  }
  int calls = ready ? CopyOldRows(kCallTable, cutoff) : 0;
  int details = ready ? CopyOldRows(kDetailTable, cutoff) : 0;
  if (openedHere) backupSession.Disconnect();
  if (calls == 0 || details == 0) {
    ++failedSteps;
    return 0;
  }
  SYSTEMTIME today{};
  GetLocalTime(&today);
  FormatBounded(lastRunDate, sizeof lastRunDate, kRunDateFormat, today.wYear, today.wMonth, today.wDay);
  return 1;
}

int CIvrLog::CopyOldRows(const char* table, const SYSTEMTIME& cutoff) {
  if (!HasText(table) || std::strlen(table) > kMaxTableName) return 0;
  char stamp[16] = {};
  FormatBounded(stamp, sizeof stamp, kCutoffStampFormat, cutoff.wYear, cutoff.wMonth, cutoff.wDay);
  char condition[64] = {};
  FormatBounded(condition, sizeof condition, kOldRowsCondition, stamp);
  char remove[260] = {};
  FormatBounded(remove, sizeof remove, kDeleteOldRows, table, condition);

  // Created outside the unit of the copies: a server may commit the open
  // unit at a CREATE TABLE.
  if (EnsureMoveJournal(backupSession) == 0) {
    Trace(kIvrLogModule, kLineJournal, "Failed to create the move journal %s in the backup database, nothing copied",
          kMoveJournalTable);
    return 0;
  }
  // The journal's entry is written in the unit of the copies: it must roll
  // back with them, or a failed copy would leave an entry that speaks of
  // rows never copied.
  if (!RollsBack(backupSession, kMoveJournalTable, "backup")) return 0;
  if (FinishStoppedMove(liveSession, backupSession, table) == 0) return 0;

  if (backupSession.BeginTransaction() == 0) {
    Trace(kIvrLogModule, kLineCopyStart, "Failed to start copying old rows of %s, nothing deleted", table);
    return 0;
  }
  int64_t copied = CopyRows(liveSession, backupSession, table, condition);
  if (copied <= 0) {
    Undo(backupSession);
    return copied == 0 ? 1 : 0;  // none old, none to delete
  }
  // Committed with the copies, or not at all: whoever finds the entry
  // unfinished knows that the rows still live under this cut-off are copied.
  if (RecordMove(backupSession, table, stamp, copied, LocalStamp()) == 0) {
    Trace(kIvrLogModule, kLineJournal, "Failed to note the copies of %s in the move journal, nothing deleted", table);
    Undo(backupSession);
    return 0;
  }
  if (rowsCopiedHook != nullptr) rowsCopiedHook(*this, table);
  if (DeleteRows(liveSession, table, remove, copied) == 0) {
    Undo(backupSession);
    return 0;
  }
  // Both units are open and verified. The copies are committed first: were
  // the order reversed, a failure between the two commits would lose rows.
  // This way a crash (or a failed live commit) between them leaves the rows
  // in both databases and the entry unfinished, and the next run deletes
  // them without copying them again; two data sources offer no way to
  // commit as one.
  if (backupSession.Commit() == 0) {
    Trace(kIvrLogModule, kLineCommitCopy, "Failed to commit the copies of %s, nothing deleted", table);
    Undo(backupSession);
    Undo(liveSession);
    return 0;
  }
  if (liveSession.Commit() == 0) {
    Trace(kIvrLogModule, kLineDeleteCommit,
          "Failed to commit deleting old rows of %s; their copies stay in the backup database and the next run "
          "deletes them",
          table);
    Undo(liveSession);
    return 0;
  }
  // The rows are moved; an entry left unfinished here is finished by the
  // next run, which finds none of its rows live.
  if (FinishMove(backupSession, table, LocalStamp()) == 0) {
    Trace(kIvrLogModule, kLineJournal,
          "Failed to note in the move journal that the old rows of %s were deleted; the next run notes it", table);
  }
  return 1;
}
