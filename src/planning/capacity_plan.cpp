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

// The median of `values` (reordered); 0 for none.
double Median(std::vector<double>& values) {
  if (values.empty()) return 0.0;
  const size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
  const double upper = values[middle];
  if (values.size() % 2 == 1) return upper;
  const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
  return (lower + upper) / 2.0;
}

// The daily peak hours of the measured days among `days`.
std::vector<double> PeakHourLoads(std::span<const DayFigures> days, std::span<const DayLoad> loads) {
  std::vector<double> values;
  values.reserve(days.size());
  for (size_t i = 0; i < days.size(); ++i) {
    if (!days[i].missing) values.push_back(loads[i].peakHour.erlangs);
  }
  return values;
}

// Busy days, the time-consistent busy hour, carried, offered and high load
// of one month's days.
void MeasureMonth(std::span<const DayFigures> days, std::span<DayLoad> loads, const PlanRequest& request,
                  MonthPlan* month) {
  std::vector<double> peaks = PeakHourLoads(days, loads);
  const double half = Median(peaks) / 2.0;
  std::array<double, kClockQuarterHours> sums{};
  std::array<int32_t, kClockQuarterHours> readings{};
  std::array<int64_t, kClockQuarterHours> carried{};
  std::array<int64_t, kClockQuarterHours> blocked{};
  for (size_t i = 0; i < days.size(); ++i) {
    const DayFigures& day = days[i];
    // A day without traffic has no busy hour to speak of, even in a month
    // of mostly such days.
    const double peak = loads[i].peakHour.erlangs;
    if (day.missing || loads[i].peakHour.start < 0 || !(peak > 0.0) || peak < half) continue;
    loads[i].busy = true;
    ++month->busyDays;
    for (int32_t q = 0; q < day.quarters && q < kMaxQuarterHours; ++q) {
      const size_t position = static_cast<size_t>(day.ClockQuarter(q));
      sums[position] += day.traffic[q];
      ++readings[position];
      carried[position] += day.carriedAttempts[q];
      blocked[position] += day.blockedAttempts[q];
    }
  }
  for (size_t p = 0; p < sums.size(); ++p) month->profile[p] = readings[p] > 0 ? sums[p] / readings[p] : 0.0;
  if (month->busyDays > 0) {
    const PeakHour consistent = FindPeakHour(month->profile.data(), kClockQuarterHours);
    month->busyHourStart = consistent.start;
    month->carried = consistent.erlangs;
    int64_t c = 0;
    int64_t b = 0;
    for (int32_t q = consistent.start; q < consistent.start + kQuartersPerHour; ++q) {
      c += carried[static_cast<size_t>(q)];
      b += blocked[static_cast<size_t>(q)];
    }
    month->carriedAttempts = static_cast<int32_t>(c);
    month->blockedAttempts = static_cast<int32_t>(b);
    month->blockedShare = b + c > 0 ? static_cast<double>(b) / static_cast<double>(b + c) : 0.0;
  }
  // 1 − b/(b + c) = c/(b + c).
  const double ratio =
      month->carriedAttempts > 0 && month->blockedAttempts > 0
          ? static_cast<double>(month->carriedAttempts + month->blockedAttempts) / month->carriedAttempts
          : 1.0;
  month->load = month->carried * ratio;
  month->highLoad = MeanOfBusiest(peaks, kHighLoadDays) * ratio;
  const LinesByCriteria lines = LinesForLoads(month->load, request.grade, month->highLoad, request.highGrade);
  month->linesNeeded = lines.lines;
  month->governs = lines.governs;
}

