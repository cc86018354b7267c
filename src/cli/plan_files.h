// What `plan` and `plan --group-by` share to write their report and files:
// the report's header, a private folder removed with what it holds, the chart request of a plan drawn from
// its CSV files, the zone the page names, and both panels drawn for a page.
#pragma once

#include <string>

#include "analysis/call_kinds.h"
#include "cli/plan_command.h"
#include "planning/capacity_plan.h"
#include "report/plan_chart.h"
#include "report/plan_report.h"

// A private folder, removed with what it holds: for CSV files that only
// the chart needs, or for the set of --csv while it is being written.
class TemporaryFolder {
 public:
  TemporaryFolder() = default;
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  ~TemporaryFolder();
  // Makes it in the system's temporary folder, or in `parent` when given;
  // false when it cannot be made.
  bool Make(const std::string& parent = "");
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The report's header for `options`, counting calls of `kind`.
PlanReportHeader PlanHeaderOf(const PlanOptions& options, const CallKind& kind);

// The chart of `plan` drawn from the CSV files in `dir` into `output`.
ChartRequest ChartOf(const CapacityPlan& plan, const std::string& dir, const std::string& output);

// The zone the days were cut in, as a reader of the page knows it: TZ when
// set, else the system's zone by its name in the zone database.
std::string ZoneName();

// Both panels of `plan`'s chart, drawn from the CSV files in `dir` into
// `scratch` and read back as SVG text; false with the reason in `error`.
bool DrawPagePanels(const CapacityPlan& plan, const std::string& dir, const std::string& scratch,
                    std::string* linesSvg, std::string* profileSvg, std::string* error);
