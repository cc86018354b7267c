#include "analysis/scan_calls.h"

#include <cstdio>

#include "analysis/block_fetch.h"
#include "analysis/call_line_format.h"
#include "analysis/exit_state_names.h"
#include "analysis/record_processor.h"
#include "db/osql.h"
#include "platform/text.h"

namespace {

constexpr SQLLEN kNumberTextSize = 41;
// Room for a printed row: two numbers of 39 characters, the longest exit
// name and the labels.
constexpr size_t kPrintedLineSize = 256;

// The columns of a call select (CallColumns::kDetails, in this order); a
// select of kTimes leaves the session and the numbers 0 and empty.
struct CallRow {
  SQLINTEGER startTime;
  SQLINTEGER endTime;
  SQLINTEGER sessionId;
  char callerNum[kNumberTextSize];
  char targetNum[kNumberTextSize];
  SQLINTEGER exitState;
};

// Where the driver says a value is NULL. Drivers differ in what they leave
// in the buffer of a NULL value (some blank it, some keep the previous
// row's), so a NULL is read as 0 or empty text whatever the driver did:
// a printed call never shows another call's numbers.
struct CallRowIndicators {
  SQLLEN value[6];
  bool IsNull(int column) const { return value[column - 1] == SQL_NULL_DATA; }
};

int32_t NumberOrZero(const CallRowIndicators& indicators, int column, SQLINTEGER value) {
  return indicators.IsNull(column) ? 0 : static_cast<int32_t>(value);
}

const char* TextOrEmpty(const CallRowIndicators& indicators, int column, const char* text) {
  return indicators.IsNull(column) ? "" : text;
}

// Rows fetched per SQLFetch: the driver manager's cost of a call is paid
// once for this many rows. Their room lives on the scan's stack.
constexpr SQLULEN kBlockRows = 64;

// One row of a block, its values and their indicators side by side
// (row-wise binding).
struct BoundCall {
  CallRow row;
  CallRowIndicators indicators;
};

bool BindCallRows(SQLHSTMT statement, BoundCall* first, CallColumns columns) {
  CallRow* row = &first->row;
  SQLLEN* ind = first->indicators.value;
  const bool times = SQLBindCol(statement, 1, SQL_C_LONG, &row->startTime, sizeof row->startTime, &ind[0]) ==
                         SQL_SUCCESS &&
                     SQLBindCol(statement, 2, SQL_C_LONG, &row->endTime, sizeof row->endTime, &ind[1]) == SQL_SUCCESS;
  if (columns == CallColumns::kTimes) {
    return times &&
           SQLBindCol(statement, 3, SQL_C_LONG, &row->exitState, sizeof row->exitState, &ind[5]) == SQL_SUCCESS;
  }
  // One byte short of the text buffers: a number arrives as at most 39
  // characters and a NUL, and the last byte stays zero.
  return times &&
         SQLBindCol(statement, 3, SQL_C_LONG, &row->sessionId, sizeof row->sessionId, &ind[2]) == SQL_SUCCESS &&
         SQLBindCol(statement, 4, SQL_C_CHAR, row->callerNum, kNumberTextSize - 1, &ind[3]) == SQL_SUCCESS &&
         SQLBindCol(statement, 5, SQL_C_CHAR, row->targetNum, kNumberTextSize - 1, &ind[4]) == SQL_SUCCESS &&
         SQLBindCol(statement, 6, SQL_C_LONG, &row->exitState, sizeof row->exitState, &ind[5]) == SQL_SUCCESS;
}

}  // namespace

int ScanCalls(OSql& session, const char* sql, CRecordProcessor* processor, CallColumns columns, uint32_t passFlag) {
  if (processor == nullptr) {
    std::printf("No call back processor specified\n");
    return 0;
  }
  if (session.Execute(sql) == 0) return 0;
  BoundCall block[kBlockRows] = {};
  SQLULEN rowsFetched = 1;
  SQLUSMALLINT statuses[kBlockRows] = {};
  UseRowBlocks(session.statementHandle, sizeof(BoundCall), kBlockRows, &rowsFetched, statuses);
  if (!BindCallRows(session.statementHandle, block, columns)) {
    // No row can be read; leave the statement idle for the next query.
    session.lastStatementFailed = 1;
    session.FinishLocalRead();
    StopRowBlocks(session.statementHandle);
    return 0;
  }
  int32_t fetched = 0;
  int32_t printed = 0;
  bool rowFailed = false;
  SQLRETURN fetchResult;
  // A driver that keeps to one row a fetch leaves rowsFetched at 1.
  while (rowsFetched = 1, SqlSucceeded(fetchResult = SQLFetch(session.statementHandle))) {
    for (SQLULEN i = 0; i < rowsFetched && i < kBlockRows; ++i) {
      if (statuses[i] == SQL_ROW_ERROR) rowFailed = true;
      if (statuses[i] == SQL_ROW_NOROW || statuses[i] == SQL_ROW_ERROR) continue;
      CallRow& row = block[i].row;
      const CallRowIndicators& indicators = block[i].indicators;
      EndBoundText(row.callerNum, indicators.value[3], kNumberTextSize);
      EndBoundText(row.targetNum, indicators.value[4], kNumberTextSize);
      int32_t startTime = NumberOrZero(indicators, 1, row.startTime);
      int32_t endTime = NumberOrZero(indicators, 2, row.endTime);
      if (processor->OnCall(startTime, endTime) != 0) {
        ++printed;
        char line[kPrintedLineSize];
        FormatBounded(line, sizeof line, CallLineFormat(passFlag), static_cast<int>(printed),
                      static_cast<int>(NumberOrZero(indicators, 3, row.sessionId)),
                      TextOrEmpty(indicators, 4, row.callerNum), TextOrEmpty(indicators, 5, row.targetNum),
                      ExitStateName(NumberOrZero(indicators, 6, row.exitState)));
        processor->PrintRow(line);
      }
      processor->OnExitState(NumberOrZero(indicators, 6, row.exitState));
      ++fetched;
    }
  }
  // Rows that stop in an error are a failed read, not the end of the day:
  // the caller must not take what came before for the whole day.
  if (fetchResult != SQL_NO_DATA || rowFailed) session.ReportDiagnostics();
  // The rows live on this stack frame: the bindings go with the cursor.
  session.FinishLocalRead();
  StopRowBlocks(session.statementHandle);
  return fetched > 0 ? 1 : 0;
}
