#include "support/fake_odbc/fake_odbc.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace fake_odbc {
namespace {

struct Binding {
  SQLSMALLINT type;
  SQLPOINTER target;
  SQLLEN length;
  SQLLEN* indicator;
};

struct State {
  Script script;
  std::vector<std::string> calls;
  std::vector<std::string> texts;
  std::vector<SQLINTEGER> lengths;
  std::map<SQLSMALLINT, int> freed;
  std::map<SQLUSMALLINT, Binding> bindings;
  int fetched = 0;
  int nextStatement = 0;
};

State& S() {
  static State state;
  return state;
}

void Log(const char* name) { S().calls.emplace_back(name); }

SQLHANDLE FakeHandle(SQLSMALLINT type) {
  static char storage[64];
  int offset = type == SQL_HANDLE_STMT ? 16 + (S().nextStatement++ % 32) : type;
  return static_cast<SQLHANDLE>(&storage[offset]);
}

}  // namespace

Script& TheScript() { return S().script; }

void Reset() { S() = State(); }

const std::vector<std::string>& Calls() { return S().calls; }

int CountCalls(const std::string& name) {
  return static_cast<int>(std::count(S().calls.begin(), S().calls.end(), name));
}

const std::vector<std::string>& ExecutedTexts() { return S().texts; }
const std::vector<SQLINTEGER>& ExecutedLengths() { return S().lengths; }
int FreedHandles(SQLSMALLINT type) { return S().freed[type]; }

}  // namespace fake_odbc

using fake_odbc::S;

