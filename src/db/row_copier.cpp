#include "db/row_copier.h"

#include <sqlext.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "db/osql.h"

namespace {

constexpr char kSelectRows[] = "SELECT %s from %s %s";
constexpr char kInsertRowStart[] = "INSERT INTO %s (";

// SQLite lets a value differ from the type of its column, and its driver
// hands every value over as the text SQLite makes of it, which keeps only 15
// digits of a floating-point value. On SQLite the SELECT therefore asks for
// floating-point values as 21-digit text, enough to give back every double
// bit for bit, and adds one column that counts the values of the row that
// their column's type would change: text in a number column, a number in a
// binary one, a floating-point value read as text, an integer beyond 2^53
// read as a double. Such a row is not copied. An integer read as text or as
// a double in range goes back in as the same integer, since a column whose
// affinity kept it an integer turns either into one again.
constexpr char kSqliteExactReal[] = "CASE WHEN typeof(%s)='real' THEN printf('%%!.20e', %s) ELSE %s END";
constexpr char kSqliteOtherType[] = "(typeof(%s) NOT IN ('null', %s))";
constexpr char kSqliteNotADouble[] =
    "(typeof(%s) NOT IN ('null', 'real', 'integer') OR typeof(%s) = 'integer' AND %s NOT BETWEEN "
    "-9007199254740992 AND 9007199254740992)";

// First buffer size of a column whose values vary in length; it grows for
// longer values and is kept for the rows after them.
constexpr size_t kFirstBufferBytes = 64;
constexpr size_t kLargestFirstBuffer = 4096;

// Column types whose size is a length of characters or bytes.
bool SizeIsLength(SQLSMALLINT type) {
  switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return true;
    default:
      return false;
  }
}

// printf into a string of the length it takes.
__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out;
  if (length > 0) {
    out.assign(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, again);
    out.resize(static_cast<size_t>(length));
  }
  va_end(again);
  return out;
}

}  // namespace

struct CRowCopier::Column {
  std::string name;
  SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
  SQLULEN size = 0;
  SQLSMALLINT digits = 0;
  SQLSMALLINT cType = SQL_C_CHAR;
  // Integers and floating-point values travel in `fixed`, everything else
  // in `buffer`, followed by `terminator` bytes that the driver adds to text.
  bool inBuffer = true;
  size_t terminator = 1;
  union {
    SQLBIGINT signedValue;
    SQLUBIGINT unsignedValue;
    double realValue;
  } fixed{};
  std::vector<char> buffer;
  SQLLEN indicator = 0;  // bytes in `buffer`, or SQL_NULL_DATA
  // Where the parameter was bound last: a buffer that grew must be bound
  // again.
  const char* boundData = nullptr;
  size_t boundSize = 0;
};

CRowCopier::CRowCopier() = default;

CRowCopier::~CRowCopier() { End(); }

int CRowCopier::Begin(OSql& from, OSql& to, const char* table, const char* condition,
                      const std::vector<std::string>& intoColumns) {
  End();
  from_ = &from;
  to_ = &to;
  if (table == nullptr || condition == nullptr || !Select(table, condition, false) || !Describe()) {
    End();
    return 0;
  }
  if (from.IsSqlite()) {
    SQLSMALLINT count = 0;
    if (!Select(table, condition, true) || !SqlSucceeded(SQLNumResultCols(from.statementHandle, &count)) ||
        count != static_cast<SQLSMALLINT>(columns_.size() + 1)) {
      End();
      return 0;
    }
    typeCheckColumn_ = static_cast<SQLUSMALLINT>(count);
  }
  if (intoColumns.size() != columns_.size() || !Prepare(table, intoColumns)) {
    End();
    return -1;
  }
  return 1;
}

bool CRowCopier::Select(const char* table, const char* condition, bool sqliteForm) {
  std::string list = "*";
  if (sqliteForm) {
    std::string checks;
    list.clear();
    for (const Column& c : columns_) {
      // Quoted as SQLite quotes names, its one quote doubled inside.
      std::string name = "\"";
      for (char ch : c.name) name += ch == '"' ? std::string("\"\"") : std::string(1, ch);
      name += '"';
      const char* n = name.c_str();
      if (!checks.empty()) checks += " + ";
      if (c.cType == SQL_C_DOUBLE) {
        list += Format(kSqliteExactReal, n, n, n);
        checks += Format(kSqliteNotADouble, n, n, n);
      } else {
        list += name;
        bool integer = c.cType == SQL_C_SBIGINT || c.cType == SQL_C_UBIGINT;
        const char* kept = integer ? "'integer'" : c.cType == SQL_C_BINARY ? "'blob'" : "'text', 'integer'";
        checks += Format(kSqliteOtherType, n, kept);
      }
      list += ", ";
    }
    list += checks;
  }
  from_->FinishLocalRead();
  return from_->Execute(Format(kSelectRows, list.c_str(), table, condition).c_str()) == 1;
}

