#include "cli/grouped_plan.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "analysis/format_thousands.h"
#include "cli/exit_status.h"
#include "cli/plan_files.h"
#include "cli/plan_option_values.h"
#include "cli/standard_output.h"
#include "cli/trunk_metrics.h"
#include "planning/capacity_plan.h"
#include "report/atomic_file.h"
#include "report/group_summary.h"
#include "report/grouped_csv.h"
#include "report/plan_csv.h"
#include "report/plan_page.h"
#include "report/plan_report.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "nortesk-etp: %s\n", message.c_str());
  return kExitFailed;
}

// What PrintGroupBlock writes, as text.
std::string BlockText(const PlanReportHeader& header, const std::string& name, std::span<const DayFigures> days,
                      const CapacityPlan& plan) {
  char* text = nullptr;
  size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  // It fails only without memory: a block left out would pass unnoticed.
  if (out == nullptr) throw std::bad_alloc();
  PrintGroupBlock(out, header, name, days, plan);
  std::fclose(out);
  std::string block(text, size);
  std::free(text);
  return block;
}

// Tie calls between the sites of one system hold a line of the site's
// trunks only where the tie lines are trunks of it: said, so that a site's
// PSTN lines are not sized for them unawares.
std::string SipTieNote(int64_t tieRows, int64_t calls) {
  if (tieRows <= 0 || calls <= 0) return {};
  char rows[kThousandsTextMax];
  char all[kThousandsTextMax];
  char share[32];
  std::snprintf(share, sizeof share, "%.1f%%", 100.0 * static_cast<double>(tieRows) / static_cast<double>(calls));
  return std::string("SIP tie calls: ") + share + " of the group's call records (" + FormatThousands(tieRows, rows) +
         " of " + FormatThousands(calls, all) +
         ") are calls over SIP tie lines; --calls trunk-no-sip-tie leaves them out\n";
}

// The CSV set and the page of a grouped plan, filled one group at a time
// and put in place by Finish: the CSV files all together, after standard
// output was written.
class GroupedFiles {
 public:
  bool Begin(const PlanOptions& options, const PlanReportHeader& header, std::string* error) {
    options_ = &options;
    if (!options.csvDir.empty()) {
      std::error_code failure;
      std::filesystem::create_directories(options.csvDir, failure);
      if (failure) return Failed("cannot make the folder " + options.csvDir + ": " + failure.message(), error);
      if (!staging_.Make(options.csvDir)) {
        return Failed("cannot make a temporary folder in " + options.csvDir + ": " + std::strerror(errno), error);
      }
      if (!csv_.Open(staging_.Path(), error)) return false;
    }
    if (!options.htmlPath.empty()) {
      if (!scratch_.Make()) return Failed("cannot make a temporary folder for the charts' data", error);
      PlanPageRequest page;
      page.header = header;
      page.timeZone = ZoneName();
      page.version = NORTESK_VERSION;
      if (!page_.Begin(options.htmlPath, page, options.group.groupBy, error)) return false;
    }
    return true;
  }

  bool WantsRecords() const { return !options_->csvDir.empty(); }
  bool WantsPage() const { return !options_->htmlPath.empty(); }

  // A group's CSV records, made as WantsRecords asks, and its days and plan
  // for the page.
  bool Add(const std::string& name, const GroupedCsvFiles::GroupRecords& records, std::span<const DayFigures> days,
           const CapacityPlan& plan, std::string* error) {
    if (WantsRecords() && !csv_.AddRecords(records, error)) return false;
    if (!WantsPage()) return true;
    // Each group's chart is drawn from its own plain files, as a plan's is.
    const std::string& dir = scratch_.Path();
    std::string lines, profile;
    return WriteDaysCsv(dir, days, plan, error) && WriteMonthsCsv(dir, plan, error) &&
           WriteProfileCsv(dir, plan, error) && DrawPagePanels(plan, dir, dir, &lines, &profile, error) &&
           page_.AddGroup(name, days, plan, lines, profile, error);
  }

  bool Finish(const std::vector<GroupSummary>& sorted, std::string* error) {
    if (!options_->csvDir.empty() &&
        (!csv_.Finish(sorted, error) ||
         !ReplaceFilesTogether(staging_.Path(), options_->csvDir, GroupedCsvFiles::kFileNames, error))) {
      return false;
    }
    return options_->htmlPath.empty() || page_.Finish(sorted, error);
  }

 private:
  static bool Failed(const std::string& reason, std::string* error) {
    *error = reason;
    return false;
  }

  const PlanOptions* options_ = nullptr;
  TemporaryFolder staging_;
  TemporaryFolder scratch_;
  GroupedCsvFiles csv_;
  GroupedPlanPage page_;
};

// One group's plan and what is made of it without a file, on any thread.
struct PlannedGroup {
  std::string name;
  std::vector<DayFigures> days;  // kept for the page only
  CapacityPlan plan;
  GroupSummary summary;
  std::string block;
  std::string staleText;
  GroupedCsvFiles::GroupRecords records;
  std::optional<TrunkMetrics> metrics;  // with --metrics
};

