// The months left that check judges (--warning-months, --critical-months):
// the capacity plan of the whole record range, made as plan makes it for
// the lines installed, read only when a months threshold asks for it (it
// reads years of records). The plan projects kCheckHorizonMonths, the
// planner's longest horizon, so that a threshold of up to five years can
// be judged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/call_kinds.h"
#include "analysis/call_peak.h"
#include "analysis/grouped_scan.h"
#include "cli/check_command.h"
#include "cli/check_line.h"
#include "cli/grouped_check.h"

inline constexpr int32_t kCheckHorizonMonths = 60;

// Plans every call of `kind` on `checker` (its session open, and left
// open) for options.lines: sets the exhaustion and the lines needed now of
// `figures`, and `stale` to what the plan says of stale records ("" when
// they are not). False with the reason when the range cannot be read,
// holds no call of the kind, or has too few complete months to project.
bool PlanCheckMonths(CCallPeak* checker, const CheckOptions& options, const CallKind& kind, CheckedFigures* figures,
                     std::string* stale, std::string* reason);

// The same for each group of `groups` with lines, from the rows of
// `selects`: a group's plan is made of its days, no call where it had none.
// A group with no record in the whole range is not planned (it has no
// months to judge). False as PlanCheckMonths.
bool PlanGroupMonths(CCallPeak* checker, const CheckOptions& options, const GroupedSelects& selects,
                     std::vector<JudgedGroup>* groups, std::string* stale, std::string* reason);
