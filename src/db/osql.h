// OSql: one ODBC session. It owns an ODBC 3 environment, one connection to a
// data source and one statement handle (the "own statement") that lives as
// long as the connection. It runs SQL text, binds result columns, fetches
// rows, and reports every failure, with the driver's diagnostic records,
// through Trace() under the module name "OSql".
//
// Calling order: Connect (or OpenDatabase); then any number of statements,
// each an Execute followed by the reading of its rows (BindAllColumns and
// Fetch, or one of the query operations that execute by themselves), then
// CloseCursor before the own statement runs again; Disconnect last.
//
// Operations return 1 for success and 0 for failure unless stated otherwise.
// The destructor does nothing: the owner must call Disconnect. A session is
// used by one thread at a time; sessions share nothing.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A value for a parameter marker ("?") of a statement: text, which the
// driver converts to `type`, the SQL data type of what the marker is
// compared with (a column's DATA_TYPE, as SQLColumns lists it).
struct TextParameter {
  std::string text;
  SQLSMALLINT type = SQL_VARCHAR;
};

class OSql {
 public:
  static constexpr int kMaxColumns = 32;
  static constexpr int kColumnTextSize = 64;

  OSql() = default;
  OSql(const OSql&) = delete;
  OSql& operator=(const OSql&) = delete;

  // Opens the session on data source `dsn`. An empty `user` or `password`
  // leaves the data source's own settings in force. Returns 0 without any
  // call when `dsn` is empty or `user`/`password` is null; returns 1 at once
  // when the session is open already (the arguments are not compared).
  int Connect(const char* dsn, const char* user, const char* password);

  // Frees the statement, disconnects and frees the connection and the
  // environment. Makes no call on a closed session.
  void Disconnect();

  // Connect on the process-wide DsnName with an empty user and password; on
  // failure prints "Failed to open database %s\n" and returns 0, and tells
  // why on standard error (PrintConnectFailure).
  int OpenDatabase();

  // Prints on standard error why the last Connect failed: the driver's (or
  // the driver manager's) diagnostic records, and which odbc.ini file the
  // data source names were looked up in. Nothing after a successful Connect.
  void PrintConnectFailure() const;
  // The same text, one line each ending in "\n"; "" after a successful
  // Connect.
  std::string ConnectFailureText() const;
  void CloseDatabase() { Disconnect(); }

  // Runs `sql` on the own statement. 0 also for SQL_NO_DATA (a searched
  // UPDATE or DELETE that touched no row), which is not reported. On an open
  // session it first clears lastStatementFailed and lastErrorState.
  int Execute(const char* sql);

  // Execute of `sql` with its parameter markers bound, in order, to
  // `parameters`: prepared, then executed, so that a value reaches the data
  // source as data and never inside the statement text. A marker left
  // without a value, or a value the driver cannot convert, fails as a
  // statement does (reported). The values are unbound again before it
  // returns; the rows are read as after Execute. No parameters: Execute.
  int ExecuteWith(const char* sql, const std::vector<TextParameter>& parameters);

  // Runs `length` bytes of `text` (no terminator needed) on a statement of
  // its own that is freed again. Returns 0 executed, 1 executed with
  // SQL_NO_DATA or failed, -1 not attempted (closed session, null text,
  // length <= 0, statement not allocated). The own statement is untouched.
  int ExecuteOnNewStatement(const char* text, int32_t length);

  // Binds result columns 1..min(n, 32) of the own statement as text into
  // columnText and columnIndicator and sets columnCount.
  int BindAllColumns();

  // 1 when a row was fetched into the bound buffers; 0 at the end or on error.
  int Fetch();

  // Closes the own statement's cursor, if any.
  void CloseCursor();

  // Closes the cursor and drops every column binding of the own statement;
  // for reads that bound columns to buffers of their own.
  void FinishLocalRead();

  // The diagnostic records of the own statement as text, one line each
  // ("message (SQLSTATE xxxxx)"); nothing is reported or printed.
  std::string DiagnosticText() const;

  // Reports each diagnostic record of the own statement through Trace and
  // prints it on standard output (or appends it to printSink when set);
  // notes the failure in lastStatementFailed, lastErrorState and
  // connectionLost.
  void ReportDiagnostics();

  // Where ReportDiagnostics puts its lines instead of standard output, for a
  // session whose output must wait its turn; null for standard output.
  std::string* printSink = nullptr;

  // Exchanges everything of the two sessions (handles, state, diagnostics),
  // so that an open connection can change hands.
  void SwapWith(OSql& other);

  // Copies the first column of the first row of `sql`'s result into `out`
  // as exactly 8 bytes (the text padded with NULs; an 8-character value
  // leaves no terminator, so `out` must be a zero-filled buffer of more than
  // 8 bytes). A NULL value gives 8 NULs. The cursor is closed on every path.
  int QueryText(const char* sql, char* out);

