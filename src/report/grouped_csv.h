// The CSV files of a plan by groups, written into a folder group by group
// as the plans are made, so that no more than one group's rows are held at
// a time. days.csv, months.csv, profile.csv and backtest.csv are those of
// report/plan_csv.h with a first field `group` on every record (the header
// "group,date,calls,..."), each group's records after the last group's.
// groups.csv holds one record per group in the order given (the most
// urgent first, report/group_summary.h):
//   group,lines_needed,lines_installed,verdict,short_by,runs_out_month,blocking_now,blocking_replayed,calls
// with verdict no-lines, already-short, runs-out, lasts or no-projection;
// lines_needed empty when unknown, lines_installed when none were given,
// short_by unless already short, runs_out_month ("YYYY-MM") unless it runs
// out, blocking_now and blocking_replayed (fractions, as months.csv's
// blocked_share) when they do not apply.
// A group's name is its field as RFC 4180 quotes it (report/csv_field.h),
// kNoGroupName for the empty name.
//
// The files are written in place, not renamed: the folder is a staging
// folder that the caller moves into place whole once Finish succeeds
// (ReplaceFilesTogether, report/atomic_file.h, with kFileNames).
#pragma once

#include <array>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "planning/capacity_plan.h"
#include "planning/day_figures.h"
#include "report/group_summary.h"
#include "report/plan_csv.h"

inline constexpr char kGroupsCsvName[] = "groups.csv";

// Call Open, then Add for each group, then Finish. A call that fails
// returns false with a one-line reason in `error` (a file that cannot be
// made or written, a full disk) and every later call fails too; the files
// then hold no complete set, and the caller drops the folder. The
// destructor closes whatever is still open.
class GroupedCsvFiles {
 public:
  static constexpr size_t kPlanFiles = 4;
  // One group's records of days.csv, months.csv, profile.csv and
  // backtest.csv, in that order: made by Records on any thread, written by
  // AddRecords in the order the groups are to stand in.
  using GroupRecords = std::array<std::string, kPlanFiles>;
  static GroupRecords Records(const std::string& name, std::span<const DayFigures> days, const CapacityPlan& plan);

  static constexpr const char* kFileNames[] = {kDaysCsvName, kMonthsCsvName, kProfileCsvName, kBacktestCsvName,
                                               kGroupsCsvName};

  GroupedCsvFiles() = default;
  GroupedCsvFiles(const GroupedCsvFiles&) = delete;
  GroupedCsvFiles& operator=(const GroupedCsvFiles&) = delete;
  ~GroupedCsvFiles();

  // Creates (or empties) the files of `dir` but groups.csv, each with its
  // header row.
  bool Open(const std::string& dir, std::string* error);
  // Appends the records of group `name`, whose plan `plan` is made from
  // `days`.
  bool Add(const std::string& name, std::span<const DayFigures> days, const CapacityPlan& plan, std::string* error);
  bool AddRecords(const GroupRecords& records, std::string* error);
  // Writes groups.csv from `sorted` and closes every file.
  bool Finish(const std::vector<GroupSummary>& sorted, std::string* error);

 private:
  bool Fail(size_t file, std::string* error);
  void CloseAll();

  std::string dir_;
  std::FILE* files_[kPlanFiles] = {};
  bool failed_ = false;
};
