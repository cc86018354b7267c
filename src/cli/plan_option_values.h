// The values of the options `plan` and `check` share: a grade of service
// in percent, the rule for the days a month's busy hour is read on, and the
// plan request they make.
#pragma once

#include <cstdint>
#include <string>

#include "planning/capacity_plan.h"

// A CLI11 check of a percentage strictly between 0 and 100: "" when `text`
// is one, else the reason.
std::string CheckPercent(std::string& text);

// The names --busy-days takes, and the rule of one of them (kAuto for
// "auto" and anything else).
inline constexpr const char* kBusyDaysNames[] = {"auto", "weekdays", "all"};
BusyDaysRule BusyDaysRuleNamed(const std::string& name);

// Today's plan request (analysis/planned_records.h) at the grades of
// service in percent, through `lines` installed (0: none given), over
// `horizonMonths`, with the busy-day rule named `busyDays`.
PlanRequest PlanRequestFor(double gradePercent, double highGradePercent, int32_t lines, int32_t horizonMonths,
                           const std::string& busyDays);
