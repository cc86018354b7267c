#include "db/osql.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "settings/settings.h"
#include "db/connection_loss.h"
#include "platform/text.h"
#include "trace/trace.h"

namespace {

// The line numbers under which the session's reports appear in the trace.
enum ReportLine {
  kLineEnvironment = 96,
  kLineVersion = 104,
  kLineConnectionAlloc = 111,
  kLineConnect = 120,
  kLineStatementAlloc = 127,
  kLineConnected = 132,
  kLineDisconnected = 168,
  kLineFreshStatement = 194,
  kLineFreshExecute = 213,
  kLineFreshDiagnostic = 217,
  kLineExecute = 252,
  kLineNoColumn = 277,
  kLineBind = 289,
  kLineDiagnostic = 458,
};

constexpr char kDiagnosticFormat[] = "SQL Error Message: Diag:%d, SQLSTATE:%s, NativeError:%d, ErrMsg:%s\r\n";
constexpr char kExecuteFailed[] = "Failed to execute a sql statement, %d";
constexpr SQLSMALLINT kMessageSize = 1024;

SQLCHAR* Text(const char* text) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)); }

// Walks the diagnostic records of `handle`; `report` gets each record's
// number, state, native error and message.
template <typename Report>
void ForEachDiagnosticOf(SQLSMALLINT type, SQLHANDLE handle, Report report) {
  for (SQLSMALLINT n = 1;; ++n) {
    SQLCHAR state[6] = {};
    SQLINTEGER nativeError = 0;
    SQLCHAR message[kMessageSize] = {};
    SQLRETURN result = SQLGetDiagRec(type, handle, n, state, &nativeError, message, kMessageSize, nullptr);
    // Only SQL_NO_DATA ends the walk by the rules; an invalid handle or an
    // error would repeat forever, so those end it as well.
    if (result == SQL_NO_DATA || result == SQL_INVALID_HANDLE || result == SQL_ERROR) return;
    report(n, reinterpret_cast<const char*>(state), static_cast<int>(nativeError), reinterpret_cast<const char*>(message));
  }
}

template <typename Report>
void ForEachDiagnostic(SQLHSTMT statement, Report report) {
  ForEachDiagnosticOf(SQL_HANDLE_STMT, statement, report);
}

// The driver manager's own files, where it looks a data source name up when
// ODBCINI does not name a file.
constexpr char kDefaultOdbcIniFiles[] = "~/.odbc.ini and /etc/odbc.ini";

}  // namespace

int OSql::Connect(const char* dsn, const char* user, const char* password) {
  if (!HasText(dsn) || user == nullptr || password == nullptr) return 0;
  if (connectionHandle != SQL_NULL_HDBC) return 1;
  connectDiagnostics_[0] = '\0';
  try {
    SQLRETURN result = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environmentHandle);
    if (!SqlSucceeded(result)) {
      Trace(kOSqlModule, kLineEnvironment, "Failed to allocate a SQL handle for environment, %d", result);
      environmentHandle = SQL_NULL_HENV;
      return 0;
    }
    result = SQLSetEnvAttr(environmentHandle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SqlSucceeded(result)) {
      Trace(kOSqlModule, kLineVersion, "Failed to set SQL version, %d", result);
      return FailConnect();
    }
    result = SQLAllocHandle(SQL_HANDLE_DBC, environmentHandle, &connectionHandle);
    if (!SqlSucceeded(result)) {
      Trace(kOSqlModule, kLineConnectionAlloc, "Failed to allocate a SQL handle for DBC, %d", result);
      return FailConnect();
    }
    SQLSetConnectAttr(connectionHandle, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(5), 0);
    // An empty user name or password is left out rather than passed as
    // empty text: drivers then take the ones of the data source's section
    // (MariaDB's would otherwise log in as the operating-system user).
    result = SQLConnect(connectionHandle, Text(dsn), SQL_NTS, user[0] != '\0' ? Text(user) : nullptr,
                        user[0] != '\0' ? SQL_NTS : 0, password[0] != '\0' ? Text(password) : nullptr,
                        password[0] != '\0' ? SQL_NTS : 0);
    if (!SqlSucceeded(result)) {
      Trace(kOSqlModule, kLineConnect, "Failed to connect with database, %d", result);
      // Read while the connection handle still exists: the reason is in it.
      size_t used = 0;
      ForEachDiagnosticOf(SQL_HANDLE_DBC, connectionHandle,
                          [this, &used](int n, const char* state, int nativeError, const char* message) {
                            Trace(kOSqlModule, kLineConnect, kDiagnosticFormat, n, state, nativeError, message);
                            used += FormatBounded(connectDiagnostics_ + used, sizeof connectDiagnostics_ - used,
                                                  "%s (SQLSTATE %s)\n", message, state);
                          });
      return FailConnect();
    }
    ++connectStage;
    result = SQLAllocHandle(SQL_HANDLE_STMT, connectionHandle, &statementHandle);
    if (!SqlSucceeded(result)) {
      Trace(kOSqlModule, kLineStatementAlloc, "Failed to allocate a handle for statement, %d", result);
      statementHandle = SQL_NULL_HSTMT;
      return FailConnect();
    }
    ++connectStage;
    Trace(kOSqlModule, kLineConnected, "Connected with ODBC %s:%s", dsn, user);
    return 1;
  } catch (...) {
    return FailConnect();
  }
}

