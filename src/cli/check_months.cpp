#include "cli/check_months.h"

#include <map>

#include "analysis/planned_records.h"
#include "cli/plan_command.h"
#include "cli/plan_option_values.h"
#include "planning/capacity_plan.h"
#include "report/plan_report.h"

namespace {

// The records of the plan; false with the reason when they are none to
// plan with.
bool ReadRecords(CCallPeak* checker, const CheckOptions& options, const PlanSource& source, PlannedRecords* records,
                 std::string* reason) {
  *records = ReadPlannedRecords(checker, source, nullptr);
  if (records->outcome == PlannedOutcome::kDaysUnread) {
    *reason = std::string(records->connectionLost ? "lost the connection to" : "failed to read") + " data source \"" +
              options.dsn + "\": " + std::to_string(records->unreadDays) + " days of the plan could not be read";
    return false;
  }
  if (records->outcome != PlannedOutcome::kRead) {
    *reason = "data source \"" + options.dsn + "\" holds no usable records of " + source.kind->name +
              " calls to plan with";
    return false;
  }
  return true;
}

// Plans `days` for `figures->lines`; false with the reason when the months
// ahead cannot be projected.
bool PlanDays(const CheckOptions& options, const std::vector<DayFigures>& days, CheckedFigures* figures,
              std::string* stale, std::string* reason) {
  const PlanRequest request = PlanRequestFor(options.gradePercent, options.highGradePercent, figures->lines,
                                            kCheckHorizonMonths, options.busyDays);
  const CapacityPlan plan = MakeCapacityPlan(days, request);
  const LinesExhaustion found = FindLinesExhaustion(plan, request.currentYear, request.currentMonth);
  if (found.kind == ExhaustionKind::kUnknown) {
    *reason = "no projection of the months ahead: " + std::to_string(plan.completeMonths) +
              " complete months, at least " + std::to_string(kMinTrendMonths) + " are needed";
    return false;
  }
  figures->exhaustion = found;
  figures->linesNeeded = plan.linesNeededNow;
  *stale = StaleRecordsText(plan);
  return true;
}

}  // namespace

bool PlanCheckMonths(CCallPeak* checker, const CheckOptions& options, const CallKind& kind, CheckedFigures* figures,
                     std::string* stale, std::string* reason) {
  PlanSource source;
  source.kind = &kind;
  source.sessions = DefaultRangeSessions();
  source.historyMonths = kDefaultHistoryMonths;
  source.replayLines = options.lines;
  PlannedRecords records;
  return ReadRecords(checker, options, source, &records, reason) &&
         PlanDays(options, records.days, figures, stale, reason);
}

bool PlanGroupMonths(CCallPeak* checker, const CheckOptions& options, const GroupedSelects& selects,
                     std::vector<JudgedGroup>* groups, std::string* stale, std::string* reason) {
  // The scan replays a group's attempts through its lines by its value.
  std::map<std::string, int32_t> lines;
  for (const JudgedGroup& group : *groups) {
    if (group.figures.lines > 0) lines[group.value] = group.figures.lines;
  }
  PlanSource source;
  source.kind = selects.kind;
  source.sessions = DefaultRangeSessions();
  source.historyMonths = kDefaultHistoryMonths;
  source.grouped = &selects;
  source.groupLines = &lines;
  PlannedRecords records;
  if (!ReadRecords(checker, options, source, &records, reason)) return false;
  for (JudgedGroup& group : *groups) {
    if (group.figures.lines == 0) continue;
    const std::vector<DayFigures> days = records.groups.DaysOf(group.value, records.days);
    if (days.empty()) continue;
    std::string groupStale;
    if (!PlanDays(options, days, &group.figures, &groupStale, reason)) return false;
    if (stale->empty()) *stale = groupStale;
  }
  return true;
}
