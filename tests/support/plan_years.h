// Days of records for the tests of the plan's reports.
#pragma once

#include <cstdint>
#include <vector>

#include "planning/capacity_plan.h"
#include "planning/day_figures.h"

// Fourteen months to the frozen "now" of February 2026, growing half an
// Erlang a month with some scatter, a missing day in June, blocked calls
// in the last complete month: every kind of month and every answer line.
std::vector<DayFigures> GrowingYear();

// The request of a plan of GrowingYear judged in February 2026 with
// `lines` installed (0: none given).
PlanRequest GrowingYearRequest(int32_t lines);