bool CRowCopier::Describe() {
  SQLHSTMT statement = from_->statementHandle;
  SQLSMALLINT count = 0;
  if (!SqlSucceeded(SQLNumResultCols(statement, &count)) || count <= 0) return false;
  columns_.resize(static_cast<size_t>(count));
  for (SQLUSMALLINT n = 1; n <= static_cast<SQLUSMALLINT>(count); ++n) {
    Column& c = columns_[n - 1];
    SQLCHAR name[256] = {};
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT nullable = 0;
    if (!SqlSucceeded(
            SQLDescribeCol(statement, n, name, sizeof name, &nameLength, &c.sqlType, &c.size, &c.digits, &nullable)) ||
        nameLength >= static_cast<SQLSMALLINT>(sizeof name)) {
      return false;
    }
    c.name = reinterpret_cast<const char*>(name);
    size_t unit = 1;
    switch (c.sqlType) {
      case SQL_TINYINT:
      case SQL_SMALLINT:
      case SQL_INTEGER:
      case SQL_BIGINT: {
        SQLLEN isUnsigned = SQL_FALSE;
        SQLColAttribute(statement, n, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
        c.cType = isUnsigned == SQL_TRUE ? SQL_C_UBIGINT : SQL_C_SBIGINT;
        c.inBuffer = false;
        break;
      }
      case SQL_REAL:
      case SQL_FLOAT:
      case SQL_DOUBLE:
        c.cType = SQL_C_DOUBLE;
        c.inBuffer = false;
        break;
      case SQL_BINARY:
      case SQL_VARBINARY:
      case SQL_LONGVARBINARY:
        c.cType = SQL_C_BINARY;
        c.terminator = 0;
        break;
      case SQL_WCHAR:
      case SQL_WVARCHAR:
      case SQL_WLONGVARCHAR:
        c.cType = SQL_C_WCHAR;
        c.terminator = sizeof(SQLWCHAR);
        unit = sizeof(SQLWCHAR);
        break;
      default:
        // Text, exact decimals, dates and times: their text is the value.
        c.cType = SQL_C_CHAR;
        c.terminator = 1;
        break;
    }
    if (c.inBuffer) {
      size_t wanted = std::min(static_cast<size_t>(c.size), kLargestFirstBuffer) * unit + c.terminator;
      c.buffer.assign(std::clamp(wanted, kFirstBufferBytes, kLargestFirstBuffer), '\0');
    }
  }
  return true;
}

bool CRowCopier::Prepare(const char* table, const std::vector<std::string>& intoColumns) {
  // Named, so that a value goes into the column of its name whatever the
  // order of the target's columns, and a column the source lacks takes its
  // default.
  char quote[8] = "\"";
  SQLUSMALLINT identifierCase = SQL_IC_SENSITIVE;
  to_->GetIdentifierRules(quote, sizeof quote, &identifierCase);
  std::string q = quote[0] == ' ' ? "" : quote;
  std::string insert = Format(kInsertRowStart, table);
  for (size_t i = 0; i < intoColumns.size(); ++i) {
    if (i > 0) insert += ", ";
    insert += q;
    for (char ch : intoColumns[i]) insert += !q.empty() && ch == q[0] ? q + q : std::string(1, ch);
    insert += q;
  }
  insert += ") values(";
  for (size_t i = 0; i < columns_.size(); ++i) insert += i == 0 ? "?" : ", ?";
  insert += ')';
  SQLHSTMT statement = to_->statementHandle;
  if (statement == SQL_NULL_HSTMT) return false;  // a closed session
  SQLFreeStmt(statement, SQL_CLOSE);
  SQLFreeStmt(statement, SQL_RESET_PARAMS);
  if (!SqlSucceeded(SQLPrepare(statement, reinterpret_cast<SQLCHAR*>(insert.data()), SQL_NTS))) {
    to_->ReportDiagnostics();
    return false;
  }
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (!Bind(columns_[i], static_cast<SQLUSMALLINT>(i + 1))) {
      to_->ReportDiagnostics();
      return false;
    }
  }
  return true;
}

