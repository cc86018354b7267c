// The columns of CDRMAIN that the tool reads: what each means and what kind
// of value it needs, so that a table can be judged before the checks run on
// it (nortesk-etp doctor).
#pragma once

#include <sql.h>

#include <span>

enum class ColumnNeed {
  kEpochSeconds,  // an integer count of seconds since 1970-01-01 00:00:00 UTC
  kInteger,       // an integer code or number
  kText,          // text shown as it stands
  kDay,           // a local calendar day: text YYYYMMDD or YYYY-MM-DD, or a date
};

struct CdrColumn {
  const char* name;     // as the tool's statements spell it
  const char* meaning;  // for the user, in a few words
  ColumnNeed need;
};

// Every column the tool reads, in the order of the README's table.
std::span<const CdrColumn> CdrColumnsRead();

// What a need asks for, as a message names it: "integer epoch seconds", ...
const char* NeedText(ColumnNeed need);

// What to do when a column's values do not meet its need, as one clause.
const char* NeedAdvice(ColumnNeed need);

// True when a column of ODBC type `sqlType` (SQLDescribeCol's data type,
// with its decimal digits) can hold what `need` asks for.
bool TypeMeetsNeed(ColumnNeed need, SQLSMALLINT sqlType, SQLSMALLINT decimalDigits);
