// A scripted stand-in for the ODBC driver manager, linked into the seam test
// programs in place of the real one. Each call is recorded by name and
// answers as the script says; handles are fake values (each connection's
// its own, so that what a connection commits is told apart). Sessions on
// several threads may call it at once: the calls take turns, and each
// thread fetches from its own cursor (its bindings and its row count).
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

namespace fake_odbc {

struct Diagnostic {
  std::string state;
  int nativeError = 0;
  std::string message;
};

struct Script {
  SQLRETURN allocEnv = SQL_SUCCESS;
  SQLRETURN setEnvAttr = SQL_SUCCESS;
  SQLRETURN allocDbc = SQL_SUCCESS;
  SQLRETURN connect = SQL_SUCCESS;
  std::vector<int> failingConnects;    // 1-based SQLConnect calls that answer SQL_ERROR
  SQLRETURN allocStmt = SQL_SUCCESS;
  SQLRETURN execDirect = SQL_SUCCESS;
  std::vector<int> failingExecutions;  // 1-based SQLExecDirect calls that answer SQL_ERROR
  // Executions whose text contains `failingText` (when not empty) answer
  // SQL_ERROR, but only once an execution whose text contains
  // `failingWaitsFor` (when not empty) has been made, on another thread: a
  // session that fails while another one reads on.
  std::string failingText;
  std::string failingWaitsFor;
  // Executions whose text contains `emptyResultText` (when not empty)
  // deliver no row, whatever `rows` says.
  std::string emptyResultText;
  SQLRETURN bindCol = SQL_SUCCESS;
  int failBindAtColumn = 0;  // 1-based column whose bind fails with bindCol; 0 = all
  SQLSMALLINT resultColumns = 1;
  int rows = 0;                     // rows that SQLFetch delivers before SQL_NO_DATA
  SQLRETURN rowResult = SQL_SUCCESS;
  SQLRETURN endResult = SQL_NO_DATA;  // what SQLFetch answers after the rows
  std::vector<std::string> rowText;   // text bound SQL_C_CHAR columns get per row (cycled)
  SQLINTEGER rowLong = 0;             // value bound SQL_C_LONG and SQL_C_SBIGINT columns get
  std::vector<Diagnostic> diagnostics;  // records of any statement handle
  SQLRETURN getInfo = SQL_SUCCESS;
  std::string identifierQuote = "\"";            // SQL_IDENTIFIER_QUOTE_CHAR
  SQLUSMALLINT identifierCase = SQL_IC_SENSITIVE;  // SQL_IDENTIFIER_CASE
  // What SQLColumns lists for any table: these names, each VARCHAR and
  // nullable. One column, as SQLDescribeCol names the first ("C1").
  std::vector<std::string> tableColumns = {"C1"};
  SQLLEN rowCount = 0;  // what SQLRowCount answers, and the rows a DELETE removes
  // Data sources whose next SQL_COMMIT answers SQL_ERROR, one commit an
  // entry; the unit is undone, as a server undoes a transaction whose commit
  // failed.
  std::vector<std::string> failingCommits;
};

// Rows that a data source has taken for good: inserted by SQLExecute (one a
// call) and deleted by a DELETE (rowCount each), once committed, or at once
// under automatic commit. A rollback, a failed commit or a disconnection
// drops those of the open unit.
struct Changes {
  int inserted = 0;
  int deleted = 0;
};
Changes Committed(const std::string& dsn);

// The script in force; Reset() restores the defaults and clears the log.
Script& TheScript();
void Reset();

// Every call made, in order, by function name ("SQLConnect", ...).
const std::vector<std::string>& Calls();
int CountCalls(const std::string& name);

// Lengths passed to SQLExecDirect, and the texts (of exactly that length).
const std::vector<std::string>& ExecutedTexts();
const std::vector<SQLINTEGER>& ExecutedLengths();

// Texts passed to SQLPrepare, and the parameters bound by SQLBindParameter
// (the value as its buffer held it when bound), in the order of the calls.
struct BoundParameter {
  SQLUSMALLINT number = 0;
  SQLSMALLINT valueType = 0;      // the C type
  SQLSMALLINT parameterType = 0;  // the SQL type
  std::string value;
};
const std::vector<std::string>& PreparedTexts();
const std::vector<BoundParameter>& BoundParameters();

// Handles freed, by handle type.
int FreedHandles(SQLSMALLINT type);

}  // namespace fake_odbc
