// OSql::ScanCalls: the one road by which call rows reach the analysis.
#include <cstdio>

#include "analysis/call_line_format.h"
#include "analysis/exit_state_names.h"
#include "analysis/record_processor.h"
#include "console/settings.h"
#include "db/osql.h"
#include "platform/text.h"

namespace {

constexpr SQLLEN kNumberTextSize = 41;
// Room for a printed row: two numbers of 39 characters, the longest exit
// name and the labels.
constexpr size_t kPrintedLineSize = 256;

// The six columns every call select delivers first, in this order.
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
    // No row can be read; leave the statement idle for the next query.
    lastStatementFailed = 1;
    FinishLocalRead();
    return 0;
  }
  int32_t fetched = 0;
  int32_t printed = 0;
  SQLRETURN fetchResult;
  while (SqlSucceeded(fetchResult = SQLFetch(statementHandle))) {
    EndBoundText(row.callerNum, indicators.value[3], kNumberTextSize);
    EndBoundText(row.targetNum, indicators.value[4], kNumberTextSize);
    int32_t startTime = NumberOrZero(indicators, 1, row.startTime);
    int32_t endTime = NumberOrZero(indicators, 2, row.endTime);
    if (processor->OnCall(startTime, endTime) != 0) {
      ++printed;
      char line[kPrintedLineSize];
      FormatBounded(line, sizeof line, CallLineFormat(CheckMode), static_cast<int>(printed),
                    static_cast<int>(NumberOrZero(indicators, 3, row.sessionId)),
                    TextOrEmpty(indicators, 4, row.callerNum), TextOrEmpty(indicators, 5, row.targetNum),
                    ExitStateName(NumberOrZero(indicators, 6, row.exitState)));
      processor->PrintRow(line);
    }
    processor->OnExitState(NumberOrZero(indicators, 6, row.exitState));
    ++fetched;
  }
  // Rows that stop in an error are a failed read, not the end of the day:
  // the caller must not take what came before for the whole day.
  if (fetchResult != SQL_NO_DATA) ReportDiagnostics();
  // The row lives on this stack frame: the bindings go with the cursor.
  FinishLocalRead();
  return fetched > 0 ? 1 : 0;
}
