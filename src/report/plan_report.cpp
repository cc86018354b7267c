#include "report/plan_report.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>

#include "planning/reference_loads.h"
#include "platform/text.h"
#include "report/plan_csv.h"
#include "report/group_summary.h"
#include "report/plan_formats.h"

namespace {

constexpr char kTableHeader[] =
    "Month    Kind       Days  Busy  Busy hour  Carried (E)  Blocked  Offered (E)  High (E)  Upper (E)  Peak calls"
    "  Lines  Lines (upper)  Partial because\n";
constexpr char kMeasuredRow[] = "%-7s  %-9s  %4s  %4s  %-9s  %11s  %7s  %11s  %8s  %9s  %10s  %5s%s\n";
constexpr char kProjectedRow[] = "%-7s  %-9s  %4s  %4s  %-9s  %11s  %7s  %11s  %8s  %9s  %10s  %5s  %13s\n";

std::string Thousands(int32_t value) { return CountText(value); }

std::string MonthOf(const MonthPlan& month) { return MonthText(month.year, month.month, '/'); }

std::string Percent(double share) { return PercentText(share); }

std::string Grade(double percent) { return GradeText(percent); }

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[512] = {};
  va_list args;
  va_start(args, format);
  FormatBoundedV(text, sizeof text, format, args);
  va_end(args);
  return text;
}

const char* CriterionName(Criterion criterion) {
  return criterion == Criterion::kHighLoad ? "high load" : "normal load";
}

// The missing days and stale records, each on a line of its own.
void PrintRecordNotes(std::FILE* out, const CapacityPlan& plan) {
  for (const std::string& note : {MissingDaysText(plan), StaleRecordsText(plan)}) {
    if (!note.empty()) std::fprintf(out, "%s\n", note.c_str());
  }
}

void PrintHeader(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
                 const CapacityPlan& plan) {
  std::fprintf(out, "Capacity plan for data source \"%s\"\n", header.dataSource.c_str());
  std::fprintf(out, "%s; grade of service %s blocking (%s at high load)\n", PlanPeriodText(header, days, plan).c_str(),
               Grade(header.gradePercent).c_str(), Grade(header.highGradePercent).c_str());
  PrintRecordNotes(out, plan);
}

// How the report names each model.
const char* ModelTitle(ForecastModel model) {
  switch (model) {
    case ForecastModel::kLine: return "linear trend";
    case ForecastModel::kSeasonal: return "trend of growth by a share with 12 monthly season factors";
    case ForecastModel::kHoltWinters: return "Holt-Winters on the logarithms with a damped trend";
  }
  return "";
}

}  // namespace

std::string BusyDaysText(const CapacityPlan& plan) {
  std::string text = plan.workingDays == BusyDaysRule::kAll ? "Busy days: every day of the week"
                                                            : "Busy days: Monday to Friday";
  text += ", less those whose peak hour is under half the median of their month's";
  if (plan.workingDaysGiven) return text + " (as --busy-days says)";
  if (plan.weekendShare <= 0.0) return text;
  const std::string share = Format("%.0f%%", plan.weekendShare * 100.0);
  if (plan.workingDays == BusyDaysRule::kAll) {
    return text + " (a seven-day operation: the weekend days' median peak hour is " + share + " of the weekdays')";
  }
  return text + " (the weekend days' median peak hour is " + share + " of the weekdays')";
}

std::string PlanPeriodText(const PlanReportHeader& header, std::span<const DayFigures> days, const CapacityPlan& plan) {
  // Rows the day statements returned: a call between two counted ends (two
  // trunks, say) is two records, as it holds two lines.
  return header.callsCounted + " from " + DateText(days.front()) + " to " + DateText(days.back()) + ": " +
         std::to_string(days.size()) + " days, " + Thousands(plan.calls) + " call records read";
}

std::string MissingDaysText(const CapacityPlan& plan) {
  if (plan.missingDays <= 0) return "";
  return CountOf(plan.missingDays, "day had", "days had") + " no call records and " +
         (plan.missingDays == 1 ? "counts" : "count") + " as missing";
}

