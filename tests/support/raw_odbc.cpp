#include "support/raw_odbc.h"

namespace {
SQLCHAR* Text(const std::string& s) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str())); }
}  // namespace

RawConnection::RawConnection(const std::string& connectionString) {
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
  SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
  SQLRETURN r = SQLDriverConnect(dbc_, nullptr, Text(connectionString), SQL_NTS, nullptr, 0, nullptr,
                                 SQL_DRIVER_NOPROMPT);
  connected_ = SQL_SUCCEEDED(r);
  if (!connected_) Collect(SQL_HANDLE_DBC, dbc_);
}

RawConnection::~RawConnection() {
  if (connected_) SQLDisconnect(dbc_);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

void RawConnection::Collect(SQLSMALLINT type, SQLHANDLE handle) {
  error_.clear();
  for (SQLSMALLINT n = 1;; ++n) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[1024] = {};
    if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, n, state, &native, message, sizeof message, nullptr))) break;
    error_ += reinterpret_cast<char*>(state);
    error_ += ": ";
    error_ += reinterpret_cast<char*>(message);
    error_ += "\n";
  }
}

bool RawConnection::Exec(const std::string& sql) {
  if (!connected_) return false;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt);
  SQLRETURN r = SQLExecDirect(stmt, Text(sql), SQL_NTS);
  bool ok = SQL_SUCCEEDED(r) || r == SQL_NO_DATA;
  if (!ok) Collect(SQL_HANDLE_STMT, stmt);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return ok;
}

bool RawConnection::Query(const std::string& sql, std::vector<std::vector<std::string>>* rows, const char* nullText) {
  rows->clear();
  if (!connected_) return false;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt);
  SQLRETURN r = SQLExecDirect(stmt, Text(sql), SQL_NTS);
  if (!SQL_SUCCEEDED(r)) {
    Collect(SQL_HANDLE_STMT, stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return false;
  }
  SQLSMALLINT columns = 0;
  SQLNumResultCols(stmt, &columns);
  while (SQL_SUCCEEDED(SQLFetch(stmt))) {
    std::vector<std::string> row;
    for (SQLSMALLINT c = 1; c <= columns; ++c) {
      std::string value;
      char chunk[4096];
      SQLLEN indicator = 0;
      bool isNull = false;
      for (;;) {
        SQLRETURN g = SQLGetData(stmt, static_cast<SQLUSMALLINT>(c), SQL_C_CHAR, chunk, sizeof chunk, &indicator);
        if (!SQL_SUCCEEDED(g)) break;
        if (indicator == SQL_NULL_DATA) {
          isNull = true;
          break;
        }
        value += chunk;
        if (g == SQL_SUCCESS) break;
      }
      row.push_back(isNull ? std::string(nullText) : value);
    }
    rows->push_back(std::move(row));
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return true;
}
