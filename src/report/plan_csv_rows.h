// The texts of the plan's CSV files (report/plan_csv.h), made in one place
// for the plain files and for those of a plan by groups
// (report/grouped_csv.h), whose every record starts with a group field.
#pragma once

#include <span>
#include <string>

#include "planning/capacity_plan.h"
#include "planning/day_figures.h"

enum class PlanCsvFile { kDays, kMonths, kProfile, kBacktest };

// The file's name: kDaysCsvName, ...
const char* PlanCsvName(PlanCsvFile file);

// The file's header row, its line end included, with "group," in front
// when `grouped`.
std::string PlanCsvHeader(PlanCsvFile file, bool grouped);

// Appends the file's records of `plan`, made from `days`, to `text`, each
// with its line end; each starts with the field `groupField` (as a record
// holds it: report/csv_field.h) when that is not null.
void AppendPlanCsvRecords(PlanCsvFile file, std::span<const DayFigures> days, const CapacityPlan& plan,
                          const std::string* groupField, std::string* text);