bool CRowCopier::Bind(Column& c, SQLUSMALLINT number) {
  SQLPOINTER data = &c.fixed;
  SQLLEN bufferLength = 0;
  SQLULEN size = c.size;
  if (c.inBuffer) {
    data = c.buffer.data();
    bufferLength = static_cast<SQLLEN>(c.buffer.size());
    // A length the column reports may be smaller than its values (SQLite
    // does not hold them to it, others report a guess for long types).
    size_t room = (c.buffer.size() - c.terminator) / (c.cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : 1);
    if (SizeIsLength(c.sqlType) && size < room) size = room;
  }
  c.boundData = c.buffer.data();
  c.boundSize = c.buffer.size();
  return SqlSucceeded(SQLBindParameter(to_->statementHandle, number, SQL_PARAM_INPUT, c.cType, c.sqlType, size,
                                       c.digits, data, bufferLength, &c.indicator));
}

int CRowCopier::CopyNext() {
  if (from_ == nullptr || columns_.empty()) return -1;
  SQLRETURN result = SQLFetch(from_->statementHandle);
  if (result == SQL_NO_DATA) return 0;
  if (!SqlSucceeded(result)) {
    from_->ReportDiagnostics();
    return -1;
  }
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (!Read(columns_[i], static_cast<SQLUSMALLINT>(i + 1))) {
      from_->ReportDiagnostics();
      return -1;
    }
  }
  if (typeCheckColumn_ != 0) {
    SQLBIGINT otherTypes = 0;
    SQLLEN got = 0;
    if (!SqlSucceeded(SQLGetData(from_->statementHandle, typeCheckColumn_, SQL_C_SBIGINT, &otherTypes, 0, &got)) ||
        got == SQL_NULL_DATA || otherTypes != 0) {
      return -1;
    }
  }
  for (size_t i = 0; i < columns_.size(); ++i) {
    Column& c = columns_[i];
    if (c.inBuffer && (c.boundData != c.buffer.data() || c.boundSize != c.buffer.size()) &&
        !Bind(c, static_cast<SQLUSMALLINT>(i + 1))) {
      to_->ReportDiagnostics();
      return -2;
    }
  }
  if (!SqlSucceeded(SQLExecute(to_->statementHandle))) {
    to_->ReportDiagnostics();
    return -2;
  }
  return 1;
}

bool CRowCopier::Read(Column& c, SQLUSMALLINT number) {
  SQLHSTMT statement = from_->statementHandle;
  if (!c.inBuffer) {
    SQLLEN got = 0;
    if (!SqlSucceeded(SQLGetData(statement, number, c.cType, &c.fixed, sizeof c.fixed, &got))) return false;
    c.indicator = got == SQL_NULL_DATA ? SQL_NULL_DATA : 0;
    return true;
  }
  size_t used = 0;
  for (;;) {
    size_t room = c.buffer.size() - used;
    SQLLEN got = 0;
    SQLRETURN result = SQLGetData(statement, number, c.cType, c.buffer.data() + used, static_cast<SQLLEN>(room), &got);
    // A value read to its end answers SQL_NO_DATA to a further call.
    if (result == SQL_NO_DATA) break;
    if (!SqlSucceeded(result)) return false;
    if (got == SQL_NULL_DATA) {
      c.indicator = SQL_NULL_DATA;
      return true;
    }
    // `got` counts the bytes still to come before this call, or is
    // SQL_NO_TOTAL. A piece that does not fit arrives cut to the room left
    // for it, with SQL_SUCCESS_WITH_INFO; SQL_SUCCESS brings the last one.
    size_t fits = room - c.terminator;
    bool cut = result == SQL_SUCCESS_WITH_INFO && (got == SQL_NO_TOTAL || (got > 0 && static_cast<size_t>(got) > fits));
    if (cut) {
      used += fits;
      size_t wanted = got == SQL_NO_TOTAL ? 0 : used + (static_cast<size_t>(got) - fits) + c.terminator;
      c.buffer.resize(std::max(wanted, c.buffer.size() * 2));
      continue;
    }
    // Never more than the room, whatever a driver claims.
    if (got < 0 || static_cast<size_t>(got) > fits) return false;
    used += static_cast<size_t>(got);
    break;
  }
  c.indicator = static_cast<SQLLEN>(used);
  return true;
}

void CRowCopier::End() {
  if (from_ != nullptr) from_->FinishLocalRead();
  if (to_ != nullptr && to_->statementHandle != SQL_NULL_HSTMT) {
    SQLFreeStmt(to_->statementHandle, SQL_CLOSE);
    SQLFreeStmt(to_->statementHandle, SQL_RESET_PARAMS);
  }
  from_ = nullptr;
  to_ = nullptr;
  typeCheckColumn_ = 0;
  columns_.clear();
}
