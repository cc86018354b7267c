// DayReader: one day of a peak check read on one session into one
// counter: the day's statements as the request asks, every row into the
// counter (and, when the request groups them, into its group's counter
// too), the calls in progress at the view time listed.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/check_request.h"
#include "analysis/day_counter.h"
#include "analysis/day_observer.h"
#include "analysis/grouped_day.h"
#include "analysis/grouped_scan.h"
#include "analysis/record_processor.h"
#include "db/osql.h"

enum class DayRead {
  kRead,    // every statement ran through: the counter holds the day
  kFailed,  // a statement failed (the session reported it)
  kLost,    // the connection is gone, found now or before (no statement ran)
};

class DayReader final : private CRecordProcessor, private CGroupedRowSink {
 public:
  // Neither is owned; both outlive the reader.
  DayReader(OSql& session, DayCounter& counter) : session_(session), counter_(counter) {}

  // Reads the day that opens at the local midnight `dayStart`. The calls
  // listed go to `listed` (standard output when null). On kRead the
  // counter's day is finished and `observer` (when not null) was handed it,
  // with the day's groups when the request groups the rows; otherwise the
  // counter holds part of a day, to be dropped.
  DayRead Read(const CheckRequest& request, int32_t dayStart, std::string* listed, CDayObserver* observer);

  OSql& Session() { return session_; }
  DayCounter& Counter() { return counter_; }

 private:
  int32_t OnCall(int32_t startTime, int32_t endTime) override;
  void OnExitState(int32_t exitState) override;
  void PrintRow(const char* line) override;
  void OnGroupedRow(const GroupedRow& row) override;
  // One statement; false when it failed.
  bool Scan(const char* select, const CheckRequest& request, DayPass pass, uint32_t passFlag);
  bool ScanGrouped(const std::string& select, DayPass pass);

  OSql& session_;
  DayCounter& counter_;
  GroupedDay groups_;
  const GroupedSelects* grouped_ = nullptr;
  // Of the statement under way.
  DayPass pass_ = DayPass::kFirst;
  bool lists_ = false;
  int32_t viewTime_ = 0;
  std::string* listed_ = nullptr;
  // The times of the row last handed to OnCall.
  int32_t lastStart_ = 0;
  int32_t lastEnd_ = 0;
};