std::string StaleRecordsText(const CapacityPlan& plan) {
  const StaleRecords& stale = plan.staleRecords;
  if (!stale.stale) return "";
  return Format("the records end in %s, %d months ago: the projection starts from there",
                MonthText(stale.year, stale.month, '/').c_str(), stale.monthsAgo);
}

std::vector<std::string> PlanProjectionLines(const PlanReportHeader& header, const CapacityPlan& plan) {
  std::vector<std::string> lines;
  if (!plan.trend.fitted) {
    lines.push_back(Format("No projection: %s, at least %d are needed.",
                           CountOf(plan.completeMonths, "complete month", "complete months").c_str(), kMinTrendMonths));
    return lines;
  }
  const Forecast& forecast = plan.forecast;
  if (forecast.model == ForecastModel::kLine) {
    const MonthPlan& first = plan.months[static_cast<size_t>(plan.trendFrom)];
    lines.push_back(Format(
        "Trend of the offered load of the %d complete months since %s: %+.3f E a month; projected over %d\n"
        "months with the upper end of the 95%% prediction interval, the high load at %.3f times the load.",
        plan.trend.points, MonthOf(first).c_str(), plan.trend.slope, header.horizonMonths, plan.highRatio));
  } else {
    // The growth the chosen model projects: the same calendar month a year
    // apart, so that the season drops out.
    const double next = ProjectForecast(forecast, forecast.lastK + 1).load;
    const double yearOn = ProjectForecast(forecast, forecast.lastK + 13).load;
    const MonthPlan& first = plan.months[static_cast<size_t>(plan.firstComplete)];
    lines.push_back(Format(
        "Growth of the offered load of the %d complete months since %s: %+.1f%% a year by the %s; projected\n"
        "over %d months with the upper end of the 95%% interval, the high load at %.3f times the load.",
        forecast.points, MonthOf(first).c_str(), next > 0.0 ? (yearOn / next - 1.0) * 100.0 : 0.0,
        ModelTitle(forecast.model), header.horizonMonths, plan.highRatio));
  }
  if (plan.stepMonth >= 0) {
    lines.push_back(Format("Taken out of the forecast: the step of %+.0f%% from %s (a new level, not growth).",
                           (plan.stepRatio - 1.0) * 100.0,
                           MonthOf(plan.months[static_cast<size_t>(plan.stepMonth)]).c_str()));
  }
  for (size_t j = 0; j < plan.oneOffMonths.size(); ++j) {
    lines.push_back(Format("Taken out of the forecast: %s, which stands apart from the months around it (%+.0f%%).",
                           MonthOf(plan.months[static_cast<size_t>(plan.oneOffMonths[j])]).c_str(),
                           (plan.oneOffRatios[j] - 1.0) * 100.0));
  }
  const ModelRecord& chosen = forecast.records[static_cast<size_t>(forecast.model)];
  if (chosen.judged) {
    lines.push_back(Format("Model: %s, %.1f%% mean absolute percentage error forecasting the last %d complete months "
                           "1 to %d months\nahead (%d forecasts)",
                           ModelTitle(forecast.model), chosen.error * 100.0, kBacktestMonths, kBacktestMonths,
                           chosen.forecasts));
  } else {
    lines.push_back(Format("Model: %s, without a track record: %d complete months are too few to forecast the last %d "
                           "from",
                           ModelTitle(forecast.model), plan.completeMonths, kBacktestMonths));
  }
  for (ForecastModel model : {ForecastModel::kLine, ForecastModel::kSeasonal, ForecastModel::kHoltWinters}) {
    const ModelRecord& record = forecast.records[static_cast<size_t>(model)];
    const bool seasonsOut = plan.completeMonths < kMinSeasonalMonths || !forecast.season.shown;
    if (model == forecast.model || (!record.judged && seasonsOut)) continue;
    if (record.judged) {
      lines.push_back(Format("  %s: %.1f%%", ModelTitle(model), record.error * 100.0));
    } else {
      lines.push_back(Format("  %s: no track record, it needs %d complete months before the months it is checked on",
                             ModelTitle(model), kMinSeasonalMonths));
    }
  }
  if (plan.completeMonths < kMinSeasonalMonths) {
    lines.push_back(Format("Seasons need %d complete months of records, there are %d: the line is used.",
                           kMinSeasonalMonths, plan.completeMonths));
  } else if (!forecast.season.tested) {
    lines.push_back("Seasons need a load above 0 in every complete month: the line is used.");
  } else if (!forecast.season.shown) {
    lines.push_back(Format("No season shows in the loads (month effects: F = %.2f, %.2f at the %.1f%% level): the line is "
                           "used.",
                           forecast.season.f, forecast.season.critical, kSeasonTestLevel * 100.0));
  } else if (forecast.model != ForecastModel::kLine) {
    lines.push_back(
        "Its 95% interval: the spread of its errors at each horizon, at least the prediction interval of\n"
        "the line through the seasonally adjusted loads.");
  }
  return lines;
}

