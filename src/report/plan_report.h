// The capacity plan as a readable report on a stream: a header naming the
// data source, the calls counted and the grades, and the days missing when
// there are any; then the answer (the lines needed now and, when lines were
// given, their capacity, the blocking now, when they run out and any sign
// that they are saturated); the months table, projected months included,
// with the reason a month is partial; the year's reference loads; the
// trend; blocked calls. Units always printed.
#pragma once

#include <cstdio>
#include <span>
#include <string>

#include "planning/capacity_plan.h"
#include "planning/day_figures.h"

struct PlanReportHeader {
  std::string dataSource;
  std::string callsCounted;  // "trunk calls", ...
  double gradePercent = 1.0;
  double highGradePercent = 7.0;
  int32_t horizonMonths = 12;
};

// Writes the report of `plan`, made from `days`, to `out`.
void PrintPlanReport(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
                     const CapacityPlan& plan);
