#include "planning/lines_exhaustion.h"

#include <algorithm>

#include "timeutil/calendar_months.h"

LinesExhaustion FindLinesExhaustion(const CapacityPlan& plan, int32_t currentYear, int32_t currentMonth) {
  LinesExhaustion found;
  const LinesVerdict& verdict = plan.verdict;
  switch (verdict.outlook) {
    case LinesOutlook::kAlreadyShort:
      found.kind = ExhaustionKind::kNow;
      found.year = currentYear;
      found.month = currentMonth;
      break;
    case LinesOutlook::kRunsOut: {
      const MonthPlan& month = plan.months[static_cast<size_t>(verdict.runsOutAt)];
      found.months = MonthCount(month.year, month.month) - MonthCount(currentYear, currentMonth);
      if (found.months <= 0) {
        // Stale records: the projection from their last month has run out
        // by now.
        found = {.kind = ExhaustionKind::kNow, .months = 0, .year = currentYear, .month = currentMonth};
        break;
      }
      found.kind = ExhaustionKind::kAhead;
      found.year = month.year;
      found.month = month.month;
      break;
    }
    case LinesOutlook::kLasts: {
      // The projection starts after the last measured month, which lies
      // before the current one when the records are stale.
      const MonthPlan& last = plan.months.back();
      found.kind = ExhaustionKind::kBeyond;
      found.months = std::max(0, MonthCount(last.year, last.month) - MonthCount(currentYear, currentMonth));
      break;
    }
    case LinesOutlook::kNotAsked:
    case LinesOutlook::kNoProjection:
      break;
  }
  return found;
}
