// The capacity plan as a readable report on a stream: a header naming the
// data source, the calls counted and the grade, and the days missing when
// there are any; the months table, projected months included; the year's
// reference loads; the trend; blocked calls; and, when lines were given,
// the verdict on them. Units always printed.
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
  int32_t horizonMonths = 12;
};

// Writes the report of `plan`, made from `days`, to `out`.
void PrintPlanReport(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
                     const CapacityPlan& plan);
