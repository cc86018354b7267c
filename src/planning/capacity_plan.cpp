#include "planning/capacity_plan.h"

#include <algorithm>
#include <cmath>

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

// The offered daily peak hours of the measured days among `days`.
std::vector<double> OfferedPeakHours(std::span<const DayFigures> days, std::span<const DayLoad> loads) {
  std::vector<double> values;
  values.reserve(days.size());
  for (size_t i = 0; i < days.size(); ++i) {
    if (!days[i].missing) values.push_back(loads[i].offered);
  }
  return values;
}

// Carried traffic scaled up by the attempts turned away, c carried and b
// blocked: carried / (1 − b / (b + c)) = carried · (b + c) / c; the carried
// traffic when there is nothing to scale by.
double OfferedTraffic(double carried, int64_t c, int64_t b) {
  return c > 0 && b > 0 ? carried * static_cast<double>(b + c) / static_cast<double>(c) : carried;
}

// The daily peak hour of a measured day, its attempts and offered traffic.
DayLoad MeasureDay(const DayFigures& day) {
  DayLoad load;
  load.peakHour = FindPeakHour(day.traffic, day.quarters);
  if (load.peakHour.start < 0) return load;
  for (int32_t q = load.peakHour.start; q < load.peakHour.start + kQuartersPerHour && q < kMaxQuarterHours; ++q) {
    load.carriedAttempts += day.carriedAttempts[q];
    load.blockedAttempts += day.blockedAttempts[q];
  }
  load.offered = OfferedTraffic(load.peakHour.erlangs, load.carriedAttempts, load.blockedAttempts);
  return load;
}

// How many of a period's highest days a reference load averages: `count`
// of a year, in proportion for a period of fewer measured days, at least 1.
int32_t BusiestDays(int32_t count, int32_t measuredDays) {
  if (measuredDays >= 365) return count;
  const int32_t scaled = static_cast<int32_t>(std::lround(static_cast<double>(count) * measuredDays / 365.0));
  return std::max(1, scaled);
}

// The reference loads of the 365 days ending with days[last], and their
// lines; none for `last` < 0.
YearLoads ReferenceLoadsEndingAt(std::span<const DayFigures> days, std::span<const DayLoad> loads, int32_t last,
                                 const PlanRequest& request) {
  YearLoads year;
  if (last < 0) return year;
  const int32_t end = DayNumber(days[static_cast<size_t>(last)]);
  int32_t first = last;
  while (first > 0 && end - DayNumber(days[static_cast<size_t>(first - 1)]) < 365) --first;
  year.firstIndex = first;
  year.lastIndex = last;
  const size_t count = static_cast<size_t>(last - first + 1);
  std::vector<double> offered =
      OfferedPeakHours(days.subspan(static_cast<size_t>(first), count), loads.subspan(static_cast<size_t>(first), count));
  year.days = static_cast<int32_t>(offered.size());
  if (year.days == 0) return year;
  year.normalDays = BusiestDays(kNormalLoadDays, year.days);
  year.highDays = BusiestDays(kHighLoadDays, year.days);
  year.normal = MeanOfBusiest(offered, year.normalDays);
  year.high = MeanOfBusiest(offered, year.highDays);
  year.normalLines = LinesNeeded(year.normal, request.grade);
  year.highLines = LinesNeeded(year.high, request.highGrade);
  const LinesByCriteria lines = LinesForLoads(year.normal, request.grade, year.high, request.highGrade);
  year.lines = lines.lines;
  year.governs = lines.governs;
  return year;
}

// The attempts of the year ending yesterday replayed through `lines`;
// nothing without such a year.
PeriodReplay ReplayOfYear(std::span<const DayFigures> days, const CapacityPlan& plan, int32_t lines,
                          const PlanRequest& request) {
  const YearLoads& year = plan.year;
  if (year.lastIndex < 0 || lines <= 0) return {};
  const size_t first = static_cast<size_t>(year.firstIndex);
  const size_t count = static_cast<size_t>(year.lastIndex - year.firstIndex + 1);
  std::vector<double> offered(count);
  for (size_t i = 0; i < count; ++i) offered[i] = plan.dayLoads[first + i].offered;
  PeriodReplay replay = ReplayOfPeriod(days.subspan(first, count), offered, year.normalDays, lines, request.grade);
  if (replay.worstIndex >= 0) replay.worstIndex += static_cast<int32_t>(first);
  return replay;
}

