#include "ivrlog/move_journal.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "db/sql_literal.h"
#include "db/table_columns.h"

namespace {

// Types every backend accepts; IF NOT EXISTS is understood by SQLite,
// PostgreSQL and MariaDB alike.
constexpr char kCreateJournal[] =
    "CREATE TABLE IF NOT EXISTS IVRMOVE (TableName VARCHAR(32), Cutoff VARCHAR(14), CopiedRows INTEGER, "
    "MovedAt VARCHAR(14), DeletedAt VARCHAR(14))";
constexpr char kUnfinished[] = " WHERE DeletedAt IS NULL";

bool IsDigits(const std::string& text, size_t length) {
  if (text.size() != length) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A whole decimal count, or -1.
int64_t CountOf(const char* text) {
  if (text == nullptr || *text < '0' || *text > '9') return -1;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  return *end == '\0' ? static_cast<int64_t>(value) : -1;
}

std::string OfTable(const char* table) {
  return std::string(kUnfinished) + " AND TableName = " + SqlStringLiteral(table);
}

// Executes `sql`, whose success some drivers answer with SQL_NO_DATA (a
// statement that changed no row).
bool Executed(OSql& session, const char* sql) {
  if (!session.IsOpen()) return false;
  return session.Execute(sql) == 1 || session.lastStatementFailed == 0;
}

}  // namespace

int EnsureMoveJournal(OSql& backup) { return Executed(backup, kCreateJournal) ? 1 : 0; }

int ReadUnfinishedMove(OSql& backup, const char* table, UnfinishedMove* move) {
  const std::string query = "SELECT Cutoff, CopiedRows FROM IVRMOVE" + OfTable(table);
  if (backup.Execute(query.c_str()) == 0 || backup.BindAllColumns() == 0) {
    backup.FinishLocalRead();
    return -1;
  }
  int found = 0;
  bool wellFormed = true;
  while (backup.Fetch() == 1) {
    ++found;
    if (backup.columnCount < 2 || backup.columnIndicator[0] == SQL_NULL_DATA ||
        backup.columnIndicator[1] == SQL_NULL_DATA) {
      wellFormed = false;
      continue;
    }
    move->cutoff = backup.columnText[0];
    move->copiedRows = CountOf(backup.columnText[1]);
    if (!IsDigits(move->cutoff, 14) || move->copiedRows <= 0) wellFormed = false;
  }
  const bool failed = backup.lastStatementFailed != 0;
  backup.FinishLocalRead();
  if (failed || !wellFormed || found > 1) return -1;
  return found;
}

int64_t CountUnfinishedMoves(OSql& backup) {
  std::vector<TableColumn> columns;
  if (ReadTableColumns(backup, kMoveJournalTable, &columns) == 0) return -1;
  if (columns.empty()) return 0;
  const std::string query = std::string("SELECT count(*) FROM IVRMOVE") + kUnfinished;
  char count[32] = {};
  if (backup.QueryFirstText(query.c_str(), count, sizeof count) == 0) return -1;
  return CountOf(count);
}

int RecordMove(OSql& backup, const char* table, const std::string& cutoff, int64_t copiedRows,
               const std::string& movedAt) {
  if (!IsDigits(cutoff, 14) || copiedRows <= 0) return 0;
  const std::string insert = "INSERT INTO IVRMOVE (TableName, Cutoff, CopiedRows, MovedAt) VALUES (" +
                             SqlStringLiteral(table) + ", " + SqlStringLiteral(cutoff) + ", " +
                             std::to_string(copiedRows) + ", " + SqlStringLiteral(movedAt) + ")";
  return backup.Execute(insert.c_str()) == 1 ? 1 : 0;
}

int FinishMove(OSql& backup, const char* table, const std::string& deletedAt) {
  // No unfinished entry: SQL_NO_DATA, which is not a failure.
  const std::string update = "UPDATE IVRMOVE SET DeletedAt = " + SqlStringLiteral(deletedAt) + OfTable(table);
  return Executed(backup, update.c_str()) ? 1 : 0;
}
