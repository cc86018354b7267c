// CWholeRowReader: reads the rows of the result set on a session's own
// statement with every value complete, however long it is (the bound column
// buffers of OSql keep 62 characters), and with NULL told apart from an
// empty text. For copying rows from one database to another.
//
//   session.FinishLocalRead();            // no cursor, no bound columns
//   if (session.Execute(select) == 0) ...
//   CWholeRowReader reader;
//   if (reader.Begin(session) == 0) ...
//   while (reader.Next() == 1) ... reader.Value(i), reader.IsNull(i) ...
//
// The statement's columns must not be bound. Values are kept in buffers that
// the reader reuses from row to row. The caller closes the cursor.
#pragma once

#include <sql.h>

#include <string>
#include <vector>

class OSql;

class CWholeRowReader {
 public:
  // Takes the result set of the statement that `session` just executed.
  // 1 when it has columns, 0 otherwise (closed session, no result set).
  int Begin(OSql& session);

  // Reads the next row: 1 read, 0 no more rows, -1 failed (the row and the
  // rows after it are not available).
  int Next();

  int ColumnCount() const { return static_cast<int>(values_.size()); }

  // The value of column `column` (0-based) of the row last read; empty and
  // IsNull true for NULL.
  const std::string& Value(int column) const { return values_[static_cast<size_t>(column)]; }
  bool IsNull(int column) const { return nulls_[static_cast<size_t>(column)] != 0; }

 private:
  // Reads one column of the current row into values_/nulls_; false on failure.
  bool ReadColumn(SQLUSMALLINT column);

  SQLHSTMT statement_ = SQL_NULL_HSTMT;
  std::vector<std::string> values_;
  std::vector<char> nulls_;
};
