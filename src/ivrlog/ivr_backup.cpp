#include <cstring>
#include <string>

#include "db/whole_row_reader.h"
#include "ivrlog/insert_statement.h"
#include "ivrlog/ivr_log.h"
#include "ivrlog/ivr_texts.h"
#include "platform/text.h"
#include "trace/trace.h"

namespace {

// Table names longer than this are refused, so that the statements always
// fit their buffers whole.
constexpr size_t kMaxTableName = 128;

// Copies the rows that `select` yields on `live` into `backup` as one
// committed unit. The number of rows copied, or -1 when nothing was
// committed (reported).
int64_t CopyRows(OSql& live, OSql& backup, const char* table, const char* select) {
  live.FinishLocalRead();  // the reader needs a statement without bound columns
  if (live.Execute(select) == 0) {
    Trace(kIvrLogModule, kLineSelectOld, "Failed to select old rows of %s", table);
    return -1;
  }
  CWholeRowReader reader;
  if (reader.Begin(live) == 0) {
    Trace(kIvrLogModule, kLineSelectOld, "Failed to select old rows of %s", table);
    live.CloseCursor();
    return -1;
  }
  if (backup.BeginTransaction() == 0) {
    Trace(kIvrLogModule, kLineCopyStart, "Failed to start copying old rows of %s, nothing deleted", table);
    live.CloseCursor();
    return -1;
  }
  std::string insert;
  int64_t copied = 0;
  int read = 0;
  while ((read = reader.Next()) == 1) {
    BuildInsertStatement(table, reader, &insert);
    if (backup.Execute(insert.c_str()) == 0) break;
    ++copied;
  }
  // Closed before anything else happens on the live database: an open cursor
  // can hold locks that the deletion would wait for.
  live.CloseCursor();
  if (read != 0) {
    if (read == 1) {
      Trace(kIvrLogModule, kLineInsertCopy, "Failed to copy a row of %s into the backup database, nothing deleted",
            table);
    } else {
      Trace(kIvrLogModule, kLineReadOld, "Failed to read old rows of %s, nothing deleted", table);
    }
    backup.Rollback();
    return -1;
  }
  if (backup.Commit() == 0) {
    Trace(kIvrLogModule, kLineCommitCopy, "Failed to commit the copies of %s, nothing deleted", table);
    backup.Rollback();
    return -1;
  }
  return copied;
}

// Deletes the rows of `remove` on `live` as one unit, kept only when it
// removed exactly `expected` rows. 1 kept, 0 undone (reported).
int DeleteRows(OSql& live, const char* table, const char* remove, int64_t expected) {
  if (live.BeginTransaction() == 0) {
    Trace(kIvrLogModule, kLineDeleteStart, "Failed to start deleting old rows of %s, nothing deleted", table);
    return 0;
  }
  // A failed statement removes nothing; SQL_NO_DATA means no row matched.
  int64_t removed = live.Execute(remove) == 1 ? live.AffectedRows() : 0;
  if (removed == expected && live.Commit() == 1) return 1;
  if (removed == expected) {
    Trace(kIvrLogModule, kLineDeleteCommit, "Failed to commit deleting old rows of %s, nothing deleted", table);
  } else {
    Trace(kIvrLogModule, kLineDeleteCount,
          "Deleting old rows of %s matched %d rows, not the %d copied, nothing deleted", table,
          static_cast<int>(removed), static_cast<int>(expected));
  }
  if (live.Rollback() == 0) {
    // The deletion is still open; closing the connection is the one way
    // left to drop it without committing.
    Trace(kIvrLogModule, kLineDeleteUndo, "Failed to undo deleting old rows of %s, closing the live database", table);
    live.Disconnect();
  }
  return 0;
}

}  // namespace

int CIvrLog::BackupOldRows() {
  if (IsNewMonth() == 0) return 0;
  SYSTEMTIME cutoff{};
  if (RetainBeginDate(&cutoff, retainMonths) == 0) return 0;
  bool openedHere = false;
  if (!backupSession.IsOpen()) {
    if (backupSession.Connect(backupDataSource.c_str(), "", "") == 0) {
      Trace(kIvrLogModule, kLineBackupOpen, "Failed to open backup database %s, old rows are kept",
            backupDataSource.c_str());
      return 0;
    }
    openedHere = true;
  }
  int calls = CopyOldRows(kCallTable, cutoff);
  int details = CopyOldRows(kDetailTable, cutoff);
  if (openedHere) backupSession.Disconnect();
  if (calls == 0 || details == 0) return 0;
  SYSTEMTIME today{};
  GetLocalTime(&today);
  FormatBounded(lastRunDate, sizeof lastRunDate, kRunDateFormat, today.wYear, today.wMonth, today.wDay);
  return 1;
}

int CIvrLog::CopyOldRows(const char* table, const SYSTEMTIME& cutoff) {
  if (!HasText(table) || std::strlen(table) > kMaxTableName) return 0;
  char condition[64] = {};
  FormatBounded(condition, sizeof condition, kOldRowsCondition, cutoff.wYear, cutoff.wMonth, cutoff.wDay);
  char select[260] = {};
  char remove[260] = {};
  FormatBounded(select, sizeof select, kSelectOldRows, table, condition);
  FormatBounded(remove, sizeof remove, kDeleteOldRows, table, condition);

  int64_t copied = CopyRows(liveSession, backupSession, table, select);
  if (copied < 0) return 0;
  if (copied == 0) return 1;  // nothing to delete
  if (rowsCopiedHook != nullptr) rowsCopiedHook(*this, table);
  return DeleteRows(liveSession, table, remove, copied);
}