void AddMeasuredMonths(std::span<const DayFigures> days, const PlanRequest& request, CapacityPlan* plan) {
  const int32_t current = MonthCount(request.currentYear, request.currentMonth);
  plan->dayLoads.resize(days.size());
  for (size_t i = 0; i < days.size(); ++i) {
    if (!days[i].missing) plan->dayLoads[i].peakHour = FindPeakHour(days[i].traffic, days[i].quarters);
  }
  size_t first = 0;
  while (first < days.size()) {
    MonthPlan month;
    month.year = days[first].year;
    month.month = days[first].month;
    size_t end = first;
    while (end < days.size() && SameMonth(days[end], month)) {
      month.peakCalls = std::max(month.peakCalls, days[end].peakCalls);
      month.blockedCalls += days[end].blockedCalls;
      month.calls += days[end].calls;
      month.recordsWithoutCalls += days[end].records;
      plan->calls += days[end].calls;
      if (days[end].missing) {
        ++month.missingDays;
      } else {
        ++month.days;
      }
      ++end;
    }
    plan->missingDays += month.missingDays;
    MeasureMonth(days.subspan(first, end - first), std::span<DayLoad>(plan->dayLoads).subspan(first, end - first),
                 request, &month);
    const int32_t given = static_cast<int32_t>(end - first);
    month.absentDays = std::max(0, DaysInMonth(month.year, month.month) - given);
    month.inProgress = MonthCount(month.year, month.month) == current;
    const bool whole = month.days == DaysInMonth(month.year, month.month);
    const bool uncounted = month.calls == 0 && month.recordsWithoutCalls > 0;
    month.kind = whole && !month.inProgress && !uncounted ? MonthKind::kComplete : MonthKind::kPartial;
    plan->blockedCalls += month.blockedCalls;
    plan->months.push_back(month);
    first = end;
  }
  // The current month is shown even before its first day is in.
  if (!plan->months.empty() && MonthCount(plan->months.back().year, plan->months.back().month) + 1 == current) {
    MonthPlan month;
    month.year = request.currentYear;
    month.month = request.currentMonth;
    month.inProgress = true;
    month.absentDays = DaysInMonth(month.year, month.month);
    plan->months.push_back(month);
  }
  plan->measuredMonths = static_cast<int32_t>(plan->months.size());
  for (int32_t i = plan->measuredMonths - 1; i >= 0; --i) {
    if (plan->months[static_cast<size_t>(i)].kind == MonthKind::kComplete) {
      plan->lastComplete = i;
      plan->linesNeededNow = plan->months[static_cast<size_t>(i)].linesNeeded;
      break;
    }
  }
  if (plan->lastComplete >= 0 && !days.empty()) {
    const MonthPlan& last = plan->months[static_cast<size_t>(plan->lastComplete)];
    StaleRecords& stale = plan->staleRecords;
    stale.stale = current - MonthCount(last.year, last.month) > kStaleMonths;
    stale.year = days.back().year;
    stale.month = days.back().month;
    stale.monthsAgo = current - MonthCount(stale.year, stale.month);
  }
}

void AddYearLoads(std::span<const DayFigures> days, const PlanRequest& request, CapacityPlan* plan) {
  if (days.empty()) return;
  const int32_t last = DayNumber(days.back());
  size_t first = days.size();
  while (first > 0 && last - DayNumber(days[first - 1]) < 365) --first;
  YearLoads& year = plan->year;
  year.firstIndex = static_cast<int32_t>(first);
  std::vector<double> loads = PeakHourLoads(days.subspan(first), std::span<const DayLoad>(plan->dayLoads).subspan(first));
  year.days = static_cast<int32_t>(loads.size());
  year.normal = MeanOfBusiest(loads, kNormalLoadDays);
  year.high = MeanOfBusiest(loads, kHighLoadDays);
  year.normalLines = LinesNeeded(year.normal, request.grade);
  year.highLines = LinesNeeded(year.high, request.highGrade);
}