int OSql::FailConnect() {
  if (connectionHandle != SQL_NULL_HDBC) {
    if (connectStage >= 1) SQLDisconnect(connectionHandle);
    SQLFreeHandle(SQL_HANDLE_DBC, connectionHandle);
    connectionHandle = SQL_NULL_HDBC;
  }
  if (environmentHandle != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, environmentHandle);
  environmentHandle = SQL_NULL_HENV;
  statementHandle = SQL_NULL_HSTMT;
  connectStage = 0;
  return 0;
}

void OSql::Disconnect() {
  if (statementHandle != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statementHandle);
  statementHandle = SQL_NULL_HSTMT;
  if (connectionHandle != SQL_NULL_HDBC) {
    if (connectStage >= 1) SQLDisconnect(connectionHandle);
    SQLFreeHandle(SQL_HANDLE_DBC, connectionHandle);
    connectionHandle = SQL_NULL_HDBC;
    Trace(kOSqlModule, kLineDisconnected, "Disconnected from ODBC server");
  }
  if (environmentHandle != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, environmentHandle);
  environmentHandle = SQL_NULL_HENV;
  connectStage = 0;
  connectionLost = 0;
  lastStatementFailed = 0;
  lastErrorState[0] = '\0';
  lastErrorMessage.clear();
}

int OSql::OpenDatabase() {
  if (Connect(DsnName, "", "") == 0) {
    std::printf("Failed to open database %s\n", DsnName);
    PrintConnectFailure();
    return 0;
  }
  return 1;
}

std::string OSql::ConnectFailureText() const {
  if (connectionHandle != SQL_NULL_HDBC) return "";
  std::string text = connectDiagnostics_[0] != '\0' ? connectDiagnostics_ : "The driver gave no reason.\n";
  const char* ini = std::getenv("ODBCINI");
  if (ini != nullptr && ini[0] != '\0') {
    text += std::string("Data source names are looked up in ") + ini + " (ODBCINI) and /etc/odbc.ini.\n";
  } else {
    text += std::string("ODBCINI is not set: data source names are looked up in ") + kDefaultOdbcIniFiles + ".\n";
  }
  return text;
}

void OSql::PrintConnectFailure() const {
  const std::string text = ConnectFailureText();
  if (text.empty()) return;
  // Standard output first, so that the two streams read in order on a
  // terminal.
  std::fflush(stdout);
  std::fputs(text.c_str(), stderr);
}

int OSql::Execute(const char* sql) {
  if (connectionHandle == SQL_NULL_HDBC || sql == nullptr || statementHandle == SQL_NULL_HSTMT) return 0;
  lastStatementFailed = 0;
  lastErrorState[0] = '\0';
  lastErrorMessage.clear();
  try {
    SQLRETURN result = SQLExecDirect(statementHandle, Text(sql), SQL_NTS);
    if (SqlSucceeded(result)) return 1;
    if (result == SQL_NO_DATA) return 0;
    Trace(kOSqlModule, kLineExecute, kExecuteFailed, result);
    ReportDiagnostics();
    return 0;
  } catch (...) {
    return 0;
  }
}

int OSql::ExecuteWith(const char* sql, const std::vector<TextParameter>& parameters) {
  if (parameters.empty()) return Execute(sql);
  if (connectionHandle == SQL_NULL_HDBC || sql == nullptr || statementHandle == SQL_NULL_HSTMT) return 0;
  lastStatementFailed = 0;
  lastErrorState[0] = '\0';
  lastErrorMessage.clear();
  // The drivers read an input value at SQLExecute: the lengths live until then.
  std::vector<SQLLEN> lengths(parameters.size());
  SQLRETURN result = SQL_ERROR;
  try {
    result = SQLPrepare(statementHandle, Text(sql), SQL_NTS);
    for (size_t i = 0; SqlSucceeded(result) && i < parameters.size(); ++i) {
      const TextParameter& parameter = parameters[i];
      lengths[i] = static_cast<SQLLEN>(parameter.text.size());
      result = SQLBindParameter(statementHandle, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR,
                                parameter.type, std::max<SQLULEN>(parameter.text.size(), 1), 0,
                                const_cast<char*>(parameter.text.data()), lengths[i], &lengths[i]);
    }
    if (SqlSucceeded(result)) result = SQLExecute(statementHandle);
  } catch (...) {
    result = SQL_ERROR;
  }
  // Reported before the bindings go: any other call on the statement would
  // clear its diagnostic records.
  if (!SqlSucceeded(result) && result != SQL_NO_DATA) {
    Trace(kOSqlModule, kLineExecute, kExecuteFailed, result);
    ReportDiagnostics();
  }
  SQLFreeStmt(statementHandle, SQL_RESET_PARAMS);
  return SqlSucceeded(result) ? 1 : 0;
}