extern "C" {

SQLRETURN SQLAllocHandle(SQLSMALLINT type, SQLHANDLE, SQLHANDLE* out) {
  fake_odbc::Log("SQLAllocHandle");
  SQLRETURN result = type == SQL_HANDLE_ENV   ? S().script.allocEnv
                     : type == SQL_HANDLE_DBC ? S().script.allocDbc
                                              : S().script.allocStmt;
  *out = SQL_SUCCEEDED(result) ? fake_odbc::FakeHandle(type) : SQL_NULL_HANDLE;
  return result;
}

SQLRETURN SQLFreeHandle(SQLSMALLINT type, SQLHANDLE) {
  fake_odbc::Log("SQLFreeHandle");
  ++S().freed[type];
  return SQL_SUCCESS;
}

SQLRETURN SQLSetEnvAttr(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
  fake_odbc::Log("SQLSetEnvAttr");
  return S().script.setEnvAttr;
}

SQLRETURN SQLSetConnectAttr(SQLHDBC, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
  fake_odbc::Log("SQLSetConnectAttr");
  return SQL_SUCCESS;
}

SQLRETURN SQLConnect(SQLHDBC, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT) {
  fake_odbc::Log("SQLConnect");
  const std::vector<int>& failing = S().script.failingConnects;
  if (std::find(failing.begin(), failing.end(), fake_odbc::CountCalls("SQLConnect")) != failing.end()) {
    return SQL_ERROR;
  }
  return S().script.connect;
}

SQLRETURN SQLDisconnect(SQLHDBC) {
  fake_odbc::Log("SQLDisconnect");
  return SQL_SUCCESS;
}

SQLRETURN SQLExecDirect(SQLHSTMT, SQLCHAR* text, SQLINTEGER length) {
  fake_odbc::Log("SQLExecDirect");
  const char* chars = reinterpret_cast<const char*>(text);
  S().lengths.push_back(length);
  S().texts.push_back(length == SQL_NTS ? std::string(chars) : std::string(chars, static_cast<size_t>(length)));
  S().fetched = 0;
  const std::vector<int>& failing = S().script.failingExecutions;
  if (std::find(failing.begin(), failing.end(), static_cast<int>(S().texts.size())) != failing.end()) return SQL_ERROR;
  return S().script.execDirect;
}

SQLRETURN SQLNumResultCols(SQLHSTMT, SQLSMALLINT* count) {
  fake_odbc::Log("SQLNumResultCols");
  *count = S().script.resultColumns;
  return SQL_SUCCESS;
}

SQLRETURN SQLBindCol(SQLHSTMT, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER target, SQLLEN length,
                     SQLLEN* indicator) {
  fake_odbc::Log("SQLBindCol");
  if (S().script.failBindAtColumn == 0 || S().script.failBindAtColumn == column) {
    if (S().script.bindCol != SQL_SUCCESS) return S().script.bindCol;
  }
  S().bindings[column] = {type, target, length, indicator};
  return SQL_SUCCESS;
}

SQLRETURN SQLFetch(SQLHSTMT) {
  fake_odbc::Log("SQLFetch");
  if (S().fetched >= S().script.rows) return S().script.endResult;
  const auto& texts = S().script.rowText;
  for (auto& [column, binding] : S().bindings) {
    if (binding.type == SQL_C_CHAR && binding.length > 0) {
      std::string value = texts.empty() ? "" : texts[static_cast<size_t>(S().fetched) % texts.size()];
      size_t n = std::min(value.size(), static_cast<size_t>(binding.length - 1));
      std::memcpy(binding.target, value.data(), n);
      static_cast<char*>(binding.target)[n] = '\0';
      if (binding.indicator != nullptr) *binding.indicator = static_cast<SQLLEN>(value.size());
    } else if (binding.type == SQL_C_LONG) {
      *static_cast<SQLINTEGER*>(binding.target) = S().script.rowLong;
      if (binding.indicator != nullptr) *binding.indicator = sizeof(SQLINTEGER);
    } else if (binding.type == SQL_C_SBIGINT) {
      *static_cast<SQLBIGINT*>(binding.target) = S().script.rowLong;
      if (binding.indicator != nullptr) *binding.indicator = sizeof(SQLBIGINT);
    }
  }
  ++S().fetched;
  return S().script.rowResult;
}

SQLRETURN SQLGetInfo(SQLHDBC, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT length, SQLSMALLINT* written) {
  fake_odbc::Log("SQLGetInfo");
  if (!SQL_SUCCEEDED(S().script.getInfo)) return S().script.getInfo;
  if (type == SQL_IDENTIFIER_QUOTE_CHAR) {
    const std::string& quote = S().script.identifierQuote;
    size_t n = std::min(quote.size(), static_cast<size_t>(length > 0 ? length - 1 : 0));
    std::memcpy(value, quote.data(), n);
    static_cast<char*>(value)[n] = '\0';
    if (written != nullptr) *written = static_cast<SQLSMALLINT>(quote.size());
  } else if (type == SQL_IDENTIFIER_CASE) {
    *static_cast<SQLUSMALLINT*>(value) = S().script.identifierCase;
  }
  return S().script.getInfo;
}

SQLRETURN SQLStatistics(SQLHSTMT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLUSMALLINT,
                        SQLUSMALLINT) {
  fake_odbc::Log("SQLStatistics");
  S().fetched = S().script.rows;  // an empty list
  return S().script.execDirect;
}

SQLRETURN SQLSetStmtAttr(SQLHSTMT, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
  fake_odbc::Log("SQLSetStmtAttr");
  return SQL_SUCCESS;
}

SQLRETURN SQLCloseCursor(SQLHSTMT) {
  fake_odbc::Log("SQLCloseCursor");
  return SQL_SUCCESS;
}

// Every result column is described as text, so that a copy binds each as
// text; preparing and binding parameters always succeed.
SQLRETURN SQLDescribeCol(SQLHSTMT, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* nameLength,
                         SQLSMALLINT* type, SQLULEN* columnSize, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
  fake_odbc::Log("SQLDescribeCol");
  std::string text = "C" + std::to_string(column);
  if (name != nullptr && size > 0) {
    size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(name, text.data(), n);
    name[n] = '\0';
  }
  if (nameLength != nullptr) *nameLength = static_cast<SQLSMALLINT>(text.size());
  if (type != nullptr) *type = SQL_VARCHAR;
  if (columnSize != nullptr) *columnSize = 64;
  if (digits != nullptr) *digits = 0;
  if (nullable != nullptr) *nullable = SQL_NULLABLE;
  return SQL_SUCCESS;
}

SQLRETURN SQLPrepare(SQLHSTMT, SQLCHAR*, SQLINTEGER) {
  fake_odbc::Log("SQLPrepare");
  return SQL_SUCCESS;
}

SQLRETURN SQLBindParameter(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLSMALLINT, SQLSMALLINT, SQLULEN, SQLSMALLINT,
                           SQLPOINTER, SQLLEN, SQLLEN*) {
  fake_odbc::Log("SQLBindParameter");
  return SQL_SUCCESS;
}

SQLRETURN SQLFreeStmt(SQLHSTMT, SQLUSMALLINT option) {
  fake_odbc::Log("SQLFreeStmt");
  if (option == SQL_UNBIND) S().bindings.clear();
  return SQL_SUCCESS;
}

SQLRETURN SQLGetDiagRec(SQLSMALLINT, SQLHANDLE, SQLSMALLINT record, SQLCHAR* state, SQLINTEGER* nativeError,
                        SQLCHAR* message, SQLSMALLINT size, SQLSMALLINT* length) {
  fake_odbc::Log("SQLGetDiagRec");
  const auto& records = S().script.diagnostics;
  if (record < 1 || static_cast<size_t>(record) > records.size()) return SQL_NO_DATA;
  const auto& d = records[static_cast<size_t>(record - 1)];
  std::snprintf(reinterpret_cast<char*>(state), 6, "%s", d.state.c_str());
  *nativeError = d.nativeError;
  std::snprintf(reinterpret_cast<char*>(message), static_cast<size_t>(size), "%s", d.message.c_str());
  if (length != nullptr) *length = static_cast<SQLSMALLINT>(d.message.size());
  return SQL_SUCCESS;
}

SQLRETURN SQLEndTran(SQLSMALLINT, SQLHANDLE, SQLSMALLINT) {
  fake_odbc::Log("SQLEndTran");
  return SQL_SUCCESS;
}

SQLRETURN SQLRowCount(SQLHSTMT, SQLLEN* count) {
  fake_odbc::Log("SQLRowCount");
  *count = 0;
  return SQL_SUCCESS;
}

}  // extern "C"