// "the 365 days to 2026-12-08", and for a shorter period the days its
// loads average.
std::string ReferencePeriodText(std::span<const DayFigures> days, const YearLoads& year) {
  std::string text = "the " + CountOf(year.days, "day", "days") + " to " +
                     DateText(days[static_cast<size_t>(year.lastIndex)]);
  if (year.days < 365) {
    text += Format(" (less than a year: the means of the %d and the %d highest)", year.normalDays, year.highDays);
  }
  return text;
}

// The replay's line for `replay`, nothing when no attempt was replayed.
void AddReplayLine(const PlanReportHeader& header, std::span<const DayFigures> days, const YearLoads& year,
                   const PeriodReplay& replay, std::vector<std::string>* lines) {
  if (!replay.Made()) return;
  std::string line = Format("  replayed through %s: %s of all attempts lost, %s in the daily peak hours, %s in those "
                            "of the %s; %s above %s",
                            CountOf(replay.lines, "line", "lines").c_str(), BlockingText(replay.Share()).c_str(),
                            BlockingText(replay.PeakShare()).c_str(), BlockingText(replay.BusiestShare()).c_str(),
                            CountOf(year.normalDays, "busiest day", "busiest days").c_str(),
                            CountOf(replay.daysAbove, "day", "days").c_str(), Grade(header.gradePercent).c_str());
  if (replay.worstIndex >= 0) {
    line += ", the worst " + DateText(days[static_cast<size_t>(replay.worstIndex)]) + " with " +
            BlockingText(replay.worstShare);
  }
  if (replay.unreplayedDays > 0) {
    line += Format("; %s left out, whose calls needed more than %d lines beyond these at once",
                   CountOf(replay.unreplayedDays, "day", "days").c_str(), kReplaySystems - 1);
  }
  lines->push_back(line);
}