int OSql::ExecuteOnNewStatement(const char* text, int32_t length) {
  if (connectionHandle == SQL_NULL_HDBC || text == nullptr || length <= 0) return -1;
  SQLHSTMT fresh = SQL_NULL_HSTMT;
  try {
    SQLRETURN result = SQLAllocHandle(SQL_HANDLE_STMT, connectionHandle, &fresh);
    if (result == SQL_ERROR || result == SQL_INVALID_HANDLE) {
      Trace(kOSqlModule, kLineFreshStatement, "Fail to Alloc STMT handle");
      return -1;
    }
  } catch (...) {
    return -1;
  }
  int outcome = 1;
  try {
    SQLRETURN result = SQLExecDirect(fresh, Text(text), length);
    if (SqlSucceeded(result)) {
      outcome = 0;
    } else if (result != SQL_NO_DATA) {
      Trace(kOSqlModule, kLineFreshExecute, kExecuteFailed, result);
      ForEachDiagnostic(fresh, [](int n, const char* state, int nativeError, const char* message) {
        Trace(kOSqlModule, kLineFreshDiagnostic, kDiagnosticFormat, n, state, nativeError, message);
      });
    }
  } catch (...) {
    outcome = 1;
  }
  SQLFreeHandle(SQL_HANDLE_STMT, fresh);
  return outcome;
}

int OSql::BindAllColumns() {
  if (statementHandle == SQL_NULL_HSTMT) return 0;
  columnCount = 0;
  std::memset(columnText, 0, sizeof columnText);
  std::memset(columnIndicator, 0, sizeof columnIndicator);
  SQLSMALLINT n = 0;
  SQLNumResultCols(statementHandle, &n);
  if (n <= 0) {
    Trace(kOSqlModule, kLineNoColumn, "No column is selected");
    return 0;
  }
  if (n > kMaxColumns) n = kMaxColumns;
  columnCount = n;
  for (SQLSMALLINT i = 0; i < n; ++i) {
    // One byte short of the buffer, so its last byte always stays zero.
    SQLRETURN result = SQLBindCol(statementHandle, static_cast<SQLUSMALLINT>(i + 1), SQL_C_CHAR, columnText[i],
                                  kColumnTextSize - 1, &columnIndicator[i]);
    if (result != SQL_SUCCESS) {
      Trace(kOSqlModule, kLineBind, "Failed to bind column %d", static_cast<int>(i));
      return 0;
    }
  }
  return 1;
}

int OSql::Fetch() {
  if (statementHandle == SQL_NULL_HSTMT) return 0;
  if (!SqlSucceeded(SQLFetch(statementHandle))) return 0;
  for (int32_t i = 0; i < columnCount; ++i) EndBoundText(columnText[i], columnIndicator[i], kColumnTextSize);
  return 1;
}

void OSql::CloseCursor() {
  if (statementHandle != SQL_NULL_HSTMT) SQLCloseCursor(statementHandle);
}

void OSql::SwapWith(OSql& other) {
  // Bound columns point into the object that bound them; they do not move
  // with the statement.
  FinishLocalRead();
  other.FinishLocalRead();
  columnCount = 0;
  other.columnCount = 0;
  std::swap(environmentHandle, other.environmentHandle);
  std::swap(connectionHandle, other.connectionHandle);
  std::swap(statementHandle, other.statementHandle);
  std::swap(connectStage, other.connectStage);
  std::swap(lastStatementFailed, other.lastStatementFailed);
  std::swap(lastErrorState, other.lastErrorState);
  std::swap(lastErrorMessage, other.lastErrorMessage);
  std::swap(connectionLost, other.connectionLost);
  std::swap(printSink, other.printSink);
  std::swap(connectDiagnostics_, other.connectDiagnostics_);
}

std::string OSql::DiagnosticText() const {
  std::string text;
  ForEachDiagnostic(statementHandle, [&text](int, const char* state, int, const char* message) {
    text += std::string(message) + " (SQLSTATE " + state + ")\n";
  });
  return text;
}

