#include "cli/trunk_metrics.h"

#include <CLI/CLI.hpp>

#include "platform/local_time.h"
#include "timeutil/time_conversions.h"

void AddMetricsOption(CLI::App* command, std::string* path) {
  command
      ->add_option("--metrics", *path,
                   "write the figures for the node exporter's textfile collector into FILE (FILE.prom)")
      ->type_name("FILE")
      ->check([](const std::string& text) { return text.empty() ? std::string("a file name is needed") : ""; });
}

TrunkMetrics MetricsOfDay(const MetricsSource& source, const DayFigures& day,
                          const std::optional<LinesExhaustion>& exhaustion, std::optional<int32_t> linesNeeded) {
  TrunkMetrics metrics;
  metrics.dataSource = source.dataSource;
  metrics.calls = source.calls;
  metrics.peakCalls = day.peakCalls;
  if (source.lines > 0) metrics.linesInstalled = source.lines;
  metrics.busyHourErlangs = day.busyHourErlangs;
  metrics.blockedCalls = day.blockedCalls;
  metrics.linesNeeded = linesNeeded;
  metrics.dayStart = day.dayStart;
  if (exhaustion && (exhaustion->kind == ExhaustionKind::kNow || exhaustion->kind == ExhaustionKind::kAhead)) {
    metrics.linesExhausted = LocalDateToEpoch(exhaustion->year, exhaustion->month, 1);
  }
  metrics.lastSuccess = CurrentEpochSeconds();
  return metrics;
}

const DayFigures* LastCompleteDay(std::span<const DayFigures> days) {
  if (days.empty()) return nullptr;
  SYSTEMTIME today{};
  GetLocalTime(&today);
  const int32_t todayNumber = DayNumber(today.wYear, today.wMonth, today.wDay);
  for (size_t i = days.size(); i > 0; --i) {
    const DayFigures& day = days[i - 1];
    if (DayNumber(day.year, day.month, day.day) < todayNumber) return &day;
  }
  return &days.back();
}

std::optional<TrunkMetrics> PlanMetrics(const MetricsSource& source, std::span<const DayFigures> days,
                                        const CapacityPlan& plan) {
  const DayFigures* day = LastCompleteDay(days);
  if (day == nullptr) return std::nullopt;
  SYSTEMTIME today{};
  GetLocalTime(&today);
  const LinesExhaustion exhaustion = FindLinesExhaustion(plan, today.wYear, today.wMonth);
  return MetricsOfDay(source, *day, exhaustion,
                      plan.year.days > 0 ? std::optional<int32_t>(plan.linesNeededNow) : std::nullopt);
}

bool WritePlanMetrics(const std::string& path, const MetricsSource& source, std::span<const DayFigures> days,
                      const CapacityPlan& plan, std::string* error) {
  const std::optional<TrunkMetrics> metrics = PlanMetrics(source, days, plan);
  if (!metrics) {
    *error = "no day to write metrics of";
    return false;
  }
  return WriteTrunkMetrics(path, {&*metrics, 1}, error);
}
