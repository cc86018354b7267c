// --metrics FILE of check and plan: what goes into the node exporter's
// textfile (report/prometheus_metrics.h) and where it comes from. Both
// commands describe one day with the planner's figures of that day
// (analysis/plan_days.h: peak, busy hour, blocked calls), so a metric means
// the same whichever command wrote it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "planning/capacity_plan.h"
#include "planning/day_figures.h"
#include "planning/lines_exhaustion.h"
#include "report/prometheus_metrics.h"

namespace CLI {
class App;
}

// Adds --metrics FILE to `command`; parsing fills `path`.
void AddMetricsOption(CLI::App* command, std::string* path);

struct MetricsSource {
  std::string dataSource;
  std::string calls;         // the --calls name
  double gradePercent = 1.0;
  int32_t lines = 0;         // 0: not given
};

// The metrics of `day`; `exhaustion` and `linesNeeded` (the plan's lines
// needed now) when a plan was made.
TrunkMetrics MetricsOfDay(const MetricsSource& source, const DayFigures& day,
                          const std::optional<LinesExhaustion>& exhaustion, std::optional<int32_t> linesNeeded);

// The figures plan --metrics writes of LastCompleteDay(days) and `plan`
// (made from `days` for the current month); none when there is no day.
std::optional<TrunkMetrics> PlanMetrics(const MetricsSource& source, std::span<const DayFigures> days,
                                        const CapacityPlan& plan);

// Writes plan --metrics: the figures of LastCompleteDay(days) and when the
// lines run out by `plan` (made for the current month). False with a
// one-line reason in `error` when there is no day or the file cannot be
// written.
bool WritePlanMetrics(const std::string& path, const MetricsSource& source, std::span<const DayFigures> days,
                      const CapacityPlan& plan, std::string* error);

// The day plan --metrics describes: the last day of `days` (oldest first)
// that lies before today, the last day of all when none does; null for no
// days.
const DayFigures* LastCompleteDay(std::span<const DayFigures> days);