std::vector<std::string> PlanAnswerLines(const PlanReportHeader& header, std::span<const DayFigures> days,
                                         const CapacityPlan& plan) {
  std::vector<std::string> lines;
  const YearLoads& year = plan.year;
  if (year.days == 0) {
    lines.push_back("Lines needed now: unknown, no day of records before today");
  } else {
    // The criterion that sets the lines first, then the other.
    const std::string normal = Format("the normal load %s E needs %d at %s", LoadText(year.normal).c_str(),
                                      year.normalLines, Grade(header.gradePercent).c_str());
    const std::string high = Format("the high load %s E needs %d at %s", LoadText(year.high).c_str(),
                                    year.highLines, Grade(header.highGradePercent).c_str());
    const bool highGoverns = year.governs == Criterion::kHighLoad;
    lines.push_back(Format("Lines needed now: %d, set by the %s (ITU-T E.520 on the reference loads of %s)",
                           plan.linesNeededNow, CriterionName(year.governs), ReferencePeriodText(days, year).c_str()));
    lines.push_back(Format("  %s, %s", (highGoverns ? high : normal).c_str(), (highGoverns ? normal : high).c_str()));
    AddReplayLine(header, days, year, plan.replayNeeded, &lines);
  }
  const LinesVerdict& verdict = plan.verdict;
  if (verdict.outlook == LinesOutlook::kNotAsked) return lines;
  lines.push_back(Format("With %s installed:", CountOf(verdict.lines, "line", "lines").c_str()));
  if (year.days > 0) {
    auto judged = [](double load, double capacity) { return load > capacity ? "over" : "within"; };
    lines.push_back(Format("  they carry %s E at %s and %s E at %s: the normal load %s E is %s, the high load %s E %s",
                           LoadText(verdict.capacity).c_str(), Grade(header.gradePercent).c_str(),
                           LoadText(verdict.highCapacity).c_str(), Grade(header.highGradePercent).c_str(),
                           LoadText(year.normal).c_str(), judged(year.normal, verdict.capacity),
                           LoadText(year.high).c_str(), judged(year.high, verdict.highCapacity)));
    const std::string blocking = ErlangBlockingText(verdict.blockingNow);
    if (verdict.replay.Made()) {
      lines.push_back(Format("  blocking now %s by Erlang B at the normal load, %s replayed in the peak hours of the %s",
                             blocking.c_str(), BlockingText(verdict.replay.BusiestShare()).c_str(),
                             CountOf(year.normalDays, "busiest day", "busiest days").c_str()));
    } else {
      lines.push_back(Format("  blocking now %s (Erlang B at the normal load)", blocking.c_str()));
    }
    AddReplayLine(header, days, year, verdict.replay, &lines);
  } else {
    lines.push_back(Format("  capacity %s E at %s blocking", ErlangsText(verdict.capacity).c_str(),
                           Grade(header.gradePercent).c_str()));
  }
  switch (verdict.outlook) {
    case LinesOutlook::kAlreadyShort: {
      std::string line = "  already short by " + CountOf(verdict.shortBy, "line", "lines");
      if (verdict.shortSince >= 0) line += " since " + MonthOf(plan.months[static_cast<size_t>(verdict.shortSince)]);
      lines.push_back(line);
      break;
    }
    case LinesOutlook::kRunsOut: {
      const MonthPlan& month = plan.months[static_cast<size_t>(verdict.runsOutAt)];
      std::string line = Format("  runs out in %s (the %s %s E a month makes the year's busiest days need %d lines)",
                                MonthOf(month).c_str(),
                                plan.forecast.model == ForecastModel::kLine ? "trend's" : "forecast's",
                                LoadText(month.load).c_str(), month.linesNeeded);
      if (verdict.earliestAt >= 0) {
        line += Format(", as early as %s (the upper end of the 95%% interval)",
                       MonthOf(plan.months[static_cast<size_t>(verdict.earliestAt)]).c_str());
      }
      lines.push_back(line);
      break;
    }
    case LinesOutlook::kLasts: {
      std::string line = Format("  lasts beyond %s", MonthOf(plan.months.back()).c_str());
      if (verdict.earliestAt >= 0) {
        line += Format(", but may run out as early as %s (the upper end of the 95%% interval)",
                       MonthOf(plan.months[static_cast<size_t>(verdict.earliestAt)]).c_str());
      }
      lines.push_back(line);
      break;
    }
    case LinesOutlook::kNoProjection:
      lines.push_back(Format("  no projection to judge the months ahead by: %s, at least %d are needed",
                             CountOf(plan.completeMonths, "complete month", "complete months").c_str(),
                             kMinTrendMonths));
      break;
    case LinesOutlook::kNotAsked:
      break;
  }
  // A run-out month, or its absence, is as good as the forecast it comes
  // from.
  if (verdict.outlook == LinesOutlook::kRunsOut || verdict.outlook == LinesOutlook::kLasts) {
    const ModelRecord& record = plan.forecast.records[static_cast<size_t>(plan.forecast.model)];
    if (record.forecasts < kMinBacktestForecasts) {
      lines.push_back(Format("  the forecast is uncertain: %s give its model a track record of %s, %d are needed",
                             CountOf(plan.completeMonths, "complete month", "complete months").c_str(),
                             CountOf(record.forecasts, "forecast", "forecasts").c_str(), kMinBacktestForecasts));
    } else if (record.error > kUncertainError) {
      lines.push_back(Format("  the forecast is uncertain: its model missed the last %d complete months by %.1f%% on "
                             "the mean",
                             kBacktestMonths, record.error * 100.0));
    }
  }
  if (verdict.outlook == LinesOutlook::kRunsOut || verdict.outlook == LinesOutlook::kLasts) {
    if (plan.stepMonth >= 0) {
      const MonthPlan& step = plan.months[static_cast<size_t>(plan.stepMonth)];
      lines.push_back(Format("  the forecast is uncertain: the load stepped %s %.0f%% in %s, a new level and no growth; "
                             "it is projected from there",
                             plan.stepRatio >= 1.0 ? "up" : "down", std::abs(plan.stepRatio - 1.0) * 100.0,
                             MonthOf(step).c_str()));
    }
    for (size_t j = 0; j < plan.oneOffMonths.size(); ++j) {
      const MonthPlan& month = plan.months[static_cast<size_t>(plan.oneOffMonths[j])];
      lines.push_back(Format("  %s stands apart from the months around it (%+.0f%%) and is left out of the forecast",
                             MonthOf(month).c_str(), (plan.oneOffRatios[j] - 1.0) * 100.0));
    }
  }
  if (verdict.peakCallsNow > verdict.lines) {
    lines.push_back(Format("  up to %d calls at once, more than the %s given: check --lines and --calls",
                           verdict.peakCallsNow, CountOf(verdict.lines, "line", "lines").c_str()));
  }
  if (verdict.lastComplete < 0) return lines;
  const MonthPlan& last = plan.months[static_cast<size_t>(verdict.lastComplete)];
  if (verdict.saturatedDays > 0 && verdict.peakCallsNow <= verdict.lines) {
    lines.push_back(Format("  peak calls reached all %s on %s of %s; carried traffic is capped there",
                           CountOf(verdict.lines, "line", "lines").c_str(),
                           CountOf(verdict.saturatedDays, "day", "days").c_str(), MonthOf(last).c_str()));
  }
  if (last.blockedAttempts > 0) {
    lines.push_back(Format("  %s of the attempts in the busy hour of %s found every line busy (%s of %s)",
                           Percent(last.blockedShare).c_str(), MonthOf(last).c_str(),
                           Thousands(last.blockedAttempts).c_str(),
                           Thousands(last.blockedAttempts + last.carriedAttempts).c_str()));
  }
  return lines;
}

