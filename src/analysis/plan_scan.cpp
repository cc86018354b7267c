#include "analysis/plan_scan.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "analysis/day_statements.h"
#include "analysis/record_day.h"
#include "settings/settings.h"
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

int32_t DateNumber(const SYSTEMTIME& date) { return DayNumber(date.wYear, date.wMonth, date.wDay); }

// The days the range check walks: its first month from day 1, through the
// last record month or `through`, whichever comes first.
int32_t DaysToCheck(int32_t firstDay, int32_t lastDay, const RecordDay& through) {
  SYSTEMTIME first{};
  SYSTEMTIME last{};
  if (!EpochToLocalFields(firstDay, &first) || !EpochToLocalFields(lastDay, &last)) return 0;
  first.wDay = 1;
  last.wDay = static_cast<uint16_t>(DaysInMonth(last.wYear, last.wMonth));
  return std::min(DateNumber(last), DayNumber(through.year, through.month, through.day)) - DateNumber(first) + 1;
}

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

int ScanPlanDays(CCallPeak* checker, uint32_t mode, CPlanDays* days, CPlanScanProgress* progress,
                 int32_t historyMonths) {
  const CheckModeScope scanMode(mode);
  // The plan lists no calls: its statements read the times, the kinds and
  // the exit state, its rows are kept for the replay, and the checker reads
  // as the console's again after it.
  struct CallDetails {
    CCallPeak* checker;
    ~CallDetails() {
      checker->readsCallDetails = true;
      checker->replaysCalls = false;
    }
  } details{checker};
  checker->readsCallDetails = false;
  checker->replaysCalls = true;
  checker->Reset();
  const RecordDay today = LocalToday();
  const RecordDay through = DayBefore(today);
  // The checker is the console's too: its range goes back to the cap, and
  // to the console's reading of the record days, when the plan is done.
  struct RangeStart {
    CCallPeak* checker;
    ~RangeStart() {
      checker->RangeStartDay = 0;
      checker->skipsBadRecordDays = false;
    }
  } restore{checker};
  checker->skipsBadRecordDays = true;
  if (historyMonths > 0) {
    const int32_t first = MonthCount(today.year, today.month) - historyMonths;
    checker->RangeStartDay = LocalDateToEpoch(YearOfMonthCount(first), MonthOfMonthCount(first), 1);
  }
  // The first record day decides which days the plan keeps (the range check
  // reads it again, the same way). A range the check would refuse gets no
  // further: the caller says in its own words that there is nothing to plan.
  if (checker->GetRecordRange(through) == 0) return 0;
  if (!checker->HasCheckableRange()) return 0;
  const int32_t toCheck = DaysToCheck(checker->FirstDay, checker->LastDay, through);
  days->Begin(checker->FirstDay, std::max(toCheck, CPlanDays::kDefaultDays));
  if (progress != nullptr) progress->Begin(toCheck);
  PlanDayObserver observer(days, progress);
  checker->DayObserver = &observer;
  const int result = checker->CheckRange(through);
  checker->DayObserver = nullptr;
  if (result != 0 && checker->UnreadDays == 0) MarkMissingDays(checker, days);
  return result;
}
