#include "cdrgen/odbc_sink.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "db/cdr_schema.h"

// Column-wise parameter arrays for one batch of rows.
struct OdbcSink::Batch {
  SQLINTEGER integers[kInsertIntegerColumns][kBatchRows];
  SQLLEN integerIndicators[kInsertIntegerColumns][kBatchRows];
  char texts[kInsertTextColumns][kBatchRows][CdrRecord::kNumberSize];
  SQLLEN textIndicators[kInsertTextColumns][kBatchRows];
  SQLUSMALLINT status[kBatchRows];
  SQLULEN processed = 0;
  int rows = 0;
};

namespace {

SQLCHAR* Text(const std::string& s) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str())); }

// Frees a statement handle on every way out of a scope.
struct StatementHandle {
  SQLHSTMT handle = SQL_NULL_HSTMT;
  ~StatementHandle() {
    if (handle != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, handle);
  }
};

}  // namespace

OdbcSink::OdbcSink(std::string dsn) : dsn_(std::move(dsn)), batch_(std::make_unique<Batch>()) {}

OdbcSink::~OdbcSink() {
  if (insert_ != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, insert_);
  if (inTransaction_) SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
  if (connected_) SQLDisconnect(dbc_);
  if (dbc_ != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  if (env_ != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

bool OdbcSink::Fail(const char* what, SQLSMALLINT handleType, SQLHANDLE handle) {
  std::fprintf(stderr, "cdrgen: %s on data source \"%s\"\n", what, dsn_.c_str());
  for (SQLSMALLINT n = 1; handle != SQL_NULL_HANDLE; ++n) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[1024] = {};
    if (!SQL_SUCCEEDED(SQLGetDiagRec(handleType, handle, n, state, &native, message, sizeof message, nullptr))) break;
    std::fprintf(stderr, "  %s: %s\n", reinterpret_cast<char*>(state), reinterpret_cast<char*>(message));
  }
  return false;
}

bool OdbcSink::Direct(const std::string& sql) {
  StatementHandle statement;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &statement.handle))) {
    return Fail("cannot allocate a statement", SQL_HANDLE_DBC, dbc_);
  }
  SQLRETURN result = SQLExecDirect(statement.handle, Text(sql), SQL_NTS);
  if (SQL_SUCCEEDED(result) || result == SQL_NO_DATA) return true;
  return Fail(sql.c_str(), SQL_HANDLE_STMT, statement.handle);
}

bool OdbcSink::ReadMaxSessionId(int64_t* out) {
  StatementHandle statement;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &statement.handle))) return false;
  if (!SQL_SUCCEEDED(SQLExecDirect(statement.handle, Text("SELECT max(SessionID) FROM CDRMAIN"), SQL_NTS))) {
    return false;
  }
  SQLBIGINT value = 0;
  SQLLEN indicator = 0;
  *out = 0;
  if (SQL_SUCCEEDED(SQLBindCol(statement.handle, 1, SQL_C_SBIGINT, &value, sizeof value, &indicator)) &&
      SQL_SUCCEEDED(SQLFetch(statement.handle)) && indicator != SQL_NULL_DATA) {
    *out = value;
  }
  return true;
}

bool OdbcSink::Open(int64_t* maxSessionId) {
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)) ||
      !SQL_SUCCEEDED(SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)) ||
      !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) {
    return Fail("cannot set up ODBC", SQL_HANDLE_ENV, env_);
  }
  SQLRETURN result = SQLConnect(dbc_, Text(dsn_), SQL_NTS, Text(""), SQL_NTS, Text(""), SQL_NTS);
  if (!SQL_SUCCEEDED(result)) return Fail("cannot connect", SQL_HANDLE_DBC, dbc_);
  connected_ = true;
  if (!SQL_SUCCEEDED(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0))) {
    return Fail("cannot start a transaction", SQL_HANDLE_DBC, dbc_);
  }
  inTransaction_ = true;

  // A table that cannot be read is taken as missing; a failed read aborts
  // the transaction on some servers, so it starts again before the create.
  if (!ReadMaxSessionId(maxSessionId)) {
    SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
    for (const std::string& statement : CdrMainStatements()) {
      if (!Direct(statement)) return false;
    }
    *maxSessionId = 0;
  }

  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &insert_))) {
    return Fail("cannot allocate a statement", SQL_HANDLE_DBC, dbc_);
  }
  if (!SQL_SUCCEEDED(SQLPrepare(insert_, Text(kInsertCdrSql), SQL_NTS))) {
    return Fail("cannot prepare the insert", SQL_HANDLE_STMT, insert_);
  }
  return BindBatch();
}

