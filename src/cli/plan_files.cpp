#include "cli/plan_files.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "report/plan_csv.h"
#include "report/plan_formats.h"

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

bool TemporaryFolder::Make(const std::string& parent) {
  std::error_code ignored;
  const std::filesystem::path in =
      parent.empty() ? std::filesystem::temp_directory_path(ignored) : std::filesystem::path(parent);
  std::string pattern = (in / (parent.empty() ? "nortesk-plan-XXXXXX" : ".plan-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) return false;
  path_ = pattern;
  return true;
}

PlanReportHeader PlanHeaderOf(const PlanOptions& options, const CallKind& kind) {
  PlanReportHeader header;
  header.dataSource = options.dsn;
  header.callsCounted = kind.counted;
  header.gradePercent = options.gradePercent;
  header.highGradePercent = options.highGradePercent;
  header.horizonMonths = options.months;
  return header;
}

ChartRequest ChartOf(const CapacityPlan& plan, const std::string& dir, const std::string& output) {
  ChartRequest chart;
  chart.daysCsv = (std::filesystem::path(dir) / kDaysCsvName).string();
  chart.monthsCsv = (std::filesystem::path(dir) / kMonthsCsvName).string();
  chart.profileCsv = (std::filesystem::path(dir) / kProfileCsvName).string();
  chart.output = output;
  chart.lines = plan.verdict.lines;
  if (plan.verdict.runsOutAt >= 0) {
    const MonthPlan& out = plan.months[static_cast<size_t>(plan.verdict.runsOutAt)];
    chart.runOutMonth = MonthText(out.year, out.month, '-');
    chart.runOutLabel = MonthText(out.year, out.month, '/');
  }
  if (plan.lastComplete >= 0) {
    const MonthPlan& last = plan.months[static_cast<size_t>(plan.lastComplete)];
    chart.profileMonth = MonthText(last.year, last.month, '-');
  }
  return chart;
}

std::string ZoneName() {
  const char* zone = std::getenv("TZ");
  if (zone != nullptr && *zone != '\0') return std::string(zone[0] == ':' ? zone + 1 : zone);
  std::error_code failure;
  const std::string link = std::filesystem::read_symlink("/etc/localtime", failure).string();
  const size_t at = link.find("zoneinfo/");
  if (!failure && at != std::string::npos) return link.substr(at + 9) + " (the system's zone)";
  return "the system's zone";
}

bool DrawPagePanels(const CapacityPlan& plan, const std::string& dir, const std::string& scratch,
                    std::string* linesSvg, std::string* profileSvg, std::string* error) {
  for (const auto& [panels, svg] :
       {std::pair{ChartPanels::kLines, linesSvg}, std::pair{ChartPanels::kProfile, profileSvg}}) {
    ChartRequest chart = ChartOf(plan, dir, scratch + (panels == ChartPanels::kLines ? "/lines.svg" : "/profile.svg"));
    chart.panels = panels;
    if (!DrawPlanChart(chart, error)) return false;
    std::ifstream in(chart.output, std::ios::binary);
    svg->assign(std::istreambuf_iterator<char>(in), {});
    if (!in.good() && !in.eof()) {
      *error = "cannot read the chart drawn for the page: " + chart.output;
      return false;
    }
  }
  return true;
}
