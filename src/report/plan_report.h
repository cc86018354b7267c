// The capacity plan as a readable report on a stream: a header naming the
// data source, the calls counted and the grades, and the days missing when
// there are any; then the answer (the lines needed now and, when lines were
// given, their capacity, the blocking now, when they run out and any sign
// that they are saturated); the months table, projected months included,
// with the reason a month is partial; the year's reference loads; the
// trend, the model the projection follows and every model's track record;
// blocked calls. Stale records are said under the header. Units always
// printed. A report by groups prints each group's block alike under a
// heading of its own.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "planning/capacity_plan.h"
#include "planning/day_figures.h"

struct PlanReportHeader {
  std::string dataSource;
  std::string callsCounted;  // "trunk calls", ...
  double gradePercent = 1.0;
  double highGradePercent = 7.0;
  int32_t horizonMonths = 12;
};

// Which days the months' busy days come from, and why, in one sentence
// without its full stop: "Busy days: Monday to Friday (...)".
std::string BusyDaysText(const CapacityPlan& plan);

// The answer block as the report prints it, one text per line (indented
// lines start with two spaces, no line ends): the lines needed now and,
// when lines were given, how they stand.
std::vector<std::string> PlanAnswerLines(const PlanReportHeader& header, std::span<const DayFigures> days,
                                         const CapacityPlan& plan);

// The projection as the report prints it, one text per line (a text may
// hold a line end where the report breaks it; indented texts start with two
// spaces): the trend, the model the projection follows with its track
// record, every other model's, and why the line is used when it must be.
std::vector<std::string> PlanProjectionLines(const PlanReportHeader& header, const CapacityPlan& plan);

// The texts of one row of the months table; a cell that does not apply to
// the month's kind, or to a month without busy days, is empty.
struct MonthCells {
  std::string month;  // "YYYY/MM"
  std::string kind;   // as months.csv names it
  std::string days, busyDays, busyHour;
  std::string carried, blocked, offered, high, upper;  // Erlangs; blocked a percentage
  std::string peakCalls, blockedCalls, linesNeeded, linesNeededUpper;
  std::string partialBecause;  // why a partial month is partial: "in progress, 2 days missing"
};
// `callsCounted` names the calls counted as the header does ("Trunk
// calls"), for a month of records without one of them.
MonthCells PlanMonthCells(const MonthPlan& month, const std::string& callsCounted = "calls");

// The days and records the plan is made of, as the header says them:
// "Trunk calls from 2025-01-01 to 2026-01-09: 374 days, 37,400 call records
// read". `days` not empty.
std::string PlanPeriodText(const PlanReportHeader& header, std::span<const DayFigures> days, const CapacityPlan& plan);

// When days are missing: "3 days had no call records and count as
// missing"; else empty.
std::string MissingDaysText(const CapacityPlan& plan);

// When the records are stale (CapacityPlan::staleRecords): "the records end
// in YYYY/MM, N months ago: the projection starts from there"; else empty.
std::string StaleRecordsText(const CapacityPlan& plan);

// Writes the report of `plan`, made from `days`, to `out`; nothing for no
// days.
void PrintPlanReport(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
                     const CapacityPlan& plan);

// Writes one group's block of a report by groups to `out`: an empty line,
// a heading naming the group (GroupShownName, report/group_summary.h) with
// its days and records, its missing days and stale records as the header
// says them, then what PrintPlanReport prints below its header, for
// `plan` made from the group's `days`. Nothing for no days.
void PrintGroupBlock(std::FILE* out, const PlanReportHeader& header, const std::string& name,
                     std::span<const DayFigures> days, const CapacityPlan& plan);