void AddProjection(const PlanRequest& request, CapacityPlan* plan) {
  std::vector<TrendPoint> points;
  std::vector<int32_t> pointMonths;  // the index into months of each point
  int32_t firstCount = 0;
  double ratios = 0.0;
  int32_t rated = 0;
  for (int32_t i = 0; i < plan->measuredMonths; ++i) {
    const MonthPlan& month = plan->months[static_cast<size_t>(i)];
    if (month.kind != MonthKind::kComplete) continue;
    if (plan->firstComplete < 0) {
      plan->firstComplete = i;
      firstCount = MonthCount(month.year, month.month);
    }
    points.push_back({static_cast<double>(MonthCount(month.year, month.month) - firstCount + 1), month.load});
    pointMonths.push_back(i);
    if (month.load > 0.0) {
      ratios += month.highLoad / month.load;
      ++rated;
    }
  }
  plan->completeMonths = static_cast<int32_t>(points.size());
  if (rated > 0) plan->highRatio = ratios / rated;
  plan->forecast = MakeForecast({points, MonthOfMonthCount(firstCount)});
  plan->trend = plan->forecast.line;
  if (!plan->trend.fitted) return;
  plan->trendFrom = pointMonths[points.size() - static_cast<size_t>(plan->trend.points)];
  const int32_t current = MonthCount(request.currentYear, request.currentMonth);
  const MonthPlan& lastMeasured = plan->months[static_cast<size_t>(plan->measuredMonths - 1)];
  const int32_t from = plan->staleRecords.stale ? MonthCount(lastMeasured.year, lastMeasured.month) : current;
  for (int32_t ahead = 1; ahead <= request.horizonMonths; ++ahead) {
    const int32_t count = from + ahead;
    const TrendValue value = ProjectForecast(plan->forecast, static_cast<double>(count - firstCount + 1));
    MonthPlan month;
    month.year = YearOfMonthCount(count);
    month.month = MonthOfMonthCount(count);
    month.kind = MonthKind::kProjected;
    month.load = value.load;
    month.highLoad = value.load * plan->highRatio;
    month.loadUpper = value.upper;
    month.loadLower = LowerEnd(value);
    const LinesByCriteria lines = LinesForLoads(month.load, request.grade, month.highLoad, request.highGrade);
    month.linesNeeded = lines.lines;
    month.governs = lines.governs;
    month.linesNeededUpper =
        LinesForLoads(value.upper, request.grade, value.upper * plan->highRatio, request.highGrade).lines;
    plan->months.push_back(month);
  }
}

void JudgeLines(std::span<const DayFigures> days, const PlanRequest& request, CapacityPlan* plan) {
  LinesVerdict& verdict = plan->verdict;
  if (request.lines <= 0) return;
  verdict.lines = request.lines;
  verdict.capacity = LinesCapacity(request.lines, request.grade);
  verdict.lastComplete = plan->lastComplete;
  if (verdict.lastComplete >= 0) {
    const MonthPlan& last = plan->months[static_cast<size_t>(verdict.lastComplete)];
    verdict.blockingNow = ErlangB(last.load, request.lines);
    for (const DayFigures& day : days) {
      if (day.year == last.year && day.month == last.month && !day.missing && day.peakCalls >= request.lines) {
        ++verdict.saturatedDays;
      }
    }
    if (last.linesNeeded > request.lines) {
      verdict.outlook = LinesOutlook::kAlreadyShort;
      verdict.shortBy = last.linesNeeded - request.lines;
      return;
    }
  }
  if (!plan->trend.fitted) {
    verdict.outlook = LinesOutlook::kNoProjection;
    return;
  }
  verdict.outlook = LinesOutlook::kLasts;
  for (size_t i = static_cast<size_t>(plan->measuredMonths); i < plan->months.size(); ++i) {
    const MonthPlan& month = plan->months[i];
    if (verdict.earliestAt < 0 && month.linesNeededUpper > request.lines) verdict.earliestAt = static_cast<int32_t>(i);
    if (month.linesNeeded > request.lines) {
      verdict.outlook = LinesOutlook::kRunsOut;
      verdict.runsOutAt = static_cast<int32_t>(i);
      return;
    }
  }
}

}  // namespace

LinesByCriteria LinesForLoads(double load, double grade, double highLoad, double highGrade) {
  LinesByCriteria result;
  const int32_t normal = LinesNeeded(load, grade);
  const int32_t high = LinesNeeded(highLoad, highGrade);
  result.lines = std::max(normal, high);
  if (result.lines > 0) result.governs = high > normal ? Criterion::kHighLoad : Criterion::kNormalLoad;
  return result;
}

CapacityPlan MakeCapacityPlan(std::span<const DayFigures> days, const PlanRequest& request) {
  CapacityPlan plan;
  AddMeasuredMonths(days, request, &plan);
  AddYearLoads(days, request, &plan);
  AddProjection(request, &plan);
  JudgeLines(days, request, &plan);
  return plan;
}
