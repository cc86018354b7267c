#include "cli/grouped_plan.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "analysis/format_thousands.h"
#include "cli/exit_status.h"
#include "cli/plan_files.h"
#include "cli/plan_option_values.h"
#include "cli/standard_output.h"
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
  if (out == nullptr) return {};
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

  bool Add(const std::string& name, std::span<const DayFigures> days, const CapacityPlan& plan, std::string* error) {
    if (!options_->csvDir.empty() && !csv_.Add(name, days, plan, error)) return false;
    if (options_->htmlPath.empty()) return true;
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

}  // namespace

int RunGroupedPlan(const PlanOptions& options, const CallKind& kind, const PlannedRecords& records) {
  PlanReportHeader header;
  header.dataSource = options.dsn;
  header.callsCounted = kind.counted;
  header.gradePercent = options.gradePercent;
  header.highGradePercent = options.highGradePercent;
  header.horizonMonths = options.months;

  // The groups with calls, and those given lines without any: a site that
  // went quiet is still answered for.
  std::set<std::string> names;
  for (const std::string& name : records.groups.Names()) names.insert(name);
  for (const auto& [name, lines] : options.group.groupLines) names.insert(name);

  std::string error;
  GroupedFiles files;
  if (!files.Begin(options, header, &error)) return Fail(error);
  std::vector<GroupSummary> summaries;
  std::map<std::string, std::string> blocks;
  bool stale = false;
  for (const std::string& name : names) {
    const std::vector<DayFigures> days = records.groups.DaysOf(name, records.days);
    const auto given = options.group.groupLines.find(name);
    const int32_t lines = given != options.group.groupLines.end() ? given->second : 0;
    const PlanRequest request =
        PlanRequestFor(options.gradePercent, options.highGradePercent, lines, options.months, options.busyDays);
    const CapacityPlan plan = MakeCapacityPlan(days, request);
    if (!stale && !StaleRecordsText(plan).empty()) {
      std::fprintf(stderr, "nortesk-etp: %s\n", StaleRecordsText(plan).c_str());
      stale = true;
    }
    summaries.push_back(SummaryOfGroup(name, plan));
    blocks[name] = BlockText(header, name, days, plan) + SipTieNote(records.groups.SipTieRowsOf(name), plan.calls);
    if (!files.Add(name, days, plan, &error)) return Fail(error);
  }
  SortByUrgency(&summaries);

  for (const std::string& line : GroupSummaryLines(summaries, header, options.group.groupBy)) {
    std::fprintf(stdout, "%s\n", line.c_str());
  }
  for (const GroupSummary& summary : summaries) std::fputs(blocks[summary.name].c_str(), stdout);
  if (!FlushStandardOutput(&error)) return Fail(error);
  if (!files.Finish(summaries, &error)) return Fail(error);
  return kExitDone;
}
