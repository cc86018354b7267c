#include "analysis/planned_records.h"

#include <memory>

#include "platform/local_time.h"

PlannedRecords ReadPlannedRecords(CCallPeak* checker, const PlanSource& source, CPlanScanProgress* progress) {
  PlannedRecords records;
  checker->Sessions = source.sessions;
  // A year of days is too large for the stack.
  auto collected = std::make_unique<CPlanDays>();
  collected->replayLines = source.replayLines;
  collected->groupLines = source.groupLines;
  const int scanned = source.kind != nullptr ? ScanPlanDays(checker, *source.kind, collected.get(), progress,
                                                           source.historyMonths, source.grouped)
                                             : 0;
  records.range = checker->RangeNotes;
  records.unreadDays = checker->UnreadDays;
  records.connectionLost = checker->Session.connectionLost != 0;
  if (scanned == 0 && !records.range.failure.empty()) {
    records.outcome = PlannedOutcome::kRangeUnread;
    return records;
  }
  if (records.unreadDays > 0) {
    records.outcome = PlannedOutcome::kDaysUnread;
    return records;
  }
  records.days = collected->TakeDays();
  records.groups = collected->TakeGroupDays();
  int64_t calls = 0;
  for (const DayFigures& day : records.days) calls += day.calls;
  records.outcome = scanned == 0 || calls == 0 ? PlannedOutcome::kNoRecords : PlannedOutcome::kRead;
  return records;
}

PlanRequest TodaysPlanRequest() {
  SYSTEMTIME today{};
  GetLocalTime(&today);
  PlanRequest request;
  request.currentYear = today.wYear;
  request.currentMonth = today.wMonth;
  request.currentDay = today.wDay;
  return request;
}
