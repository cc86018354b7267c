// The records a capacity plan is made of, read as `plan` and `check` read
// them: the scan of the record range (analysis/plan_scan.h) on a checker
// whose session is open, its days taken out, and what went wrong told
// apart, so that each front end can say it in its own words.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "analysis/call_kinds.h"
#include "analysis/call_peak.h"
#include "analysis/group_days.h"
#include "analysis/grouped_scan.h"
#include "analysis/plan_scan.h"
#include "planning/capacity_plan.h"

struct PlanSource {
  const CallKind* kind = nullptr;  // the calls planned for; none: nothing to plan
  int32_t sessions = 1;         // CCallPeak::Sessions for the scan
  int32_t historyMonths = 0;    // as ScanPlanDays takes it
  int32_t replayLines = 0;      // CPlanDays::replayLines: the lines installed, 0 when not given
  // Not null: the rows are grouped by these statements (ScanPlanDays), and
  // each group's attempts replayed through its lines in groupLines.
  const GroupedSelects* grouped = nullptr;
  const std::map<std::string, int32_t>* groupLines = nullptr;
};

enum class PlannedOutcome {
  kRead,        // days holds the records' days, with calls among them
  kRangeUnread, // the record days could not be read: range.failure says why
  kDaysUnread,  // unreadDays days could not be read (connectionLost: the connection went)
  kNoRecords,   // no day of records, or no call of the kind among them
};

struct PlannedRecords {
  PlannedOutcome outcome = PlannedOutcome::kNoRecords;
  RecordRangeNotes range;
  int32_t unreadDays = 0;
  bool connectionLost = false;
  std::vector<DayFigures> days;
  GroupDays groups;  // the groups' days, when grouped
};

// Scans the records `source` names on `checker` (its session open, and left
// open); `progress` may be null.
PlannedRecords ReadPlannedRecords(CCallPeak* checker, const PlanSource& source, CPlanScanProgress* progress);

// A plan request for today's local date (read from the clock): the days
// before today are the measured ones.
PlanRequest TodaysPlanRequest();
