#include "report/plan_report.h"

#include <algorithm>

#include "analysis/format_thousands.h"
#include "planning/reference_loads.h"
#include "report/plan_csv.h"
#include "report/plan_formats.h"

namespace {

constexpr char kTableHeader[] =
    "Month    Kind       Days  Busy  Busy hour  Carried (E)  Blocked  Offered (E)  High (E)  Upper (E)  Peak calls"
    "  Lines  Lines (upper)  Partial because\n";
constexpr char kMeasuredRow[] = "%-7s  %-9s  %4d  %4d  %-9s  %11s  %7s  %11s  %8s  %9s  %10d  %5d%s\n";
constexpr char kProjectedRow[] = "%-7s  %-9s  %4s  %4s  %-9s  %11s  %7s  %11s  %8s  %9s  %10s  %5d  %13d\n";

std::string Thousands(int32_t value) {
  char text[kThousandsTextMax] = {};
  return FormatThousands(value, text);
}

std::string MonthOf(const MonthPlan& month) { return MonthText(month.year, month.month, '/'); }

std::string Percent(double share) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "%.1f%%", share * 100.0);
  return text;
}

const char* CriterionName(Criterion criterion) {
  return criterion == Criterion::kHighLoad ? "high load" : "normal load";
}

void PrintHeader(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
                 const CapacityPlan& plan) {
  std::fprintf(out, "Capacity plan for data source \"%s\"\n", header.dataSource.c_str());
  // Rows the day statements returned: a call between two counted ends (two
  // trunks, say) is two records, as it holds two lines.
  std::fprintf(out,
               "%s from %s to %s: %d days, %s call records read; grade of service %g%% blocking (%g%% at high "
               "load)\n",
               header.callsCounted.c_str(), DateText(days.front()).c_str(), DateText(days.back()).c_str(),
               static_cast<int>(days.size()), Thousands(plan.calls).c_str(), header.gradePercent,
               header.highGradePercent);
  if (plan.missingDays > 0) {
    std::fprintf(out, "%d days had no call records and count as missing\n", static_cast<int>(plan.missingDays));
  }
}

// The answer first: the lines needed now and how the installed ones stand.
void PrintAnswer(std::FILE* out, const PlanReportHeader& header, const CapacityPlan& plan) {
  std::fprintf(out, "\n");
  if (plan.lastComplete < 0) {
    std::fprintf(out, "Lines needed now: unknown, no complete month measured yet\n");
  } else {
    const MonthPlan& last = plan.months[static_cast<size_t>(plan.lastComplete)];
    const bool high = last.governs == Criterion::kHighLoad;
    std::fprintf(out, "Lines needed now: %d (%s, set by the %s: %s E at %g%% blocking; offered load %s E)\n",
                 plan.linesNeededNow, MonthOf(last).c_str(), CriterionName(last.governs),
                 ErlangsText(high ? last.highLoad : last.load).c_str(),
                 high ? header.highGradePercent : header.gradePercent, ErlangsText(last.load).c_str());
  }
  const LinesVerdict& verdict = plan.verdict;
  if (verdict.outlook == LinesOutlook::kNotAsked) return;
  std::fprintf(out, "With %d lines installed:\n", verdict.lines);
  std::fprintf(out, "  capacity %s E at %g%% blocking\n", ErlangsText(verdict.capacity).c_str(), header.gradePercent);
  if (verdict.lastComplete >= 0) {
    const MonthPlan& last = plan.months[static_cast<size_t>(verdict.lastComplete)];
    char blocking[32] = {};
    if (verdict.blockingNow < 0.0001) {
      std::snprintf(blocking, sizeof blocking, "below 0.01%%");
    } else {
      std::snprintf(blocking, sizeof blocking, "%.2f%%", verdict.blockingNow * 100.0);
    }
    std::fprintf(out, "  blocking now %s (the offered load of %s, %s E)\n", blocking, MonthOf(last).c_str(),
                 ErlangsText(last.load).c_str());
  }
  switch (verdict.outlook) {
    case LinesOutlook::kAlreadyShort:
      std::fprintf(out, "  already short by %d lines\n", verdict.shortBy);
      break;
    case LinesOutlook::kRunsOut: {
      const MonthPlan& month = plan.months[static_cast<size_t>(verdict.runsOutAt)];
      std::fprintf(out, "  runs out in %s (the trend's %s E needs %d lines)", MonthOf(month).c_str(),
                   ErlangsText(month.load).c_str(), month.linesNeeded);
      if (verdict.earliestAt >= 0) {
        std::fprintf(out, ", as early as %s (the upper end of the 95%% interval)",
                     MonthOf(plan.months[static_cast<size_t>(verdict.earliestAt)]).c_str());
      }
      std::fprintf(out, "\n");
      break;
    }
    case LinesOutlook::kLasts:
      std::fprintf(out, "  lasts beyond %s", MonthOf(plan.months.back()).c_str());
      if (verdict.earliestAt >= 0) {
        std::fprintf(out, ", but may run out as early as %s (the upper end of the 95%% interval)",
                     MonthOf(plan.months[static_cast<size_t>(verdict.earliestAt)]).c_str());
      }
      std::fprintf(out, "\n");
      break;
    case LinesOutlook::kNoProjection:
      std::fprintf(out, "  no projection to judge the months ahead by: %d complete months, at least %d are needed\n",
                   plan.completeMonths, kMinTrendMonths);
      break;
    case LinesOutlook::kNotAsked:
      break;
  }
  if (verdict.lastComplete < 0) return;
  const MonthPlan& last = plan.months[static_cast<size_t>(verdict.lastComplete)];
  if (verdict.saturatedDays > 0) {
    std::fprintf(out, "  peak calls reached all %d lines on %d days of %s; carried traffic is capped there\n",
                 verdict.lines, verdict.saturatedDays, MonthOf(last).c_str());
  }
  if (last.blockedAttempts > 0) {
    std::fprintf(out, "  %s of the attempts in the busy hour of %s found every line busy (%s of %s)\n",
                 Percent(last.blockedShare).c_str(), MonthOf(last).c_str(), Thousands(last.blockedAttempts).c_str(),
                 Thousands(last.blockedAttempts + last.carriedAttempts).c_str());
  }
}