bool OdbcSink::BindBatch() {
  Batch& b = *batch_;
  SQLSetStmtAttr(insert_, SQL_ATTR_PARAM_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_PARAM_BIND_BY_COLUMN), 0);
  SQLSetStmtAttr(insert_, SQL_ATTR_PARAM_STATUS_PTR, b.status, 0);
  SQLSetStmtAttr(insert_, SQL_ATTR_PARAMS_PROCESSED_PTR, &b.processed, 0);
  SQLUSMALLINT parameter = 1;
  for (int c = 0; c < kInsertIntegerColumns; ++c, ++parameter) {
    if (!SQL_SUCCEEDED(SQLBindParameter(insert_, parameter, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                                        b.integers[c], 0, b.integerIndicators[c]))) {
      return Fail("cannot bind a parameter", SQL_HANDLE_STMT, insert_);
    }
  }
  for (int c = 0; c < kInsertTextColumns; ++c, ++parameter) {
    if (!SQL_SUCCEEDED(SQLBindParameter(insert_, parameter, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                        CdrRecord::kNumberSize - 1, 0, b.texts[c][0], CdrRecord::kNumberSize,
                                        b.textIndicators[c]))) {
      return Fail("cannot bind a parameter", SQL_HANDLE_STMT, insert_);
    }
  }
  return true;
}

bool OdbcSink::Write(const CdrRecord& r) {
  Batch& b = *batch_;
  const int row = b.rows;
  int32_t integers[kInsertIntegerColumns];
  bool integerIsNull[kInsertIntegerColumns];
  InsertIntegers(r, integers, integerIsNull);
  for (int c = 0; c < kInsertIntegerColumns; ++c) {
    b.integers[c][row] = integers[c];
    b.integerIndicators[c][row] = integerIsNull[c] ? SQL_NULL_DATA : static_cast<SQLLEN>(sizeof(SQLINTEGER));
  }
  const char* texts[kInsertTextColumns];
  bool textIsNull[kInsertTextColumns];
  InsertTexts(r, texts, textIsNull);
  for (int c = 0; c < kInsertTextColumns; ++c) {
    const size_t length = strnlen(texts[c], CdrRecord::kNumberSize - 1);
    std::memcpy(b.texts[c][row], texts[c], length);
    b.texts[c][row][length] = '\0';
    b.textIndicators[c][row] = textIsNull[c] ? SQL_NULL_DATA : SQL_NTS;
  }
  if (++b.rows == kBatchRows) return Flush();
  return true;
}

bool OdbcSink::Flush() {
  Batch& b = *batch_;
  if (b.rows == 0) return true;
  SQLSetStmtAttr(insert_, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(b.rows)), 0);
  b.processed = 0;
  SQLRETURN result = SQLExecute(insert_);
  bool ok = SQL_SUCCEEDED(result) && b.processed == static_cast<SQLULEN>(b.rows);
  for (int row = 0; ok && row < b.rows; ++row) {
    ok = b.status[row] == SQL_PARAM_SUCCESS || b.status[row] == SQL_PARAM_SUCCESS_WITH_INFO;
  }
  if (!ok) return Fail("cannot insert", SQL_HANDLE_STMT, insert_);
  b.rows = 0;
  return true;
}

bool OdbcSink::Finish() {
  if (!Flush()) return false;
  if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT))) return Fail("cannot commit", SQL_HANDLE_DBC, dbc_);
  inTransaction_ = false;
  return true;
}
