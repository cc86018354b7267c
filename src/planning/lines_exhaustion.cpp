#include "planning/lines_exhaustion.h"

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
      found.kind = ExhaustionKind::kAhead;
      found.months = MonthCount(month.year, month.month) - MonthCount(currentYear, currentMonth);
      found.year = month.year;
      found.month = month.month;
      break;
    }
    case LinesOutlook::kLasts:
      found.kind = ExhaustionKind::kBeyond;
      found.months = static_cast<int32_t>(plan.months.size()) - plan.measuredMonths;
      break;
    case LinesOutlook::kNotAsked:
    case LinesOutlook::kNoProjection:
      break;
  }
  return found;
}