void OSql::ReportDiagnostics() {
  lastStatementFailed = 1;
  lastErrorState[0] = '\0';
  lastErrorMessage.clear();
  ForEachDiagnostic(statementHandle, [this](int n, const char* state, int nativeError, const char* message) {
    Trace(kOSqlModule, kLineDiagnostic, kDiagnosticFormat, n, state, nativeError, message);
    if (printSink != nullptr) {
      char line[kMessageSize + 128];
      FormatBounded(line, sizeof line, kDiagnosticFormat, n, state, nativeError, message);
      printSink->append(line);
    } else {
      std::printf(kDiagnosticFormat, n, state, nativeError, message);
    }
    if (n == 1) {
      FormatBounded(lastErrorState, sizeof lastErrorState, "%s", state);
      lastErrorMessage = message;
    }
    if (IsConnectionLost(state, nativeError)) connectionLost = 1;
  });
}

int OSql::QueryFirstText(const char* sql, char* out, size_t size) {
  char buffer[260] = {};
  SQLLEN indicator = 0;
  if (size == 0 || Execute(sql) == 0) return 0;
  if (SQLBindCol(statementHandle, 1, SQL_C_CHAR, buffer, sizeof buffer - 1, &indicator) != SQL_SUCCESS) {
    FinishLocalRead();
    return 0;
  }
  if (SQLFetch(statementHandle) != SQL_SUCCESS) {
    ReportDiagnostics();
    FinishLocalRead();
    return 0;
  }
  FinishLocalRead();
  EndBoundText(buffer, indicator, sizeof buffer);
  FormatBounded(out, size, "%s", indicator == SQL_NULL_DATA ? "" : buffer);
  return 1;
}

int OSql::QueryText(const char* sql, char* out) {
  char buffer[260] = {};
  if (QueryFirstText(sql, buffer, sizeof buffer) == 0) return 0;
  // Exactly 8 bytes: the value padded with NULs, or its first 8 characters.
  size_t length = strnlen(buffer, 8);
  std::memcpy(out, buffer, length);
  std::memset(out + length, 0, 8 - length);
  return 1;
}

int OSql::QueryInteger(const char* sql, int64_t* out) {
  *out = 0;
  SQLBIGINT value = 0;
  SQLLEN indicator = 0;
  if (Execute(sql) == 0) return 0;
  if (SQLBindCol(statementHandle, 1, SQL_C_SBIGINT, &value, sizeof value, &indicator) != SQL_SUCCESS) {
    FinishLocalRead();
    return 0;
  }
  while (SqlSucceeded(SQLFetch(statementHandle))) {
    *out = indicator == SQL_NULL_DATA ? 0 : static_cast<int64_t>(value);
  }
  FinishLocalRead();
  return 1;
}

int OSql::QueryMinutes(const char* sql, int64_t* outMinutes) {
  const int done = QueryInteger(sql, outMinutes);
  *outMinutes /= 60;
  return done;
}

std::string FoldIdentifier(const char* name, SQLUSMALLINT identifierCase) {
  std::string folded = name != nullptr ? name : "";
  for (char& c : folded) {
    unsigned char u = static_cast<unsigned char>(c);
    if (identifierCase == SQL_IC_LOWER) c = static_cast<char>(std::tolower(u));
    if (identifierCase == SQL_IC_UPPER) c = static_cast<char>(std::toupper(u));
  }
  return folded;
}

bool OSql::DbmsNameStartsWith(const char* prefix) {
  if (!IsOpen() || prefix == nullptr) return false;
  char name[64] = {};
  SQLSMALLINT length = 0;
  if (!SqlSucceeded(SQLGetInfo(connectionHandle, SQL_DBMS_NAME, name, sizeof name, &length))) return false;
  return strncasecmp(name, prefix, std::strlen(prefix)) == 0;
}

bool OSql::IsSqlite() { return DbmsNameStartsWith("SQLite"); }

int OSql::GetIdentifierRules(char* quote, size_t size, SQLUSMALLINT* identifierCase) {
  if (connectionHandle == SQL_NULL_HDBC || size == 0) return 0;
  char quoteText[8] = {};
  SQLUSMALLINT folding = 0;
  if (!SqlSucceeded(SQLGetInfo(connectionHandle, SQL_IDENTIFIER_QUOTE_CHAR, quoteText, sizeof quoteText - 1, nullptr)) ||
      !SqlSucceeded(SQLGetInfo(connectionHandle, SQL_IDENTIFIER_CASE, &folding, sizeof folding, nullptr))) {
    return 0;
  }
  FormatBounded(quote, size, "%s", quoteText);
  *identifierCase = folding;
  return 1;
}

void OSql::FinishLocalRead() {
  CloseCursor();
  // The columns were bound to buffers on the caller's stack: drop those
  // bindings so no later fetch can write through them.
  if (statementHandle != SQL_NULL_HSTMT) SQLFreeStmt(statementHandle, SQL_UNBIND);
}
