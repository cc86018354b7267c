// CRowCopier: copies the rows of a table on one session into the table of the
// same name and columns on another, every value exactly as it is stored there:
// of the same type, floating-point values to the last bit, binary values byte
// for byte, integers of 64 bits, NULL as NULL, text of any length and with
// any characters. Values never pass through SQL text: each is read and
// written in a buffer typed after its column, and the buffers are kept from
// row to row, growing only for a value longer than any before it.
//
//   CRowCopier copier;
//   if (copier.Begin(from, to, "IVRCALL", "where ...", columnsOfTo) != 1) ...
//   while ((result = copier.CopyNext()) == 1) ++copied;
//   copier.End();
//
// Between Begin and End the copier owns the own statements of both sessions:
// it runs the SELECT on `from`'s and the INSERT on `to`'s. It opens no
// transaction; a caller that wants the copies as one unit begins one on `to`
// before Begin. End (or the destructor) leaves both statements with no
// cursor, no bound columns and no bound parameters.
#pragma once

#include <sql.h>

#include <cstddef>
#include <string>
#include <vector>

class OSql;

class CRowCopier {
 public:
  CRowCopier();
  CRowCopier(const CRowCopier&) = delete;
  CRowCopier& operator=(const CRowCopier&) = delete;
  ~CRowCopier();

  // Selects every column of the rows of `table` that `condition` (a WHERE
  // clause, or "") picks on `from`, and prepares their INSERT into `table`
  // on `to`, which names the columns that take them: the selected columns in
  // their order go into `intoColumns` in theirs (names as `to` stores them,
  // quoted as `to` quotes names). The caller has made sure that the two
  // tables' columns agree (ColumnDifference, db/table_columns.h): the copier
  // compares only their number. 1 ready; 0 the SELECT failed or yields no
  // columns; -1 the INSERT could not be prepared, or `intoColumns` has not
  // as many names as the SELECT columns (a failed statement is reported by
  // its session). Either failure ends the copy as End does.
  int Begin(OSql& from, OSql& to, const char* table, const char* condition,
            const std::vector<std::string>& intoColumns);

  // Copies the next row. 1 copied; 0 no rows are left; -1 the row could not
  // be read, or (on SQLite, which allows it) holds a value of another type
  // than its column, which could not arrive unchanged; -2 it could not be
  // inserted (reported by `to`).
  int CopyNext();

  // Ends the copy; nothing happens when none is under way.
  void End();

 private:
  struct Column;

  bool Select(const char* table, const char* condition, bool sqliteForm);
  bool Describe();
  bool Prepare(const char* table, const std::vector<std::string>& intoColumns);
  bool Read(Column& column, SQLUSMALLINT number);
  bool Bind(Column& column, SQLUSMALLINT number);

  OSql* from_ = nullptr;
  OSql* to_ = nullptr;
  std::vector<Column> columns_;
  SQLUSMALLINT typeCheckColumn_ = 0;  // on SQLite: the column that counts values of another type
};