// Whether a day given lies before today.
bool BeforeToday(const DayFigures& day, const PlanRequest& request) {
  if (request.currentDay <= 0) return true;
  return DateToEpochUtc(day.year, day.month, day.day) <
         DateToEpochUtc(request.currentYear, request.currentMonth, request.currentDay);
}

bool IsWeekend(const DayFigures& day) {
  const int64_t weekday = (DateToEpochUtc(day.year, day.month, day.day) / 86400 + 4) % 7;  // 0 Sunday
  return weekday == 0 || weekday == 6;
}

// Whether `day` is a working day under `rule` (kWeekdays or kAll).
bool IsWorkingDay(const DayFigures& day, BusyDaysRule rule) { return rule == BusyDaysRule::kAll || !IsWeekend(day); }

// Which days are working days: the request's rule, or for kAuto every day
// when the weekend days' median daily peak hour reaches kSevenDayShare of
// the weekdays'.
void ChooseWorkingDays(std::span<const DayFigures> days, const PlanRequest& request, CapacityPlan* plan) {
  std::vector<double> weekdays, weekends;
  for (size_t i = 0; i < days.size(); ++i) {
    const double peak = plan->dayLoads[i].peakHour.erlangs;
    if (days[i].missing || !(peak > 0.0)) continue;
    (IsWeekend(days[i]) ? weekends : weekdays).push_back(peak);
  }
  const double weekday = Median(weekdays);
  const double weekend = Median(weekends);
  plan->weekendShare = weekday > 0.0 && weekend > 0.0 ? weekend / weekday : 0.0;
  plan->workingDaysGiven = request.busyDays != BusyDaysRule::kAuto;
  if (plan->workingDaysGiven) {
    plan->workingDays = request.busyDays;
  } else {
    plan->workingDays = weekday > 0.0 && plan->weekendShare < kSevenDayShare ? BusyDaysRule::kWeekdays
                                                                             : BusyDaysRule::kAll;
  }
}

// Busy days, the time-consistent busy hour, carried, offered and high load
// of one month's days.
void MeasureMonth(std::span<const DayFigures> days, std::span<DayLoad> loads, BusyDaysRule workingDays,
                  MonthPlan* month) {
  std::vector<double> peaks;
  for (size_t i = 0; i < days.size(); ++i) {
    if (!days[i].missing && IsWorkingDay(days[i], workingDays)) peaks.push_back(loads[i].peakHour.erlangs);
  }
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
    if (day.missing || !IsWorkingDay(day, workingDays) || loads[i].peakHour.start < 0 || !(peak > 0.0) ||
        peak < half) {
      continue;
    }
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
  month->highLoad = MeanOfBusiest(OfferedPeakHours(days, loads), kHighLoadDays);
}

void AddMeasuredMonths(std::span<const DayFigures> days, const PlanRequest& request, CapacityPlan* plan) {
  const int32_t current = MonthCount(request.currentYear, request.currentMonth);
  plan->dayLoads.resize(days.size());
  for (size_t i = 0; i < days.size(); ++i) {
    if (!days[i].missing) plan->dayLoads[i] = MeasureDay(days[i]);
  }
  ChooseWorkingDays(days, request, plan);
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
                 plan->workingDays, &month);
    // The lines of the year ending with the month's last day before today.
    int32_t last = static_cast<int32_t>(end) - 1;
    while (last >= static_cast<int32_t>(first) && !BeforeToday(days[static_cast<size_t>(last)], request)) --last;
    if (last >= static_cast<int32_t>(first)) {
      const YearLoads reference = ReferenceLoadsEndingAt(days, plan->dayLoads, last, request);
      month.linesNeeded = reference.lines;
      month.governs = reference.governs;
    }
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
  int32_t yesterday = static_cast<int32_t>(days.size()) - 1;
  while (yesterday >= 0 && !BeforeToday(days[static_cast<size_t>(yesterday)], request)) --yesterday;
  plan->year = ReferenceLoadsEndingAt(days, plan->dayLoads, yesterday, request);
  plan->linesNeededNow = plan->year.lines;
  plan->replayNeeded = ReplayOfYear(days, *plan, plan->linesNeededNow, request);
}

