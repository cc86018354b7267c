#include "cli/plan_command.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "analysis/call_kinds.h"
#include "analysis/call_peak.h"
#include "analysis/format_thousands.h"
#include "analysis/planned_records.h"
#include "cli/exit_status.h"
#include "cli/grouped_plan.h"
#include "cli/plan_files.h"
#include "cli/plan_option_values.h"
#include "cli/progress_bar.h"
#include "cli/standard_output.h"
#include "cli/trunk_metrics.h"
#include "diagnosis/cdr_columns.h"
#include "planning/capacity_plan.h"
#include "platform/local_time.h"
#include "platform/output_redirect.h"
#include "report/atomic_file.h"
#include "report/plan_chart.h"
#include "report/plan_csv.h"
#include "report/plan_formats.h"
#include "report/plan_page.h"
#include "report/plan_report.h"

namespace {

class TerminalProgress : public CPlanScanProgress {
 public:
  void Begin(int32_t totalDays) override { bar_.Begin(STDERR_FILENO, totalDays); }
  void Step(int32_t daysDone) override { bar_.Show(daysDone); }
  void End() { bar_.End(); }

 private:
  ProgressBar bar_;
};

// The LocalDay values the scan passed over, named as doctor names them.
std::string BadRecordDaysText(const RecordRangeNotes& range) {
  char bad[kThousandsTextMax];
  char all[kThousandsTextMax];
  return "LocalDay holds '" + range.badDay + "' in " + FormatThousands(range.badRecords, bad) + " of " +
         FormatThousands(range.records, all) +
         " records, not a day as YYYYMMDD or YYYY-MM-DD, so the range of days is read from the others: " +
         NeedAdvice(ColumnNeed::kDay);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "nortesk-etp: %s\n", message.c_str());
  return kExitFailed;
}

// The page with both panels of the chart drawn into `scratch` and inlined.
int WritePage(const PlanOptions& options, const PlanReportHeader& header, std::span<const DayFigures> days,
              const CapacityPlan& plan, const std::string& dir, const std::string& scratch) {
  PlanPageRequest page;
  page.header = header;
  page.timeZone = ZoneName();
  page.version = NORTESK_VERSION;
  std::string error;
  if (!DrawPagePanels(plan, dir, scratch, &page.chartSvg, &page.profileSvg, &error)) return Fail(error);
  if (!WritePlanPage(options.htmlPath, page, days, plan, &error)) return Fail(error);
  return kExitDone;
}

int WriteFiles(const PlanOptions& options, const PlanReportHeader& header, std::span<const DayFigures> days,
               const CapacityPlan& plan) {
  if (options.csvDir.empty() && options.chartPath.empty() && options.htmlPath.empty()) return kExitDone;
  TemporaryFolder temporary;
  if (!temporary.Make()) return Fail("cannot make a temporary folder for the chart's data");
  std::string dir = options.csvDir;
  if (dir.empty()) {
    dir = temporary.Path();
  } else {
    std::error_code failure;
    std::filesystem::create_directories(dir, failure);
    if (failure) return Fail("cannot make the folder " + dir + ": " + failure.message());
  }
  // The set is written beside the old one and replaces it only when whole:
  // a reader never finds this run's days beside the last run's months.
  TemporaryFolder staging;
  if (!options.csvDir.empty() && !staging.Make(dir)) {
    return Fail("cannot make a temporary folder in " + dir + ": " + std::strerror(errno));
  }
  const std::string written = options.csvDir.empty() ? dir : staging.Path();
  std::string error;
  if (!WriteDaysCsv(written, days, plan, &error) || !WriteMonthsCsv(written, plan, &error) ||
      !WriteProfileCsv(written, plan, &error) || !WriteBacktestCsv(written, plan, &error)) {
    return Fail(error);
  }
  static constexpr const char* kCsvNames[] = {kDaysCsvName, kMonthsCsvName, kProfileCsvName, kBacktestCsvName};
  if (!options.csvDir.empty() && !ReplaceFilesTogether(written, dir, kCsvNames, &error)) return Fail(error);
  if (!options.chartPath.empty()) {
    ChartRequest chart = ChartOf(plan, dir, options.chartPath);
    chart.title = "Capacity plan of data source \"" + options.dsn + "\": " + header.callsCounted;
    if (!DrawPlanChart(chart, &error)) return Fail(error);
  }
  if (options.htmlPath.empty()) return kExitDone;
  return WritePage(options, header, days, plan, dir, temporary.Path());
}

}  // namespace