namespace {

std::string PartialBecause(const MonthPlan& month, const std::string& callsCounted) {
  if (month.kind != MonthKind::kPartial) return "";
  std::string reasons;
  auto add = [&reasons](const std::string& reason) { reasons += (reasons.empty() ? "" : ", ") + reason; };
  if (month.inProgress) add("in progress");
  if (month.missingDays > 0) add(std::to_string(month.missingDays) + " days missing");
  if (month.absentDays > 0 && !month.inProgress) add(std::to_string(month.absentDays) + " days before the records");
  if (month.calls == 0 && month.recordsWithoutCalls > 0) {
    // "Trunk calls" as the header names them, inside a sentence.
    std::string calls = callsCounted;
    if (!calls.empty()) calls[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(calls[0])));
    add("no " + calls + " among " + Thousands(month.recordsWithoutCalls) + " records");
  }
  return reasons;
}

}  // namespace

MonthCells PlanMonthCells(const MonthPlan& month, const std::string& callsCounted) {
  MonthCells cells;
  cells.month = MonthOf(month);
  cells.kind = MonthKindName(month.kind);
  cells.linesNeeded = std::to_string(month.linesNeeded);
  if (month.kind == MonthKind::kProjected) {
    cells.offered = ErlangsText(month.load);
    cells.high = ErlangsText(month.highLoad);
    cells.upper = ErlangsText(month.loadUpper);
    cells.linesNeededUpper = std::to_string(month.linesNeededUpper);
    return cells;
  }
  cells.days = std::to_string(month.days);
  cells.busyDays = std::to_string(month.busyDays);
  cells.busyHour = QuarterHourText(month.busyHourStart);
  if (month.busyDays > 0) {
    cells.carried = ErlangsText(month.carried);
    cells.blocked = Percent(month.blockedShare);
    cells.offered = ErlangsText(month.load);
    cells.high = ErlangsText(month.highLoad);
  }
  cells.peakCalls = std::to_string(month.peakCalls);
  cells.blockedCalls = std::to_string(month.blockedCalls);
  cells.partialBecause = PartialBecause(month, callsCounted);
  return cells;
}

