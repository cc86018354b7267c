// The one road by which call rows reach the analysis: a call select run on
// a session, its rows fetched in blocks and handed to a processor.
#pragma once

#include <cstdint>

#include "analysis/record_processor.h"
#include "db/osql.h"

// The columns a call select delivers, in this order. kDetails:
// StartTime, EndTime, SessionID, CallerNum, TargetNum, ExitState (a reader
// that lists calls); kTimes: StartTime, EndTime, ExitState.
enum class CallColumns { kDetails, kTimes };

// Runs the call select `sql` on `session` and hands every row to
// `processor` (OnCall, then OnExitState; a row OnCall answers nonzero is
// printed through PrintRow, labelled by `passFlag`: 0 for a day's first
// statement, its kind's pass flag for the second).
// Returns 1 when a row came, 0 when none did, the select failed (reported
// by the session, lastStatementFailed set) or `processor` is null.
int ScanCalls(OSql& session, const char* sql, CRecordProcessor* processor,
              CallColumns columns = CallColumns::kDetails, uint32_t passFlag = 0);
