#include "planning/capacity_plan.h"

#include <algorithm>

#include "planning/erlang_b.h"
#include "planning/reference_loads.h"
#include "timeutil/calendar_months.h"
#include "timeutil/time_conversions.h"

namespace {

int32_t DayNumber(const DayFigures& day) { return DateToEpochUtc(day.year, day.month, day.day) / 86400; }

bool SameMonth(const DayFigures& day, const MonthPlan& month) {
  return day.year == month.year && day.month == month.month;
}

// The busy-hour loads of the days measured: a missing day has none.
std::vector<double> BusyHourLoads(std::span<const DayFigures> days) {
  std::vector<double> loads;
  loads.reserve(days.size());
  for (const DayFigures& day : days) {
    if (!day.missing) loads.push_back(day.busyHourErlangs);
  }
  return loads;
}

void AddMeasuredMonths(std::span<const DayFigures> days, const PlanRequest& request, CapacityPlan* plan) {
  const int32_t current = MonthCount(request.currentYear, request.currentMonth);
  size_t first = 0;
  while (first < days.size()) {
    MonthPlan month;
    month.year = days[first].year;
    month.month = days[first].month;
    size_t end = first;
    while (end < days.size() && SameMonth(days[end], month)) {
      month.peakCalls = std::max(month.peakCalls, days[end].peakCalls);
      month.blockedCalls += days[end].blockedCalls;
      plan->calls += days[end].calls;
      if (days[end].missing) {
        ++plan->missingDays;
      } else {
        ++month.days;
      }
      ++end;
    }
    std::vector<double> loads = BusyHourLoads(days.subspan(first, end - first));
    month.load = MeanOfBusiest(loads, kHighLoadDays);
    month.linesNeeded = LinesNeeded(month.load, request.grade);
    const bool whole = month.days == DaysInMonth(month.year, month.month);
    month.kind = whole && MonthCount(month.year, month.month) != current ? MonthKind::kComplete : MonthKind::kPartial;
    plan->blockedCalls += month.blockedCalls;
    plan->months.push_back(month);
    first = end;
  }
  plan->measuredMonths = static_cast<int32_t>(plan->months.size());
}

void AddYearLoads(std::span<const DayFigures> days, double grade, CapacityPlan* plan) {
  if (days.empty()) return;
  const int32_t last = DayNumber(days.back());
  size_t first = days.size();
  while (first > 0 && last - DayNumber(days[first - 1]) < 365) --first;
  YearLoads& year = plan->year;
  year.firstIndex = static_cast<int32_t>(first);
  std::vector<double> loads = BusyHourLoads(days.subspan(first));
  year.days = static_cast<int32_t>(loads.size());
  year.normal = MeanOfBusiest(loads, kNormalLoadDays);
  year.high = MeanOfBusiest(loads, kHighLoadDays);
  year.normalLines = LinesNeeded(year.normal, grade);
  year.highLines = LinesNeeded(year.high, grade);
}

void AddProjection(const PlanRequest& request, CapacityPlan* plan) {
  std::vector<TrendPoint> points;
  int32_t firstCount = 0;
  for (int32_t i = 0; i < plan->measuredMonths; ++i) {
    const MonthPlan& month = plan->months[static_cast<size_t>(i)];
    if (month.kind != MonthKind::kComplete) continue;
    if (plan->firstComplete < 0) {
      plan->firstComplete = i;
      firstCount = MonthCount(month.year, month.month);
    }
    points.push_back({static_cast<double>(MonthCount(month.year, month.month) - firstCount + 1), month.load});
  }
  plan->completeMonths = static_cast<int32_t>(points.size());
  plan->trend = FitTrend(points);
  if (!plan->trend.fitted) return;
  const int32_t current = MonthCount(request.currentYear, request.currentMonth);
  for (int32_t ahead = 1; ahead <= request.horizonMonths; ++ahead) {
    const int32_t count = current + ahead;
    const TrendValue value = ProjectTrend(plan->trend, static_cast<double>(count - firstCount + 1));
    MonthPlan month;
    month.year = YearOfMonthCount(count);
    month.month = MonthOfMonthCount(count);
    month.kind = MonthKind::kProjected;
    month.load = value.load;
    month.loadUpper = value.upper;
    month.linesNeeded = LinesNeeded(value.load, request.grade);
    month.linesNeededUpper = LinesNeeded(value.upper, request.grade);
    plan->months.push_back(month);
  }
}

void JudgeLines(const PlanRequest& request, CapacityPlan* plan) {
  LinesVerdict& verdict = plan->verdict;
  if (request.lines <= 0) return;
  verdict.lines = request.lines;
  verdict.capacity = LinesCapacity(request.lines, request.grade);
  for (int32_t i = plan->measuredMonths - 1; i >= 0; --i) {
    if (plan->months[static_cast<size_t>(i)].kind == MonthKind::kComplete) {
      verdict.lastComplete = i;
      break;
    }
  }
  if (verdict.lastComplete >= 0) {
    const MonthPlan& last = plan->months[static_cast<size_t>(verdict.lastComplete)];
    verdict.blockingNow = ErlangB(last.load, request.lines);
    if (last.linesNeeded > request.lines) {
      verdict.outlook = LinesOutlook::kAlreadyShort;
      return;
    }
  }
  if (!plan->trend.fitted) {
    verdict.outlook = LinesOutlook::kNoProjection;
    return;
  }
  verdict.outlook = LinesOutlook::kLasts;
  for (size_t i = static_cast<size_t>(plan->measuredMonths); i < plan->months.size(); ++i) {
    if (plan->months[i].linesNeededUpper > request.lines) {
      verdict.outlook = LinesOutlook::kRunsOut;
      verdict.runsOutAt = static_cast<int32_t>(i);
      return;
    }
  }
}

}  // namespace

CapacityPlan MakeCapacityPlan(std::span<const DayFigures> days, const PlanRequest& request) {
  CapacityPlan plan;
  AddMeasuredMonths(days, request, &plan);
  AddYearLoads(days, request.grade, &plan);
  AddProjection(request, &plan);
  JudgeLines(request, &plan);
  return plan;
}