void AddProjection(std::span<const DayFigures> days, const PlanRequest& request, CapacityPlan* plan) {
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
  // The reference loads now against the highest complete month of their
  // year: how far a year's busiest days stand above its busiest month.
  const YearLoads& year = plan->year;
  double highestMonth = 0.0;
  for (int32_t i = 0; i < plan->measuredMonths && year.lastIndex >= 0; ++i) {
    const MonthPlan& month = plan->months[static_cast<size_t>(i)];
    const int32_t count = MonthCount(month.year, month.month);
    const DayFigures& from = days[static_cast<size_t>(year.firstIndex)];
    const DayFigures& to = days[static_cast<size_t>(year.lastIndex)];
    if (month.kind == MonthKind::kComplete && count >= MonthCount(from.year, from.month) &&
        count <= MonthCount(to.year, to.month)) {
      highestMonth = std::max(highestMonth, month.load);
    }
  }
  if (highestMonth > 0.0) {
    plan->normalSpread = year.normal / highestMonth;
    plan->highSpread = year.high / highestMonth;
  }
  const LoadChanges changes = FindLoadChanges(points);
  if (changes.stepAt >= 0) {
    plan->stepMonth = pointMonths[static_cast<size_t>(changes.stepAt)];
    plan->stepRatio = changes.stepRatio;
  }
  for (size_t j = 0; j < changes.oneOffs.size(); ++j) {
    plan->oneOffMonths.push_back(pointMonths[static_cast<size_t>(changes.oneOffs[j])]);
    plan->oneOffRatios.push_back(changes.oneOffRatios[j]);
  }
  const std::vector<TrendPoint> adjusted = WithoutChanges(points, changes);
  plan->forecast = MakeForecast({adjusted, MonthOfMonthCount(firstCount)});
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
    // The busiest month of the year ending with this one sets its
    // reference loads, at the spread seen now.
    double highest = month.load;
    double highestUpper = month.loadUpper;
    for (size_t i = plan->months.size(); i > 0 && plan->months.size() - i < 11; --i) {
      const MonthPlan& before = plan->months[i - 1];
      if (MonthCount(before.year, before.month) <= count - 12) break;
      if (before.kind == MonthKind::kPartial) continue;
      highest = std::max(highest, before.load);
      highestUpper = std::max(highestUpper, before.kind == MonthKind::kProjected ? before.loadUpper : before.load);
    }
    const LinesByCriteria lines = LinesForLoads(highest * plan->normalSpread, request.grade,
                                                highest * plan->highSpread, request.highGrade);
    month.linesNeeded = lines.lines;
    month.governs = lines.governs;
    month.linesNeededUpper = LinesForLoads(highestUpper * plan->normalSpread, request.grade,
                                           highestUpper * plan->highSpread, request.highGrade)
                                 .lines;
    plan->months.push_back(month);
  }
}

void JudgeLines(std::span<const DayFigures> days, const PlanRequest& request, CapacityPlan* plan) {
  LinesVerdict& verdict = plan->verdict;
  if (request.lines <= 0) return;
  verdict.lines = request.lines;
  verdict.capacity = LinesCapacity(request.lines, request.grade);
  verdict.highCapacity = LinesCapacity(request.lines, request.highGrade);
  verdict.lastComplete = plan->lastComplete;
  const YearLoads& year = plan->year;
  if (year.lastIndex >= 0) {
    verdict.blockingNow = ErlangB(year.normal, request.lines);
    verdict.replay = ReplayOfYear(days, *plan, request.lines, request);
    for (int32_t i = year.firstIndex; i <= year.lastIndex; ++i) {
      const DayFigures& day = days[static_cast<size_t>(i)];
      if (!day.missing) verdict.peakCallsNow = std::max(verdict.peakCallsNow, day.peakCalls);
    }
  }
  if (verdict.lastComplete >= 0) {
    const MonthPlan& last = plan->months[static_cast<size_t>(verdict.lastComplete)];
    for (const DayFigures& day : days) {
      if (day.year == last.year && day.month == last.month && !day.missing && day.peakCalls >= request.lines) {
        ++verdict.saturatedDays;
      }
    }
  }
  if (plan->linesNeededNow > request.lines) {
    verdict.outlook = LinesOutlook::kAlreadyShort;
    verdict.shortBy = plan->linesNeededNow - request.lines;
    for (int32_t i = plan->measuredMonths - 1; i >= 0; --i) {
      const MonthPlan& month = plan->months[static_cast<size_t>(i)];
      if (month.linesNeeded == 0 && month.inProgress) continue;  // no day of it before today
      if (month.linesNeeded <= request.lines) break;
      verdict.shortSince = i;
    }
    return;
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
  AddProjection(days, request, &plan);
  JudgeLines(days, request, &plan);
  return plan;
}
