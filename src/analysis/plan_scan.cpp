#include "analysis/plan_scan.h"

#include <algorithm>
#include <mutex>

#include "console/settings.h"
#include "platform/local_time.h"
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
// last record month or today, whichever comes first.
int32_t DaysToCheck(int32_t firstDay, int32_t lastDay) {
  SYSTEMTIME first{};
  SYSTEMTIME last{};
  SYSTEMTIME today{};
  if (!EpochToLocalFields(firstDay, &first) || !EpochToLocalFields(lastDay, &last)) return 0;
  GetLocalTime(&today);
  first.wDay = 1;
  last.wDay = static_cast<uint16_t>(DaysInMonth(last.wYear, last.wMonth));
  return std::min(DateNumber(last), DateNumber(today)) - DateNumber(first) + 1;
}

}  // namespace

int ScanPlanDays(CCallPeak* checker, uint32_t mode, CPlanDays* days, CPlanScanProgress* progress) {
  CheckMode = mode;
  checker->Reset();
  // The first record day decides which days the plan keeps (the range check
  // reads it again, the same way). A range the check would refuse gets no
  // further: the caller says in its own words that there is nothing to plan.
  if (checker->GetRecordRange() == 0) return 0;
  if (!checker->HasCheckableRange()) return 0;
  days->Begin(checker->FirstDay);
  if (progress != nullptr) progress->Begin(DaysToCheck(checker->FirstDay, checker->LastDay));
  PlanDayObserver observer(days, progress);
  checker->DayObserver = &observer;
  const int result = checker->CheckRange();
  checker->DayObserver = nullptr;
  return result;
}
