#include "support/fake_odbc/fake_odbc.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

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
  std::vector<std::string> prepared;
  std::vector<BoundParameter> parameters;
  std::map<SQLSMALLINT, int> freed;
  int nextStatement = 0;
  int nextConnection = 0;
  struct Connection {
    std::string dsn;
    bool autocommit = true;
    Changes open;  // of the unit not yet committed
  };
  std::map<SQLHANDLE, Connection> connections;
  std::map<SQLHANDLE, SQLHANDLE> connectionOf;  // by statement
  std::map<std::string, Changes> committed;     // by data source
  int columnsListed = -1;  // rows of SQLColumns fetched; -1 when none is open
  std::string columnsOf;
};

State& S() {
  static State state;
  return state;
}

// The cursor of the calling thread: each session of a range check on
// several sessions reads on a thread of its own.
struct Cursor {
  std::map<SQLUSMALLINT, Binding> bindings;
  int fetched = 0;
  bool empty = false;  // the last execution delivers no row
};

Cursor& C() {
  thread_local Cursor cursor;
  return cursor;
}

// Every entry point holds this while it runs (CountCalls inside SQLConnect
// takes it again).
std::recursive_mutex& Turn() {
  static std::recursive_mutex turn;
  return turn;
}

// Told of every execution, for an execution that waits for another.
std::condition_variable_any& Executed() {
  static std::condition_variable_any executed;
  return executed;
}

using Lock = std::unique_lock<std::recursive_mutex>;

void Log(const char* name) { S().calls.emplace_back(name); }

bool Contains(const std::string& text, const std::string& part) {
  return !part.empty() && text.find(part) != std::string::npos;
}

bool ExecutedOneContaining(const std::string& part) {
  return std::any_of(S().texts.begin(), S().texts.end(), [&](const std::string& text) { return Contains(text, part); });
}

SQLHANDLE FakeHandle(SQLSMALLINT type) {
  static char storage[64];
  int offset = type == SQL_HANDLE_STMT  ? 16 + (S().nextStatement++ % 32)
               : type == SQL_HANDLE_DBC ? 48 + (S().nextConnection++ % 16)
                                        : type;
  return static_cast<SQLHANDLE>(&storage[offset]);
}

// Changes of the unit open on `connection`: applied at once under automatic
// commit, else kept for SQLEndTran.
void Change(SQLHANDLE connection, int inserted, int deleted) {
  auto found = S().connections.find(connection);
  if (found == S().connections.end()) return;
  State::Connection& c = found->second;
  Changes& into = c.autocommit ? S().committed[c.dsn] : c.open;
  into.inserted += inserted;
  into.deleted += deleted;
}

void EndUnit(SQLHANDLE connection, bool commit) {
  State::Connection& c = S().connections[connection];
  if (commit) {
    S().committed[c.dsn].inserted += c.open.inserted;
    S().committed[c.dsn].deleted += c.open.deleted;
  }
  c.open = Changes();
}

// Copies `value` into a buffer bound as `type`, as SQLGetData does; a null
// `value` is NULL.
SQLRETURN Deliver(const std::string* value, SQLSMALLINT type, SQLPOINTER target, SQLLEN length, SQLLEN* indicator) {
  if (value == nullptr) {
    *indicator = SQL_NULL_DATA;
    return SQL_SUCCESS;
  }
  if (type == SQL_C_CHAR) {
    if (length <= 0) return SQL_ERROR;
    size_t n = std::min(value->size(), static_cast<size_t>(length - 1));
    std::memcpy(target, value->data(), n);
    static_cast<char*>(target)[n] = '\0';
    *indicator = static_cast<SQLLEN>(value->size());
    return n < value->size() ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
  }
  long long number = std::atoll(value->c_str());
  if (type == SQL_C_SSHORT) {
    *static_cast<SQLSMALLINT*>(target) = static_cast<SQLSMALLINT>(number);
  } else if (type == SQL_C_SLONG || type == SQL_C_LONG) {
    *static_cast<SQLINTEGER*>(target) = static_cast<SQLINTEGER>(number);
  } else if (type == SQL_C_SBIGINT) {
    *static_cast<SQLBIGINT*>(target) = static_cast<SQLBIGINT>(number);
  } else {
    return SQL_ERROR;
  }
  *indicator = 0;
  return SQL_SUCCESS;
}

}  // namespace

