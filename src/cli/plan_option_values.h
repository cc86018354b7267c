// The values of the options `plan` and `check` share: a grade of service
// in percent, and the rule for the days a month's busy hour is read on.
#pragma once

#include <string>

#include "planning/capacity_plan.h"

// A CLI11 check of a percentage strictly between 0 and 100: "" when `text`
// is one, else the reason.
std::string CheckPercent(std::string& text);

// The names --busy-days takes, and the rule of one of them (kAuto for
// "auto" and anything else).
inline constexpr const char* kBusyDaysNames[] = {"auto", "weekdays", "all"};
BusyDaysRule BusyDaysRuleNamed(const std::string& name);
