// The options of nortesk-etp plan, as CLI11 reads and checks them.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/call_kinds.h"
#include "analysis/call_peak.h"
#include "cli/group_options.h"
#include "cli/plan_command.h"
#include "cli/plan_option_values.h"
#include "cli/trunk_metrics.h"
#include "settings/settings.h"
#include "report/gnuplot_literal.h"
#include "report/plan_chart.h"

namespace {

// Names that reach gnuplot: a control character could end a command there.
std::string CheckFileName(std::string& text) {
  return HasControlCharacter(text) ? "a name without control characters (line ends, tabs) is needed" : "";
}

std::string CheckChartPath(std::string& text) {
  return IsChartPath(text) ? "" : "the chart is written as FILE.png or FILE.svg, not " + text;
}

std::string CheckNotEmpty(std::string& text) { return text.empty() ? "a name is needed" : ""; }

}  // namespace

CLI::App* AddPlanCommand(CLI::App* app, PlanOptions* options) {
  CLI::App* plan = app->add_subcommand(
      "plan", "Busy-hour traffic, the lines needed at a grade of service, and when the installed lines run out");
  options->dsn = kDefaultDsnName;
  plan->add_option("--dsn", options->dsn, "ODBC data source of the call records")
      ->type_name("NAME")
      ->check(CLI::Validator(CheckNotEmpty, ""))
      ->capture_default_str();
  std::vector<std::string> kinds;
  for (const CallKind& kind : CallKinds()) kinds.emplace_back(kind.name);
  plan->add_option("--calls", options->calls, "the calls counted, as t, T and e count them")
      ->type_name("KIND")
      ->check(CLI::IsMember(kinds))
      ->capture_default_str();
  plan->add_option("--gos", options->gradePercent,
                   "grade of service: the blocking probability to plan the offered load for")
      ->type_name("PERCENT")
      ->check(CLI::Validator(CheckPercent, "in (0 - 100)"))
      ->capture_default_str();
  plan->add_option("--high-gos", options->highGradePercent,
                   "the blocking probability allowed at high load (the mean of the 5 busiest days)")
      ->type_name("PERCENT")
      ->check(CLI::Validator(CheckPercent, "in (0 - 100)"))
      ->capture_default_str();
  plan->add_option("--busy-days", options->busyDays,
                   "the days a month's busy hour is measured on: weekdays, all, or auto (every day when weekends "
                   "carry 80% of a weekday)")
      ->type_name("RULE")
      ->check(CLI::IsMember(std::vector<std::string>(std::begin(kBusyDaysNames), std::end(kBusyDaysNames))))
      ->capture_default_str();
  AddGroupOptions(plan, &options->group, &options->lines);
  plan->add_option("--months", options->months, "projection horizon in months")
      ->type_name("H")
      ->check(CLI::Range(1, 60))
      ->capture_default_str();
  plan->add_option("--history-months", options->historyMonths,
                   "months of records before the current one to forecast from (seasons need 24 complete ones)")
      ->type_name("N")
      ->check(CLI::Range(1, 120))
      ->capture_default_str();
  options->sessions = DefaultRangeSessions();
  plan->add_option("--sessions", options->sessions, "sessions the days are read on at once")
      ->type_name("K")
      ->check(CLI::Range(1, static_cast<int>(CCallPeak::kMaxSessions)))
      ->capture_default_str();
  plan->add_option("--csv", options->csvDir, "write days.csv, months.csv and profile.csv into DIR")
      ->type_name("DIR")
      ->check(CLI::Validator(CheckFileName, ""));
  plan->add_option("--chart", options->chartPath, "draw the chart into FILE.png or FILE.svg")
      ->type_name("FILE")
      ->check(CLI::Validator(CheckFileName, ""))
      ->check(CLI::Validator(CheckChartPath, ""));
  plan->add_option("--html", options->htmlPath,
                   "write the plan as one page to open, print and forward: FILE.html, self-contained")
      ->type_name("FILE")
      ->check(CLI::Validator(CheckNotEmpty, ""));
  AddMetricsOption(plan, &options->metricsPath);
  return plan;
}

