// The columns of a table as the driver lists them (SQLColumns), and the test
// that decides whether rows of one table can be copied column for column
// into another without a value being put into a column of another meaning
// or converted into another kind of value on the way.
//
//   std::vector<TableColumn> from, to;
//   if (ReadTableColumns(live, "IVRCALL", &from) && ReadTableColumns(backup, "IVRCALL", &to)) {
//     std::string difference = ColumnDifference(from, to);
//     if (!difference.empty()) ...  // refuse, naming the column
//   }
#pragma once

#include <sql.h>

#include <string>
#include <vector>

class OSql;

struct TableColumn {
  std::string name;               // as the data source stores it
  SQLSMALLINT type = SQL_UNKNOWN_TYPE;  // the concise SQL data type (DATA_TYPE)
  bool nullable = true;           // false only when the driver says SQL_NO_NULLS
  bool hasDefault = false;        // the column has a default value
};

// Kinds of values, coarse enough that the same declaration gives the same
// class on every backend (a DOUBLE PRECISION is SQL_DOUBLE on one driver and
// SQL_FLOAT on another; a NUMERIC is SQL_NUMERIC or SQL_DECIMAL):
//   kText         SQL_CHAR, SQL_VARCHAR, SQL_LONGVARCHAR and their wide forms
//   kExact        SQL_BIT, SQL_TINYINT, SQL_SMALLINT, SQL_INTEGER, SQL_BIGINT,
//                 SQL_DECIMAL, SQL_NUMERIC
//   kApproximate  SQL_REAL, SQL_FLOAT, SQL_DOUBLE
//   kDateTime     dates, times, timestamps (ODBC 2 and 3 codes) and intervals
//   kBinary       SQL_BINARY, SQL_VARBINARY, SQL_LONGVARBINARY
//   kOther        anything else; two such columns match only with the same type
// A class says what a value means, not how much of it fits: a shorter text
// or a smaller integer is the same class, and a value too large for its
// column is refused by the backend when it is inserted, not here.
enum class TypeClass { kText, kExact, kApproximate, kDateTime, kBinary, kOther };

TypeClass ClassOfType(SQLSMALLINT type);

// Reads the columns of `table` on the open `session` into `out`, in their
// order in the table. The name is folded the way the data source stores
// unquoted names. When tables of that name exist in several schemas, only
// those of the first schema listed are kept. A table that does not exist
// gives an empty list and 1. Uses the session's own statement and leaves it
// idle. Prints nothing. Returns 0 when the driver cannot list them (or the
// session is closed), with its diagnostic records in `reason` (when not null).
int ReadTableColumns(OSql& session, const char* table, std::vector<TableColumn>* out, std::string* reason = nullptr);

// "" when every row of a table with the columns `from` can be inserted into
// a table with the columns `to` column for column: `to` begins with the
// columns of `from`, in the same order, each of the same name (compared
// without regard to case, as backends fold names differently) and of the same
// TypeClass; a column of `to` beyond them must take NULL or have a default,
// as an insert names no value for it. Otherwise the first difference, naming
// the column, in words for a report, e.g.
//   "column 3 is CallerNum in the live table but DialedNum in the backup table"
// where `fromName` and `toName` ("live", "backup") name the two tables. An
// empty `to` (no such table) is a difference as well.
std::string ColumnDifference(const std::vector<TableColumn>& from, const std::vector<TableColumn>& to,
                             const char* fromName, const char* toName);
