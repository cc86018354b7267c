#include "analysis/plan_scan.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "analysis/day_statements.h"
#include "analysis/record_day.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "timeutil/calendar_months.h"
#include "timeutil/time_conversions.h"

namespace {

// Hands each day to the plan's days and counts it for the progress. Days
// read on several sessions arrive from several threads: the plan's days
// are filed apart by date, the count and the progress take turns.
class PlanDayObserver : public CDayObserver {
 public:
  PlanDayObserver(CPlanDays* days, CPlanScanProgress* progress) : days_(days), progress_(progress) {}
  void OnDay(const DayOccupancy& day) override {
    days_->OnDay(day);
    std::lock_guard<std::mutex> lock(progressLock_);
    if (progress_ != nullptr) progress_->Step(++done_);
  }

 private:
  CPlanDays* days_;
  CPlanScanProgress* progress_;
  std::mutex progressLock_;
  int32_t done_ = 0;
};

// A day without a row of the kind checked may hold calls of other kinds;
// only a day on which no record at all starts is missing. The records of
// the others are counted: a month of them alone is no month without
// traffic. Once the connection is gone, no question can be answered.
void MarkMissingDays(CCallPeak* checker, CPlanDays* days) {
  days->ForEachDayWithoutRows([checker](DayFigures& day) {
    char statement[kStatementSize] = {};
    FormatBounded(statement, sizeof statement, kDayRecordCountSelect, static_cast<int>(day.dayStart),
                  static_cast<int>(NextLocalMidnight(day.dayStart)));
    char count[32] = {};
    if (checker->Session.connectionLost != 0 ||
        checker->Session.QueryFirstText(statement, count, sizeof count) == 0) {
      ++checker->UnreadDays;
      return;
    }
    day.records = static_cast<int32_t>(std::max(0LL, std::atoll(count)));
    day.missing = day.records == 0;
  });
}

}  // namespace

int ScanPlanDays(CCallPeak* checker, const CallKind& kind, CPlanDays* days, CPlanScanProgress* progress,
                 int32_t historyMonths, const GroupedSelects* grouped) {
  // The plan lists no calls: its statements read the times, the kinds and
  // the exit state, and its rows are kept for the replay.
  CheckRequest request;
  request.kind = &kind;
  request.dsn = checker->OpenedDsn();
  request.columns = CallColumns::kTimes;
  request.keepsAttempts = true;
  request.grouped = grouped;
  checker->Reset();
  const RecordDay today = LocalToday();
  const RecordDay through = DayBefore(today);
  RecordRangeRule rule;
  rule.skipsBadRecordDays = true;
  if (historyMonths > 0) {
    const int32_t first = MonthCount(today.year, today.month) - historyMonths;
    rule.startDay = LocalDateToEpoch(YearOfMonthCount(first), MonthOfMonthCount(first), 1);
  }
  // The first record day decides which days the plan keeps. A range the
  // check would refuse gets no further: the caller says in its own words
  // that there is nothing to plan.
  if (checker->GetRecordRange(through, rule) == 0) return 0;
  if (!checker->HasCheckableRange()) return 0;
  const int32_t toCheck = static_cast<int32_t>(checker->ReadRangeDays(through).days.size());
  days->Begin(checker->FirstDay, std::max(toCheck, CPlanDays::kDefaultDays));
  if (progress != nullptr) progress->Begin(toCheck);
  PlanDayObserver observer(days, progress);
  CDayObserver* const saved = checker->DayObserver;
  checker->DayObserver = &observer;
  const int result = checker->CheckReadRange(request, through);
  checker->DayObserver = saved;
  if (result != 0 && checker->UnreadDays == 0) MarkMissingDays(checker, days);
  return result;
}
