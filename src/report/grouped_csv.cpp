#include "report/grouped_csv.h"

#include <cerrno>
#include <cstring>

#include "report/atomic_file.h"
#include "report/csv_field.h"
#include "report/plan_csv_rows.h"
#include "report/plan_formats.h"

namespace {

constexpr PlanCsvFile kPlanCsvFiles[] = {PlanCsvFile::kDays, PlanCsvFile::kMonths, PlanCsvFile::kProfile,
                                         PlanCsvFile::kBacktest};

std::string Path(const std::string& dir, const char* name) {
  return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

const char* VerdictWord(LinesOutlook outlook) {
  switch (outlook) {
    case LinesOutlook::kNotAsked: return "no-lines";
    case LinesOutlook::kAlreadyShort: return "already-short";
    case LinesOutlook::kRunsOut: return "runs-out";
    case LinesOutlook::kLasts: return "lasts";
    case LinesOutlook::kNoProjection: return "no-projection";
  }
  return "";
}

std::string GroupField(const std::string& name) { return CsvField(name.empty() ? kNoGroupName : name); }

std::string GroupsCsvText(const std::vector<GroupSummary>& sorted) {
  std::string text =
      "group,lines_needed,lines_installed,verdict,short_by,runs_out_month,blocking_now,blocking_replayed,calls\r\n";
  const auto figure = [](bool applies, int32_t value) { return applies ? std::to_string(value) : std::string(); };
  for (const GroupSummary& g : sorted) {
    const bool runsOut = g.outlook == LinesOutlook::kRunsOut;
    text += GroupField(g.name) + "," + figure(g.linesKnown, g.linesNeeded) + "," +
            figure(g.linesInstalled > 0, g.linesInstalled) + "," + VerdictWord(g.outlook) + "," +
            figure(g.outlook == LinesOutlook::kAlreadyShort, g.shortBy) + "," +
            (runsOut ? MonthText(g.runsOutYear, g.runsOutMonth, '-') : "") + "," +
            (g.blockingKnown ? ShareText(g.blockingNow) : "") + "," +
            (g.blockingKnown && g.replayed ? ShareText(g.blockingReplayed) : "") + "," + std::to_string(g.calls) +
            "\r\n";
  }
  return text;
}

}  // namespace

GroupedCsvFiles::~GroupedCsvFiles() { CloseAll(); }

void GroupedCsvFiles::CloseAll() {
  for (std::FILE*& file : files_) {
    if (file != nullptr) std::fclose(file);
    file = nullptr;
  }
}

bool GroupedCsvFiles::Fail(size_t file, std::string* error) {
  *error = "cannot write " + Path(dir_, PlanCsvName(kPlanCsvFiles[file])) + ": " + std::strerror(errno);
  failed_ = true;
  CloseAll();
  return false;
}

bool GroupedCsvFiles::Open(const std::string& dir, std::string* error) {
  CloseAll();
  dir_ = dir;
  failed_ = false;
  for (size_t i = 0; i < kPlanFiles; ++i) {
    files_[i] = std::fopen(Path(dir, PlanCsvName(kPlanCsvFiles[i])).c_str(), "wb");
    const std::string header = PlanCsvHeader(kPlanCsvFiles[i], true);
    if (files_[i] == nullptr || std::fwrite(header.data(), 1, header.size(), files_[i]) != header.size()) {
      return Fail(i, error);
    }
  }
  return true;
}

GroupedCsvFiles::GroupRecords GroupedCsvFiles::Records(const std::string& name, std::span<const DayFigures> days,
                                                       const CapacityPlan& plan) {
  const std::string field = GroupField(name);
  GroupRecords records;
  for (size_t i = 0; i < kPlanFiles; ++i) AppendPlanCsvRecords(kPlanCsvFiles[i], days, plan, &field, &records[i]);
  return records;
}

bool GroupedCsvFiles::Add(const std::string& name, std::span<const DayFigures> days, const CapacityPlan& plan,
                          std::string* error) {
  return AddRecords(Records(name, days, plan), error);
}

bool GroupedCsvFiles::AddRecords(const GroupRecords& records, std::string* error) {
  if (failed_ || files_[0] == nullptr) {
    *error = "the grouped CSV files in " + dir_ + " are not open";
    return false;
  }
  for (size_t i = 0; i < kPlanFiles; ++i) {
    const std::string& text = records[i];
    if (std::fwrite(text.data(), 1, text.size(), files_[i]) != text.size()) return Fail(i, error);
  }
  return true;
}

bool GroupedCsvFiles::Finish(const std::vector<GroupSummary>& sorted, std::string* error) {
  if (failed_ || files_[0] == nullptr) {
    *error = "the grouped CSV files in " + dir_ + " are not open";
    return false;
  }
  // A full disk may only show when the last buffer goes out at fclose.
  for (size_t i = 0; i < kPlanFiles; ++i) {
    const int closed = std::fclose(files_[i]);
    files_[i] = nullptr;
    if (closed != 0) return Fail(i, error);
  }
  failed_ = true;  // closed: nothing more to add
  return WriteFileAtomically(Path(dir_, kGroupsCsvName), GroupsCsvText(sorted), error);
}