  // Copies the first column of the first row of `sql`'s result into `out`
  // as text of at most `size` - 1 characters and a NUL (at most 259); a NULL
  // value gives "". The cursor is closed on every path. 0 when `sql` failed
  // to run or gave no row.
  int QueryFirstText(const char* sql, char* out, size_t size);

  // Reads a 64-bit integer from column 1 of `sql`'s last row into `out`;
  // no row or a NULL value gives 0. Returns 0 only when `sql` failed to run
  // or its column could not be bound.
  int QueryInteger(const char* sql, int64_t* out);
  // QueryInteger of a count of seconds, stored divided by 60, truncated
  // toward zero, at `outMinutes`.
  int QueryMinutes(const char* sql, int64_t* outMinutes);

  // Transactions. BeginTransaction turns automatic
  // commit off, so that the statements after it form one unit until Commit
  // or Rollback ends it and turns automatic commit on again. A failed Commit
  // or Rollback leaves the unit open (turning automatic commit on would
  // commit it), for a Rollback to end. 1 on success, 0 on failure or a
  // closed session; no reports.
  int BeginTransaction();
  int Commit();
  int Rollback();

  // How the data source quotes identifiers and stores unquoted ones: `quote`
  // gets the quote text (" " when it has none; cut to `size`), `identifierCase`
  // the SQL_IDENTIFIER_CASE answer (SQL_IC_UPPER, _LOWER, _SENSITIVE or
  // _MIXED). Returns 0, with both left as they were, on a closed session or
  // when the driver cannot tell.
  int GetIdentifierRules(char* quote, size_t size, SQLUSMALLINT* identifierCase);

  // True when the session is open on a SQLite database (the driver's DBMS
  // name), whose database is a file and whose SQL has its own dialect.
  bool IsSqlite();

  // True when the session is open and the driver's DBMS name begins with
  // `prefix`, in any case ("MariaDB", "PostgreSQL").
  bool DbmsNameStartsWith(const char* prefix);

  // Rows changed by the last INSERT, UPDATE or DELETE on the own statement;
  // -1 when the driver cannot tell or the session is closed.
  int64_t AffectedRows();

  bool IsOpen() const { return connectionHandle != SQL_NULL_HDBC; }

  // How the last statement of the own statement ended: lastStatementFailed
  // is 1 when its Execute failed or a fetch of its rows ended in an error,
  // and lastErrorState then holds the SQLSTATE of the first diagnostic
  // record ("" when the driver gave none), lastErrorMessage its message.
  int32_t lastStatementFailed = 0;
  char lastErrorState[6] = {};
  std::string lastErrorMessage;
  // 1 once a failure said that the connection to the data source is gone
  // (IsConnectionLost); the session is of no further use until it is opened
  // again. Only Disconnect clears it.
  int32_t connectionLost = 0;

  // Result columns of the current row, valid after BindAllColumns and each
  // successful Fetch. A value arrives as at most 62 characters and a NUL.
  int32_t columnCount = 0;
  char columnText[kMaxColumns][kColumnTextSize];
  SQLLEN columnIndicator[kMaxColumns];  // byte length, or SQL_NULL_DATA

  SQLHENV environmentHandle = SQL_NULL_HENV;
  SQLHDBC connectionHandle = SQL_NULL_HDBC;
  SQLHSTMT statementHandle = SQL_NULL_HSTMT;
  // 1 after SQLConnect succeeded, 2 once the own statement exists.
  int32_t connectStage = 0;

 private:
  int FailConnect();
  // The diagnostic records of the last failed Connect, one per line.
  char connectDiagnostics_[1024] = {};
};

// The module name under which the session reports.
inline constexpr char kOSqlModule[] = "OSql";

// Ends the text fetched into a bound SQL_C_CHAR buffer of `room` bytes that
// was bound as `room` - 1 bytes, given its length indicator: a value too
// long for the binding keeps its first `room` - 2 characters. Some drivers
// fill the whole bound length without a terminator; this makes every driver
// deliver the same text.
inline void EndBoundText(char* text, SQLLEN indicator, size_t room) {
  if (indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(room) - 1) text[room - 2] = '\0';
}

// `name` as a database of identifier case `identifierCase` (an
// SQL_IDENTIFIER_CASE answer) stores it unquoted: SQL_IC_LOWER and
// SQL_IC_UPPER fold it, anything else keeps it as written.
std::string FoldIdentifier(const char* name, SQLUSMALLINT identifierCase);

// True for SQL_SUCCESS and SQL_SUCCESS_WITH_INFO.
inline bool SqlSucceeded(SQLRETURN result) { return result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO; }