namespace {

void PrintAnswer(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
                 const CapacityPlan& plan) {
  std::fprintf(out, "\n");
  for (const std::string& line : PlanAnswerLines(header, days, plan)) std::fprintf(out, "%s\n", line.c_str());
}

void PrintMonths(std::FILE* out, const PlanReportHeader& header, const CapacityPlan& plan) {
  std::fprintf(out, "\n%s", kTableHeader);
  for (const MonthPlan& month : plan.months) {
    const MonthCells c = PlanMonthCells(month, header.callsCounted);
    if (month.kind == MonthKind::kProjected) {
      std::fprintf(out, kProjectedRow, c.month.c_str(), c.kind.c_str(), "", "", "", "", "", c.offered.c_str(),
                   c.high.c_str(), c.upper.c_str(), "", c.linesNeeded.c_str(), c.linesNeededUpper.c_str());
    } else {
      // The reasons a month is partial stand under their heading, past the
      // empty upper column.
      const std::string because = c.partialBecause.empty() ? "" : std::string(17, ' ') + c.partialBecause;
      std::fprintf(out, kMeasuredRow, c.month.c_str(), c.kind.c_str(), c.days.c_str(), c.busyDays.c_str(),
                   c.busyHour.c_str(), c.carried.c_str(), c.blocked.c_str(), c.offered.c_str(), c.high.c_str(), "",
                   c.peakCalls.c_str(), c.linesNeeded.c_str(), because.c_str());
    }
  }
  std::fprintf(out,
               "Carried: the mean traffic of the month's time-consistent busy hour over its busy days (ITU-T E.500);\n"
               "offered: carried scaled up by the attempts of that hour that found every line busy (E.501);\n"
               "high: the mean of the %d highest daily peak hours, each scaled alike; lines: Erlang B's for the\n"
               "reference loads of the 365 days ending with the month, the normal load at %s and the high\n"
               "load at %s blocking, the more of the two (E.520); projected: at the reference loads' spread\n"
               "over the busiest month seen in the last year.\n",
               kHighLoadDays, Grade(header.gradePercent).c_str(), Grade(header.highGradePercent).c_str());
  std::fprintf(out, "%s.\n", BusyDaysText(plan).c_str());
}

void PrintYear(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
               const CapacityPlan& plan) {
  const YearLoads& year = plan.year;
  if (year.days == 0) return;
  std::fprintf(out, "\nReference loads (ITU-T E.500) over the %d days from %s to %s, offered (E.501):\n", year.days,
               DateText(days[static_cast<size_t>(year.firstIndex)]).c_str(),
               DateText(days[static_cast<size_t>(year.lastIndex)]).c_str());
  std::fprintf(out, "  normal load %s E, mean of the %d highest daily peak hours: %d lines at %s\n",
               ErlangsText(year.normal).c_str(), year.normalDays, year.normalLines, Grade(header.gradePercent).c_str());
  std::fprintf(out, "  high load   %s E, mean of the %d highest daily peak hours: %d lines at %s\n",
               ErlangsText(year.high).c_str(), year.highDays, year.highLines, Grade(header.highGradePercent).c_str());
}

void PrintTrend(std::FILE* out, const PlanReportHeader& header, const CapacityPlan& plan) {
  std::fprintf(out, "\n");
  for (const std::string& line : PlanProjectionLines(header, plan)) std::fprintf(out, "%s\n", line.c_str());
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

// Everything of the report below its header.
void PrintBody(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
               const CapacityPlan& plan) {
  PrintAnswer(out, header, days, plan);
  PrintMonths(out, header, plan);
  PrintYear(out, header, days, plan);
  PrintTrend(out, header, plan);
  PrintBlocked(out, plan);
}

}  // namespace

void PrintPlanReport(std::FILE* out, const PlanReportHeader& header, std::span<const DayFigures> days,
                     const CapacityPlan& plan) {
  if (days.empty()) return;
  PrintHeader(out, header, days, plan);
  PrintBody(out, header, days, plan);
}

void PrintGroupBlock(std::FILE* out, const PlanReportHeader& header, const std::string& name,
                     std::span<const DayFigures> days, const CapacityPlan& plan) {
  if (days.empty()) return;
  std::fprintf(out, "\nGroup %s: %s\n", GroupShownName(name).c_str(), PlanPeriodText(header, days, plan).c_str());
  PrintRecordNotes(out, plan);
  PrintBody(out, header, days, plan);
}