Script& TheScript() { return S().script; }

void Reset() {
  Lock lock(Turn());
  S() = State();
  C() = Cursor();
}

const std::vector<std::string>& Calls() { return S().calls; }

int CountCalls(const std::string& name) {
  Lock lock(Turn());
  return static_cast<int>(std::count(S().calls.begin(), S().calls.end(), name));
}

const std::vector<std::string>& ExecutedTexts() { return S().texts; }
const std::vector<SQLINTEGER>& ExecutedLengths() { return S().lengths; }
const std::vector<std::string>& PreparedTexts() { return S().prepared; }
const std::vector<BoundParameter>& BoundParameters() { return S().parameters; }
int FreedHandles(SQLSMALLINT type) { return S().freed[type]; }

Changes Committed(const std::string& dsn) { return S().committed[dsn]; }

}  // namespace fake_odbc

using fake_odbc::C;
using fake_odbc::Lock;
using fake_odbc::S;
using fake_odbc::Turn;

extern "C" {

SQLRETURN SQLAllocHandle(SQLSMALLINT type, SQLHANDLE parent, SQLHANDLE* out) {
  Lock lock(Turn());
  fake_odbc::Log("SQLAllocHandle");
  SQLRETURN result = type == SQL_HANDLE_ENV   ? S().script.allocEnv
                     : type == SQL_HANDLE_DBC ? S().script.allocDbc
                                              : S().script.allocStmt;
  *out = SQL_SUCCEEDED(result) ? fake_odbc::FakeHandle(type) : SQL_NULL_HANDLE;
  if (type == SQL_HANDLE_DBC) S().connections[*out] = {};
  if (type == SQL_HANDLE_STMT) S().connectionOf[*out] = parent;
  return result;
}

SQLRETURN SQLFreeHandle(SQLSMALLINT type, SQLHANDLE) {
  Lock lock(Turn());
  fake_odbc::Log("SQLFreeHandle");
  ++S().freed[type];
  return SQL_SUCCESS;
}

SQLRETURN SQLSetEnvAttr(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
  Lock lock(Turn());
  fake_odbc::Log("SQLSetEnvAttr");
  return S().script.setEnvAttr;
}

SQLRETURN SQLSetConnectAttr(SQLHDBC connection, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  Lock lock(Turn());
  fake_odbc::Log("SQLSetConnectAttr");
  if (attribute == SQL_ATTR_AUTOCOMMIT) {
    bool on = reinterpret_cast<SQLULEN>(value) == SQL_AUTOCOMMIT_ON;
    // Switching automatic commit on commits the open unit.
    if (on) fake_odbc::EndUnit(connection, true);
    S().connections[connection].autocommit = on;
  }
  return SQL_SUCCESS;
}

SQLRETURN SQLConnect(SQLHDBC connection, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                     SQLSMALLINT) {
  Lock lock(Turn());
  fake_odbc::Log("SQLConnect");
  const char* name = reinterpret_cast<const char*>(dsn);
  S().connections[connection].dsn =
      dsnLength == SQL_NTS ? std::string(name) : std::string(name, static_cast<size_t>(dsnLength));
  const std::vector<int>& failing = S().script.failingConnects;
  if (std::find(failing.begin(), failing.end(), fake_odbc::CountCalls("SQLConnect")) != failing.end()) {
    return SQL_ERROR;
  }
  return S().script.connect;
}

SQLRETURN SQLDisconnect(SQLHDBC connection) {
  Lock lock(Turn());
  fake_odbc::Log("SQLDisconnect");
  fake_odbc::EndUnit(connection, false);
  return SQL_SUCCESS;
}

SQLRETURN SQLExecDirect(SQLHSTMT statement, SQLCHAR* text, SQLINTEGER length) {
  Lock lock(Turn());
  fake_odbc::Log("SQLExecDirect");
  S().columnsListed = -1;
  const char* chars = reinterpret_cast<const char*>(text);
  S().lengths.push_back(length);
  S().texts.push_back(length == SQL_NTS ? std::string(chars) : std::string(chars, static_cast<size_t>(length)));
  C().fetched = 0;
  C().empty = fake_odbc::Contains(S().texts.back(), S().script.emptyResultText);
  fake_odbc::Executed().notify_all();
  if (fake_odbc::Contains(S().texts.back(), S().script.failingText)) {
    // Bounded, so that a session that never comes fails the test instead
    // of hanging it.
    fake_odbc::Executed().wait_for(lock, std::chrono::seconds(30), [] {
      return S().script.failingWaitsFor.empty() || fake_odbc::ExecutedOneContaining(S().script.failingWaitsFor);
    });
    return SQL_ERROR;
  }
  const std::vector<int>& failing = S().script.failingExecutions;
  if (std::find(failing.begin(), failing.end(), static_cast<int>(S().texts.size())) != failing.end()) return SQL_ERROR;
  if (SQL_SUCCEEDED(S().script.execDirect) && S().texts.back().rfind("DELETE", 0) == 0) {
    fake_odbc::Change(S().connectionOf[statement], 0, static_cast<int>(S().script.rowCount));
  }
  return S().script.execDirect;
}

SQLRETURN SQLNumResultCols(SQLHSTMT, SQLSMALLINT* count) {
  Lock lock(Turn());
  fake_odbc::Log("SQLNumResultCols");
  *count = S().script.resultColumns;
  return SQL_SUCCESS;
}

SQLRETURN SQLBindCol(SQLHSTMT, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER target, SQLLEN length,
                     SQLLEN* indicator) {
  Lock lock(Turn());
  fake_odbc::Log("SQLBindCol");
  if (S().script.failBindAtColumn == 0 || S().script.failBindAtColumn == column) {
    if (S().script.bindCol != SQL_SUCCESS) return S().script.bindCol;
  }
  C().bindings[column] = {type, target, length, indicator};
  return SQL_SUCCESS;
}

SQLRETURN SQLFetch(SQLHSTMT) {
  Lock lock(Turn());
  fake_odbc::Log("SQLFetch");
  if (S().columnsListed >= 0) {
    if (static_cast<size_t>(S().columnsListed) < S().script.tableColumns.size()) {
      ++S().columnsListed;
      return SQL_SUCCESS;
    }
    S().columnsListed = -1;
    return SQL_NO_DATA;
  }
  if (C().empty || C().fetched >= S().script.rows) return S().script.endResult;
  const auto& texts = S().script.rowText;
  for (auto& [column, binding] : C().bindings) {
    if (binding.type == SQL_C_CHAR && binding.length > 0) {
      std::string value = texts.empty() ? "" : texts[static_cast<size_t>(C().fetched) % texts.size()];
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
  ++C().fetched;
  return S().script.rowResult;
}

SQLRETURN SQLGetInfo(SQLHDBC, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT length, SQLSMALLINT* written) {
  Lock lock(Turn());
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
  Lock lock(Turn());
  fake_odbc::Log("SQLStatistics");
  C().fetched = S().script.rows;  // an empty list
  return S().script.execDirect;
}

SQLRETURN SQLSetStmtAttr(SQLHSTMT, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
  Lock lock(Turn());
  fake_odbc::Log("SQLSetStmtAttr");
  return SQL_SUCCESS;
}

SQLRETURN SQLCloseCursor(SQLHSTMT) {
  Lock lock(Turn());
  fake_odbc::Log("SQLCloseCursor");
  return SQL_SUCCESS;
}

// Every result column is described as text, so that a copy binds each as
// text; preparing and binding parameters always succeed.
SQLRETURN SQLDescribeCol(SQLHSTMT, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* nameLength,
                         SQLSMALLINT* type, SQLULEN* columnSize, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
  Lock lock(Turn());
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

SQLRETURN SQLPrepare(SQLHSTMT, SQLCHAR* text, SQLINTEGER length) {
  Lock lock(Turn());
  fake_odbc::Log("SQLPrepare");
  const char* chars = reinterpret_cast<const char*>(text);
  S().prepared.push_back(length == SQL_NTS ? std::string(chars) : std::string(chars, static_cast<size_t>(length)));
  return SQL_SUCCESS;
}

SQLRETURN SQLBindParameter(SQLHSTMT, SQLUSMALLINT number, SQLSMALLINT, SQLSMALLINT valueType,
                           SQLSMALLINT parameterType, SQLULEN, SQLSMALLINT, SQLPOINTER value, SQLLEN bufferLength,
                           SQLLEN* indicator) {
  Lock lock(Turn());
  fake_odbc::Log("SQLBindParameter");
  fake_odbc::BoundParameter bound{number, valueType, parameterType, ""};
  if (valueType == SQL_C_CHAR && value != nullptr && indicator != nullptr && *indicator >= 0 &&
      *indicator <= bufferLength) {
    bound.value.assign(static_cast<const char*>(value), static_cast<size_t>(*indicator));
  }
  S().parameters.push_back(bound);
  return SQL_SUCCESS;
}

SQLRETURN SQLFreeStmt(SQLHSTMT, SQLUSMALLINT option) {
  Lock lock(Turn());
  fake_odbc::Log("SQLFreeStmt");
  if (option == SQL_UNBIND) C().bindings.clear();
  return SQL_SUCCESS;
}

SQLRETURN SQLGetDiagRec(SQLSMALLINT, SQLHANDLE, SQLSMALLINT record, SQLCHAR* state, SQLINTEGER* nativeError,
                        SQLCHAR* message, SQLSMALLINT size, SQLSMALLINT* length) {
  Lock lock(Turn());
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

SQLRETURN SQLEndTran(SQLSMALLINT, SQLHANDLE connection, SQLSMALLINT completion) {
  Lock lock(Turn());
  fake_odbc::Log("SQLEndTran");
  std::vector<std::string>& failing = S().script.failingCommits;
  auto found = completion == SQL_COMMIT ? std::find(failing.begin(), failing.end(), S().connections[connection].dsn)
                                        : failing.end();
  bool fails = found != failing.end();
  if (fails) failing.erase(found);
  fake_odbc::EndUnit(connection, completion == SQL_COMMIT && !fails);
  return fails ? SQL_ERROR : SQL_SUCCESS;
}

SQLRETURN SQLRowCount(SQLHSTMT, SQLLEN* count) {
  Lock lock(Turn());
  fake_odbc::Log("SQLRowCount");
  *count = S().script.rowCount;
  return SQL_SUCCESS;
}

SQLRETURN SQLColumns(SQLHSTMT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR* table, SQLSMALLINT tableLength,
                     SQLCHAR*, SQLSMALLINT) {
  Lock lock(Turn());
  fake_odbc::Log("SQLColumns");
  const char* name = reinterpret_cast<const char*>(table);
  S().columnsOf = tableLength == SQL_NTS ? std::string(name) : std::string(name, static_cast<size_t>(tableLength));
  S().columnsListed = 0;
  return SQL_SUCCESS;
}

// A row of SQLColumns: the table, the column's name and position, VARCHAR,
// nullable, no default. A row of any other result: the text of rowText
// (cycled) for every column, or rowLong for a number.
SQLRETURN SQLGetData(SQLHSTMT, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER target, SQLLEN length,
                     SQLLEN* indicator) {
  Lock lock(Turn());
  fake_odbc::Log("SQLGetData");
  std::string value;
  bool null = false;
  if (S().columnsListed > 0) {
    size_t row = static_cast<size_t>(S().columnsListed - 1);
    switch (column) {
      case 3: value = S().columnsOf; break;
      case 4: value = S().script.tableColumns[row]; break;
      case 5: value = std::to_string(SQL_VARCHAR); break;
      case 11: value = std::to_string(SQL_NULLABLE); break;
      case 17: value = std::to_string(row + 1); break;
      default: null = true;
    }
  } else if (type == SQL_C_CHAR) {
    const auto& texts = S().script.rowText;
    int fetched = std::max(C().fetched - 1, 0);
    value = texts.empty() ? "" : texts[static_cast<size_t>(fetched) % texts.size()];
  } else {
    value = std::to_string(S().script.rowLong);
  }
  return fake_odbc::Deliver(null ? nullptr : &value, type, target, length, indicator);
}

SQLRETURN SQLExecute(SQLHSTMT statement) {
  Lock lock(Turn());
  fake_odbc::Log("SQLExecute");
  fake_odbc::Change(S().connectionOf[statement], 1, 0);
  return SQL_SUCCESS;
}

}  // extern "C"