void PlanGroup(const PlanOptions& options, const PlanReportHeader& header, const PlannedRecords& records,
               bool wantsRecords, bool wantsPage, PlannedGroup* group) {
  std::vector<DayFigures> days = records.groups.DaysOf(group->name, records.days);
  const auto given = options.group.groupLines.find(GroupName(group->name));
  const int32_t lines = given != options.group.groupLines.end() ? given->second : 0;
  const PlanRequest request =
      PlanRequestFor(options.gradePercent, options.highGradePercent, lines, options.months, options.busyDays);
  group->plan = MakeCapacityPlan(days, request);
  group->summary = SummaryOfGroup(group->name, group->plan);
  group->staleText = StaleRecordsText(group->plan);
  group->block = BlockText(header, group->name, days, group->plan) +
                 SipTieNote(records.groups.SipTieRowsOf(group->name), group->plan.calls);
  if (wantsRecords) group->records = GroupedCsvFiles::Records(group->name, days, group->plan);
  if (!options.metricsPath.empty()) {
    const MetricsSource source{options.dsn, options.calls, options.gradePercent, lines};
    group->metrics = PlanMetrics(source, days, group->plan);
    if (group->metrics) group->metrics->group = GroupName(group->name);
  }
  if (wantsPage) group->days = std::move(days);
}

// Plans `groups` on up to `threads` threads at once; each thread takes
// every threads-th group, so the work needs no queue.
void PlanGroups(const PlanOptions& options, const PlanReportHeader& header, const PlannedRecords& records,
                bool wantsRecords, bool wantsPage, int32_t threads, std::span<PlannedGroup> groups) {
  const size_t count = std::min(groups.size(), static_cast<size_t>(std::max(threads, 1)));
  auto work = [&](size_t first) {
    for (size_t i = first; i < groups.size(); i += count) {
      PlanGroup(options, header, records, wantsRecords, wantsPage, &groups[i]);
    }
  };
  std::vector<std::thread> others;
  for (size_t t = 1; t < count; ++t) others.emplace_back(work, t);
  work(0);
  for (std::thread& other : others) other.join();
}

}  // namespace

int RunGroupedPlan(const PlanOptions& options, const CallKind& kind, const PlannedRecords& records) {
  const PlanReportHeader header = PlanHeaderOf(options, kind);

  // The groups with calls, and those given lines without any: a site that
  // went quiet is still answered for. With --group, that group alone (the
  // other end of a call of it brings the other end's group too).
  const std::string& one = options.group.onlyGroup;
  std::set<std::string> names;
  for (const std::string& name : records.groups.Names()) {
    if (one.empty() || name == GroupValue(one)) names.insert(name);
  }
  for (const auto& [shown, lines] : options.group.groupLines) {
    if (one.empty() || shown == one) names.insert(GroupValue(shown));
  }
  if (!one.empty()) names.insert(GroupValue(one));

  std::string error;
  GroupedFiles files;
  if (!files.Begin(options, header, &error)) return Fail(error);
  std::vector<GroupSummary> summaries;
  std::map<std::string, std::string> blocks;
  std::vector<TrunkMetrics> metrics;
  bool staleSaid = false;
  // A few groups at a time on the cores, each batch's files written in
  // name order before the next is planned: a group's days are held only
  // while it is in a batch.
  const int32_t threads = std::max(options.sessions, 1);
  std::vector<PlannedGroup> batch;
  for (auto next = names.begin(); next != names.end();) {
    batch.clear();
    for (; next != names.end() && batch.size() < static_cast<size_t>(2 * threads); ++next) {
      batch.emplace_back().name = *next;
    }
    PlanGroups(options, header, records, files.WantsRecords(), files.WantsPage(), threads, batch);
    for (PlannedGroup& group : batch) {
      if (!staleSaid && !group.staleText.empty()) {
        std::fprintf(stderr, "nortesk-etp: %s\n", group.staleText.c_str());
        staleSaid = true;
      }
      if (!files.Add(group.name, group.records, group.days, group.plan, &error)) return Fail(error);
      summaries.push_back(group.summary);
      if (group.metrics) metrics.push_back(std::move(*group.metrics));
      blocks[group.name] = std::move(group.block);
    }
  }
  SortByUrgency(&summaries);

  for (const std::string& line : GroupSummaryLines(summaries, header, options.group.groupBy)) {
    std::fprintf(stdout, "%s\n", line.c_str());
  }
  for (const GroupSummary& summary : summaries) std::fputs(blocks[summary.name].c_str(), stdout);
  if (!FlushStandardOutput(&error)) return Fail(error);
  if (!files.Finish(summaries, &error)) return Fail(error);
  if (!options.metricsPath.empty() && !WriteTrunkMetrics(options.metricsPath, metrics, &error)) return Fail(error);
  return kExitDone;
}
