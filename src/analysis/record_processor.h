// CRecordProcessor: the consumer of the call rows that ScanCalls
// fetches. The scan hands every row's start and end to OnCall, once per row
// in the order the driver delivers them, and prints the row when the answer
// is nonzero.
#pragma once

#include <cstdint>
#include <cstdio>

class CRecordProcessor {
 public:
  // StartTime and EndTime of one row, epoch seconds. Nonzero: print the row.
  virtual int32_t OnCall(int32_t startTime, int32_t endTime) {
    (void)startTime;
    (void)endTime;
    return 1;
  }

  // Unused by the scan; kept for processors of three-value rows.
  virtual int32_t OnValue(int32_t a, int32_t b, int32_t c) {
    (void)a;
    (void)b;
    (void)c;
    return 1;
  }

  // One printed row, a whole line: on standard output unless the processor
  // keeps its rows elsewhere.
  virtual void PrintRow(const char* line) { std::fputs(line, stdout); }

  // The ExitState of the row just handed to OnCall (0 when NULL), for
  // processors that count outcomes. Called once per row, after OnCall.
  virtual void OnExitState(int32_t exitState) { (void)exitState; }

 protected:
  // Processors are not deleted through this interface.
  ~CRecordProcessor() = default;
};
