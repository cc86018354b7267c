// plan --group-by: one capacity plan per group of calls, made from the
// groups' days of one scan (analysis/group_days.h), one group at a time so
// that only one group's days are ever unpacked. Standard output gets the
// header of the whole scan, the summary of the groups by urgency
// (report/group_summary.h), then each group's plan in that order; --csv
// and --html get the same with a group column and a section per group.
#pragma once

#include "analysis/call_kinds.h"
#include "analysis/planned_records.h"
#include "cli/plan_command.h"

// Plans every group of `records` (read as `options` ask, grouped, with
// calls among them) for the calls of `kind`; returns the exit status.
int RunGroupedPlan(const PlanOptions& options, const CallKind& kind, const PlannedRecords& records);
