// OSql::ScanCalls: the one road by which call rows reach the analysis.
#include <cstdio>

#include "analysis/call_line_format.h"
#include "analysis/exit_state_names.h"
#include "analysis/record_processor.h"
#include "console/settings.h"
#include "db/osql.h"

namespace {

constexpr SQLLEN kNumberTextSize = 41;

// The six columns every call select delivers first, in this order.
struct CallRow {
  SQLINTEGER startTime;
  SQLINTEGER endTime;
  SQLINTEGER sessionId;
  char callerNum[kNumberTextSize];
  char targetNum[kNumberTextSize];
  SQLINTEGER exitState;
};

// Indicators are bound only so that a NULL value does not fail the fetch
// (a driver must have somewhere to say "NULL"); the scan ignores them, so a
// NULL leaves the previous row's value in place.
struct CallRowIndicators {
  SQLLEN value[6];
};

bool BindCallRow(SQLHSTMT statement, CallRow* row, CallRowIndicators* indicators) {
  SQLLEN* ind = indicators->value;
  // One byte short of the text buffers: a number arrives as at most 39
  // characters and a NUL, and the last byte stays zero.
  return SQLBindCol(statement, 1, SQL_C_LONG, &row->startTime, sizeof row->startTime, &ind[0]) == SQL_SUCCESS &&
         SQLBindCol(statement, 2, SQL_C_LONG, &row->endTime, sizeof row->endTime, &ind[1]) == SQL_SUCCESS &&
         SQLBindCol(statement, 3, SQL_C_LONG, &row->sessionId, sizeof row->sessionId, &ind[2]) == SQL_SUCCESS &&
         SQLBindCol(statement, 4, SQL_C_CHAR, row->callerNum, kNumberTextSize - 1, &ind[3]) == SQL_SUCCESS &&
         SQLBindCol(statement, 5, SQL_C_CHAR, row->targetNum, kNumberTextSize - 1, &ind[4]) == SQL_SUCCESS &&
         SQLBindCol(statement, 6, SQL_C_LONG, &row->exitState, sizeof row->exitState, &ind[5]) == SQL_SUCCESS;
}

}  // namespace

int OSql::ScanCalls(const char* sql, CRecordProcessor* processor) {
  if (processor == nullptr) {
    std::printf("No call back processor specified\n");
    return 0;
  }
  CallRow row{};
  CallRowIndicators indicators{};
  if (Execute(sql) == 0) return 0;
  if (!BindCallRow(statementHandle, &row, &indicators)) {
    // Leave the statement idle for the next query of the session.
    FinishLocalRead();
    return 0;
  }
  int32_t fetched = 0;
  int32_t printed = 0;
  while (SqlSucceeded(SQLFetch(statementHandle))) {
    if (processor->OnCall(row.startTime, row.endTime) != 0) {
      ++printed;
      std::printf(CallLineFormat(CheckMode), printed, static_cast<int>(row.sessionId), row.callerNum, row.targetNum,
                  ExitStateName(row.exitState));
    }
    ++fetched;
  }
  // The row lives on this stack frame: the bindings go with the cursor.
  FinishLocalRead();
  return fetched > 0 ? 1 : 0;
}