std::string PartialBecause(const MonthPlan& month) {
  if (month.kind != MonthKind::kPartial) return "";
  // Set under its heading, past the empty upper column.
  std::string reasons;
  auto add = [&reasons](const std::string& reason) { reasons += (reasons.empty() ? "" : ", ") + reason; };
  if (month.inProgress) add("in progress");
  if (month.missingDays > 0) add(std::to_string(month.missingDays) + " days missing");
  if (month.absentDays > 0 && !month.inProgress) add(std::to_string(month.absentDays) + " days before the records");
  return reasons.empty() ? reasons : std::string(17, ' ') + reasons;
}

void PrintMonths(std::FILE* out, const PlanReportHeader& header, const CapacityPlan& plan) {
  std::fprintf(out, "\n%s", kTableHeader);
  for (const MonthPlan& month : plan.months) {
    if (month.kind == MonthKind::kProjected) {
      std::fprintf(out, kProjectedRow, MonthOf(month).c_str(), MonthKindName(month.kind), "", "", "", "", "",
                   ErlangsText(month.load).c_str(), ErlangsText(month.highLoad).c_str(),
                   ErlangsText(month.loadUpper).c_str(), "", month.linesNeeded, month.linesNeededUpper);
    } else {
      const bool measured = month.busyDays > 0;
      std::fprintf(out, kMeasuredRow, MonthOf(month).c_str(), MonthKindName(month.kind), month.days, month.busyDays,
                   QuarterHourText(month.busyHourStart).c_str(), measured ? ErlangsText(month.carried).c_str() : "",
                   measured ? Percent(month.blockedShare).c_str() : "", measured ? ErlangsText(month.load).c_str() : "",
                   measured ? ErlangsText(month.highLoad).c_str() : "", "", month.peakCalls, month.linesNeeded,
                   PartialBecause(month).c_str());
    }
  }
  std::fprintf(out,
               "Carried: the mean traffic of the month's time-consistent busy hour over its busy days (ITU-T E.500);\n"
               "offered: carried scaled up by the attempts of that hour that found every line busy (E.501);\n"
               "high: the mean of the %d highest daily peak hours, scaled alike; lines by Erlang B for the\n"
               "offered load at %g%% and the high load at %g%% blocking, the more of the two (E.520).\n",
               kHighLoadDays, header.gradePercent, header.highGradePercent);
}

void PrintYear(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
               const CapacityPlan& plan) {
  const YearLoads& year = plan.year;
  std::fprintf(out, "\nReference loads (ITU-T E.500) over the %d days from %s to %s:\n", year.days,
               DateText(days[static_cast<size_t>(year.firstIndex)]).c_str(), DateText(days.back()).c_str());
  std::fprintf(out, "  normal load %s E, mean of the %d highest daily peak hours: %d lines at %g%%\n",
               ErlangsText(year.normal).c_str(), std::min(year.days, kNormalLoadDays), year.normalLines,
               header.gradePercent);
  std::fprintf(out, "  high load   %s E, mean of the %d highest daily peak hours: %d lines at %g%%\n",
               ErlangsText(year.high).c_str(), std::min(year.days, kHighLoadDays), year.highLines,
               header.highGradePercent);
}

void PrintTrend(std::FILE* out, const PlanReportHeader& header, const CapacityPlan& plan) {
  if (!plan.trend.fitted) {
    std::fprintf(out, "\nNo projection: %d complete months, at least %d are needed.\n", plan.completeMonths,
                 kMinTrendMonths);
    return;
  }
  const MonthPlan& first = plan.months[static_cast<size_t>(plan.firstComplete)];
  std::fprintf(out,
               "\nTrend of the offered load of the %d complete months since %s: %+.3f E a month; projected over %d\n"
               "months with the upper end of the 95%% prediction interval, the high load at %.3f times the load.\n",
               plan.completeMonths, MonthOf(first).c_str(), plan.trend.slope, header.horizonMonths, plan.highRatio);
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
  std::fprintf(out, "\n  The offered load counts those of the busy hour; calls refused before they reach the phone\n"
                    "  system leave no record and are in no figure.\n");
}

}  // namespace

void PrintPlanReport(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
                     const CapacityPlan& plan) {
  if (days.empty()) return;
  PrintHeader(out, header, days, plan);
  PrintAnswer(out, header, plan);
  PrintMonths(out, header, plan);
  PrintYear(out, header, days, plan);
  PrintTrend(out, header, plan);
  PrintBlocked(out, plan);
}