int RunPlan(const PlanOptions& options) {
  // Fully buffered even on a terminal, so that what the scan prints reaches
  // the screen only when the progress bar has made room for it.
  std::setvbuf(stdout, nullptr, _IOFBF, BUFSIZ);
  const CallKind& kind = CallKindNamed(options.calls);
  if (options.group.Grouped() && !options.chartPath.empty()) {
    std::fprintf(stderr, "nortesk-etp: --chart draws one plan; with --group-by, --html draws each group's\n");
    return kExitUsage;
  }
  CCallPeak& checker = CallPeak;
  if (checker.OpenOn(options.dsn.c_str()) == 0) {
    const int status = Fail("cannot open data source \"" + options.dsn + "\"");
    checker.Session.PrintConnectFailure();
    return status;
  }
  GroupedSelects grouped;
  if (options.group.Grouped()) {
    std::string reason;
    const std::string& one = options.group.onlyGroup;
    const GroupingFound found =
        one.empty() ? FindGroupedSelects(checker.Session, kind, options.group.grouping, &grouped, &reason)
                    : FindOneGroupSelects(checker.Session, kind, options.group.grouping, one, &grouped, &reason);
    if (found != GroupingFound::kFound) {
      checker.CloseDatabase();
      std::fprintf(stderr, "nortesk-etp: %s: %s\n", found == GroupingFound::kNoSuchGroup ? "--group" : "--group-by",
                   reason.c_str());
      return found == GroupingFound::kUnread ? kExitFailed : kExitUsage;
    }
  }
  PlanSource source;
  source.kind = &kind;
  if (options.group.Grouped()) {
    source.grouped = &grouped;
    source.groupLines = &options.group.groupLines;
  }
  source.sessions = options.sessions;
  source.historyMonths = options.historyMonths;
  source.replayLines = options.lines;
  PlannedRecords records;
  {
    // Everything the range check prints goes to standard error while it
    // runs: standard output carries the plan alone.
    const StandardOutputRedirect toErrors(STDERR_FILENO);
    TerminalProgress progress;
    records = ReadPlannedRecords(&checker, source, &progress);
    progress.End();
  }
  checker.CloseDatabase();
  if (records.range.badRecords > 0) std::fprintf(stderr, "nortesk-etp: %s\n", BadRecordDaysText(records.range).c_str());
  switch (records.outcome) {
    case PlannedOutcome::kRangeUnread:
      return Fail("cannot read the record days of data source \"" + options.dsn + "\": " + records.range.failure);
    case PlannedOutcome::kDaysUnread:
      return Fail(std::string(records.connectionLost ? "lost the connection to" : "failed to read") +
                  " data source \"" + options.dsn + "\": " + std::to_string(records.unreadDays) +
                  " days could not be read, so no plan is made");
    case PlannedOutcome::kNoRecords:
      return Fail("data source \"" + options.dsn + "\" holds no usable records of " + kind.name + " calls");
    case PlannedOutcome::kRead:
      break;
  }
  if (options.group.Grouped()) return RunGroupedPlan(options, kind, records);
  const std::vector<DayFigures>& days = records.days;

  const PlanRequest request = PlanRequestFor(options.gradePercent, options.highGradePercent, options.lines,
                                            options.months, options.busyDays);
  const CapacityPlan plan = MakeCapacityPlan(days, request);
  if (const std::string stale = StaleRecordsText(plan); !stale.empty()) {
    std::fprintf(stderr, "nortesk-etp: %s\n", stale.c_str());
  }

  const PlanReportHeader header = PlanHeaderOf(options, kind);
  PrintPlanReport(stdout, header, days, plan);
  std::string error;
  if (!FlushStandardOutput(&error)) return Fail(error);
  const int status = WriteFiles(options, header, days, plan);
  if (status != kExitDone || options.metricsPath.empty()) return status;
  const MetricsSource metrics{options.dsn, kind.name, options.gradePercent, options.lines};
  if (!WritePlanMetrics(options.metricsPath, metrics, days, plan, &error)) return Fail(error);
  return kExitDone;
}
