#include "report/plan_report.h"

#include <algorithm>

#include "analysis/format_thousands.h"
#include "planning/reference_loads.h"
#include "report/plan_csv.h"
#include "report/plan_formats.h"

namespace {

constexpr char kTableHeader[] =
    "Month    Kind       Days  Load (E)  Upper (E)  Peak calls  Blocked  Lines  Lines (upper)\n";
constexpr char kMeasuredRow[] = "%-7s  %-9s  %4d  %8s  %9s  %10d  %7d  %5d\n";
constexpr char kProjectedRow[] = "%-7s  %-9s  %4s  %8s  %9s  %10s  %7s  %5d  %13d\n";

std::string Thousands(int32_t value) {
  char text[kThousandsTextMax] = {};
  return FormatThousands(value, text);
}

std::string MonthOf(const MonthPlan& month) { return MonthText(month.year, month.month, '/'); }

void PrintHeader(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
                 const CapacityPlan& plan) {
  std::fprintf(out, "Capacity plan for data source \"%s\"\n", header.dataSource.c_str());
  std::fprintf(out, "%s from %s to %s: %d days, %s calls; grade of service %g%% blocking\n",
               header.callsCounted.c_str(), DateText(days.front()).c_str(), DateText(days.back()).c_str(),
               static_cast<int>(days.size()), Thousands(plan.calls).c_str(), header.gradePercent);
  if (plan.missingDays > 0) {
    std::fprintf(out, "%d days had no call records and count as missing\n", static_cast<int>(plan.missingDays));
  }
}

void PrintMonths(std::FILE* out, const PlanReportHeader& header, const CapacityPlan& plan) {
  std::fprintf(out, "\n%s", kTableHeader);
  for (const MonthPlan& month : plan.months) {
    if (month.kind == MonthKind::kProjected) {
      std::fprintf(out, kProjectedRow, MonthOf(month).c_str(), MonthKindName(month.kind), "",
                   ErlangsText(month.load).c_str(), ErlangsText(month.loadUpper).c_str(), "", "", month.linesNeeded,
                   month.linesNeededUpper);
    } else {
      std::fprintf(out, kMeasuredRow, MonthOf(month).c_str(), MonthKindName(month.kind), month.days,
                   ErlangsText(month.load).c_str(), "", month.peakCalls, month.blockedCalls, month.linesNeeded);
    }
  }
  std::fprintf(out, "Load: the busy-hour traffic of the month's %d busiest days; lines at %g%% blocking (Erlang B).\n",
               kHighLoadDays, header.gradePercent);
}

void PrintYear(std::FILE* out, std::span<const DayFigures> days, const CapacityPlan& plan) {
  const YearLoads& year = plan.year;
  std::fprintf(out, "\nReference loads (ITU-T E.500) over the %d days from %s to %s:\n", year.days,
               DateText(days[static_cast<size_t>(year.firstIndex)]).c_str(), DateText(days.back()).c_str());
  std::fprintf(out, "  normal load %s E, mean of the %d busiest days: %d lines\n", ErlangsText(year.normal).c_str(),
               std::min(year.days, kNormalLoadDays), year.normalLines);
  std::fprintf(out, "  high load   %s E, mean of the %d busiest days: %d lines\n", ErlangsText(year.high).c_str(),
               std::min(year.days, kHighLoadDays), year.highLines);
}

void PrintTrend(std::FILE* out, const PlanReportHeader& header, const CapacityPlan& plan) {
  if (!plan.trend.fitted) {
    std::fprintf(out, "\nNo projection: %d complete months, at least %d are needed.\n", plan.completeMonths,
                 kMinTrendMonths);
    return;
  }
  const MonthPlan& first = plan.months[static_cast<size_t>(plan.firstComplete)];
  std::fprintf(out, "\nTrend of the %d complete months since %s: %+.3f E a month; projected over %d months with\n"
               "the upper end of the 95%% prediction interval.\n",
               plan.completeMonths, MonthOf(first).c_str(), plan.trend.slope, header.horizonMonths);
}

void PrintBlocked(std::FILE* out, const CapacityPlan& plan) {
  if (plan.blockedCalls == 0) return;
  std::fprintf(out, "\nBlocked: %s calls found every trunk busy (ALL_TRK_BUSY).\n  Months:",
               Thousands(plan.blockedCalls).c_str());
  // Runs of consecutive months with blocked calls, each as "first to last".
  const char* separator = " ";
  for (int32_t i = 0; i < plan.measuredMonths; ++i) {
    if (plan.months[static_cast<size_t>(i)].blockedCalls == 0) continue;
    int32_t last = i;
    while (last + 1 < plan.measuredMonths && plan.months[static_cast<size_t>(last + 1)].blockedCalls > 0) ++last;
    std::fprintf(out, "%s%s", separator, MonthOf(plan.months[static_cast<size_t>(i)]).c_str());
    if (last > i) std::fprintf(out, " to %s", MonthOf(plan.months[static_cast<size_t>(last)]).c_str());
    separator = ", ";
    i = last;
  }
  std::fprintf(out, "\n  Carried traffic understates the demand then: the lines needed are a lower bound.\n");
}

void PrintVerdict(std::FILE* out, const PlanReportHeader& header, const CapacityPlan& plan) {
  const LinesVerdict& verdict = plan.verdict;
  if (verdict.outlook == LinesOutlook::kNotAsked) return;
  std::fprintf(out, "\nWith %d lines installed:\n", verdict.lines);
  std::fprintf(out, "  capacity %s E at %g%% blocking\n", ErlangsText(verdict.capacity).c_str(), header.gradePercent);
  if (verdict.lastComplete >= 0) {
    const MonthPlan& last = plan.months[static_cast<size_t>(verdict.lastComplete)];
    char blocking[32] = {};
    if (verdict.blockingNow < 0.0001) {
      std::snprintf(blocking, sizeof blocking, "below 0.01%%");
    } else {
      std::snprintf(blocking, sizeof blocking, "%.2f%%", verdict.blockingNow * 100.0);
    }
    std::fprintf(out, "  blocking now %s (the load of %s, %s E)\n", blocking, MonthOf(last).c_str(),
                 ErlangsText(last.load).c_str());
  } else {
    std::fprintf(out, "  blocking now: no complete month measured yet\n");
  }
  switch (verdict.outlook) {
    case LinesOutlook::kAlreadyShort: {
      const MonthPlan& last = plan.months[static_cast<size_t>(verdict.lastComplete)];
      std::fprintf(out, "  already too few: %s needed %d lines\n", MonthOf(last).c_str(), last.linesNeeded);
      break;
    }
    case LinesOutlook::kRunsOut: {
      const MonthPlan& month = plan.months[static_cast<size_t>(verdict.runsOutAt)];
      std::fprintf(out, "  runs out by %s: the upper end of its load, %s E, needs %d lines\n", MonthOf(month).c_str(),
                   ErlangsText(month.loadUpper).c_str(), month.linesNeededUpper);
      break;
    }
    case LinesOutlook::kLasts:
      std::fprintf(out, "  enough for the %d months projected, up to the upper end of the interval\n",
                   header.horizonMonths);
      break;
    case LinesOutlook::kNoProjection:
      std::fprintf(out, "  no projection to judge the months ahead by\n");
      break;
    case LinesOutlook::kNotAsked:
      break;
  }
}

}  // namespace

void PrintPlanReport(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
                     const CapacityPlan& plan) {
  if (days.empty()) return;
  PrintHeader(out, header, days, plan);
  PrintMonths(out, header, plan);
  PrintYear(out, days, plan);
  PrintTrend(out, header, plan);
  PrintBlocked(out, plan);
  PrintVerdict(out, header, plan);
}
