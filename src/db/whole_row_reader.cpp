#include "db/whole_row_reader.h"

#include <sqlext.h>

#include <cstring>

#include "db/osql.h"

int CWholeRowReader::Begin(OSql& session) {
  statement_ = session.statementHandle;
  values_.clear();
  nulls_.clear();
  if (session.connectionHandle == SQL_NULL_HDBC || statement_ == SQL_NULL_HSTMT) return 0;
  SQLSMALLINT columns = 0;
  if (!SqlSucceeded(SQLNumResultCols(statement_, &columns)) || columns <= 0) return 0;
  values_.resize(static_cast<size_t>(columns));
  nulls_.assign(static_cast<size_t>(columns), 0);
  return 1;
}

int CWholeRowReader::Next() {
  if (statement_ == SQL_NULL_HSTMT || values_.empty()) return -1;
  SQLRETURN result = SQLFetch(statement_);
  if (result == SQL_NO_DATA) return 0;
  if (!SqlSucceeded(result)) return -1;
  for (size_t i = 0; i < values_.size(); ++i) {
    if (!ReadColumn(static_cast<SQLUSMALLINT>(i + 1))) return -1;
  }
  return 1;
}

bool CWholeRowReader::ReadColumn(SQLUSMALLINT column) {
  std::string& value = values_[column - 1];
  char& isNull = nulls_[column - 1];
  value.clear();
  isNull = 0;
  char chunk[256] = {};
  constexpr SQLLEN kRoom = sizeof chunk - 1;  // one byte goes to the terminator
  for (;;) {
    SQLLEN remaining = 0;
    SQLRETURN result = SQLGetData(statement_, column, SQL_C_CHAR, chunk, sizeof chunk, &remaining);
    // A value read to its end answers SQL_NO_DATA to a further call.
    if (result == SQL_NO_DATA) return true;
    if (!SqlSucceeded(result)) return false;
    if (remaining == SQL_NULL_DATA) {
      isNull = 1;
      return true;
    }
    // `remaining` counts the bytes still to come before this call, or is
    // SQL_NO_TOTAL. A piece that did not fit arrives cut to the room, with
    // SQL_SUCCESS_WITH_INFO; SQL_SUCCESS brings the last piece.
    bool cut = result == SQL_SUCCESS_WITH_INFO && (remaining == SQL_NO_TOTAL || remaining > kRoom);
    if (cut) {
      value.append(chunk, static_cast<size_t>(kRoom));
      continue;
    }
    if (remaining < 0 && remaining != SQL_NO_TOTAL) return false;
    // Never more than the room, whatever a driver claims.
    size_t length = remaining == SQL_NO_TOTAL || remaining > kRoom ? strnlen(chunk, static_cast<size_t>(kRoom))
                                                                   : static_cast<size_t>(remaining);
    value.append(chunk, length);
    return true;
  }
}
