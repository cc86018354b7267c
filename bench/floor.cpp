// bench-floor: the least work a peak check over a range of days can do with
// its database: the tool's own day statements for every day, run through the
// same driver, each row fetched into the same six bound columns, and nothing
// done with the rows. Whatever the tool spends beyond this is its own.
//
//   bench-floor --dsn NAME --first YYYY-MM-DD --last YYYY-MM-DD [--mode e|t|T] [--single-pass]
//
// Days run from --first through --last, windows from local midnight to the
// next local midnight (TZ honoured). Prints "statements N rows M".
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "analysis/call_kinds.h"
#include "analysis/day_statements.h"
#include "settings/settings.h"
#include "db/driver_process.h"
#include "timeutil/time_conversions.h"

namespace {

struct Date {
  int year = 0, month = 0, day = 0;
};

bool ParseDate(const char* text, Date* out) {
  return text != nullptr && std::sscanf(text, "%4d-%2d-%2d", &out->year, &out->month, &out->day) == 3 &&
         out->month >= 1 && out->month <= 12 && out->day >= 1 && out->day <= 31;
}

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

void NextDate(Date* date) {
  if (++date->day > DaysInMonth(date->year, date->month)) {
    date->day = 1;
    if (++date->month > 12) {
      date->month = 1;
      ++date->year;
    }
  }
}

bool After(const Date& a, const Date& b) {
  return a.year != b.year ? a.year > b.year : a.month != b.month ? a.month > b.month : a.day > b.day;
}

void Report(const char* what, SQLSMALLINT type, SQLHANDLE handle) {
  std::fprintf(stderr, "bench-floor: %s\n", what);
  SQLCHAR state[6] = {}, message[512] = {};
  SQLINTEGER native = 0;
  for (SQLSMALLINT n = 1; SQL_SUCCEEDED(SQLGetDiagRec(type, handle, n, state, &native, message, sizeof message, nullptr)); ++n) {
    std::fprintf(stderr, "  %s: %s\n", state, message);
  }
}

// The scan's row: the same C types and buffer lengths as the tool binds.
struct Row {
  SQLINTEGER startTime, endTime, sessionId;
  char callerNum[41], targetNum[41];
  SQLINTEGER exitState;
  SQLLEN indicators[6];
};

bool RunStatement(SQLHSTMT statement, const char* sql, Row* row, long long* rows) {
  SQLRETURN result = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)), SQL_NTS);
  if (!SQL_SUCCEEDED(result)) {
    Report(sql, SQL_HANDLE_STMT, statement);
    return false;
  }
  SQLLEN* ind = row->indicators;
  SQLBindCol(statement, 1, SQL_C_LONG, &row->startTime, sizeof row->startTime, &ind[0]);
  SQLBindCol(statement, 2, SQL_C_LONG, &row->endTime, sizeof row->endTime, &ind[1]);
  SQLBindCol(statement, 3, SQL_C_LONG, &row->sessionId, sizeof row->sessionId, &ind[2]);
  SQLBindCol(statement, 4, SQL_C_CHAR, row->callerNum, 40, &ind[3]);
  SQLBindCol(statement, 5, SQL_C_CHAR, row->targetNum, 40, &ind[4]);
  SQLBindCol(statement, 6, SQL_C_LONG, &row->exitState, sizeof row->exitState, &ind[5]);
  while (SQL_SUCCEEDED(SQLFetch(statement))) ++*rows;
  SQLCloseCursor(statement);
  SQLFreeStmt(statement, SQL_UNBIND);
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: bench-floor --dsn NAME --first YYYY-MM-DD --last YYYY-MM-DD [--mode e|t|T] [--single-pass]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // The same library settings as the tool's, so that the floor is the same
  // reading without the tool's work.
  PrepareProcessForDrivers();
  const char* dsn = nullptr;
  Date first, last;
  bool haveFirst = false, haveLast = false, secondPass = true;
  uint32_t mode = kCheckTrunk;
  for (int i = 1; i < argc; ++i) {
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (std::strcmp(argv[i], "--single-pass") == 0) {
      secondPass = false;
    } else if (std::strcmp(argv[i], "--dsn") == 0 && value != nullptr) {
      dsn = value, ++i;
    } else if (std::strcmp(argv[i], "--first") == 0 && ParseDate(value, &first)) {
      haveFirst = true, ++i;
    } else if (std::strcmp(argv[i], "--last") == 0 && ParseDate(value, &last)) {
      haveLast = true, ++i;
    } else if (std::strcmp(argv[i], "--mode") == 0 && value != nullptr && std::strlen(value) == 1 &&
               std::strchr("etT", value[0]) != nullptr) {
      mode = value[0] == 'e' ? kCheckExtension : value[0] == 't' ? kCheckTrunk : kCheckTrunkWithoutSipTie;
      ++i;
    } else {
      return Usage();
    }
  }
  if (dsn == nullptr || !haveFirst || !haveLast) return Usage();

  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT statement = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  SQLCHAR empty[1] = {0};
  if (!SQL_SUCCEEDED(SQLConnect(dbc, reinterpret_cast<SQLCHAR*>(const_cast<char*>(dsn)), SQL_NTS, empty, SQL_NTS,
                                empty, SQL_NTS))) {
    Report("cannot connect", SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return 1;
  }
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement);

  const DaySelects* selects = DaySelectsFor(mode);
  Row row{};
  long long rows = 0;
  int statements = 0;
  bool ok = true;
  char sql[kStatementSize];
  for (Date date = first; ok && !After(date, last); NextDate(&date)) {
    const int32_t dayStart = LocalDateToEpoch(date.year, date.month, date.day);
    const int32_t dayEnd = NextLocalMidnight(dayStart);
    FormatDaySelect(sql, sizeof sql, selects->first, dayStart, dayEnd);
    ok = RunStatement(statement, sql, &row, &rows);
    ++statements;
    if (ok && secondPass) {
      FormatDaySelect(sql, sizeof sql, selects->second, dayStart, dayEnd);
      ok = RunStatement(statement, sql, &row, &rows);
      ++statements;
    }
  }

  SQLFreeHandle(SQL_HANDLE_STMT, statement);
  SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  if (!ok) return 1;
  std::printf("statements %d rows %lld\n", statements, rows);
  return 0;
}
