// What a plan by groups (--group-by) says of each group in one row: the
// lines it needs now, the lines installed and how they stand, the blocking
// now and its calls; the order the rows are shown in, the most urgent
// first; and the summary table of the report on standard output. A
// summary is a few plain values, kept for every group while the plans
// themselves are made and dropped one group at a time.
//
// A group's name is data: any bytes. The empty name is the group of the
// calls whose column holds NULL or nothing, shown as kNoGroupName.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/group_by.h"
#include "planning/capacity_plan.h"
#include "report/plan_report.h"

struct GroupSummary {
  std::string name;
  bool linesKnown = false;     // a day of records before today: linesNeeded is known
  int32_t linesNeeded = 0;     // CapacityPlan::linesNeededNow
  int32_t linesInstalled = 0;  // 0: none given
  LinesOutlook outlook = LinesOutlook::kNotAsked;
  int32_t shortBy = 0;         // kAlreadyShort: lines needed now − lines installed
  int32_t runsOutYear = 0;     // kRunsOut: the first projected month short
  int32_t runsOutMonth = 0;
  int32_t lastYear = 0;        // the plan's last month: kLasts lasts beyond it
  int32_t lastMonth = 0;
  // With lines installed and linesKnown: the Erlang B blocking of the
  // normal load now, and, when the year's attempts were replayed through
  // the lines, the share lost in the peak hours of its busiest days.
  bool blockingKnown = false;
  double blockingNow = 0.0;
  bool replayed = false;
  double blockingReplayed = 0.0;
  int32_t calls = 0;
};

// The summary of the group `name` whose plan is `plan`.
GroupSummary SummaryOfGroup(const std::string& name, const CapacityPlan& plan);

// Orders `groups` the most urgent first: those already short (the most
// lines short first), then those that run out (the soonest month first),
// then the rest by the lines needed now, the most first (unknown last);
// equals by name, byte by byte.
void SortByUrgency(std::vector<GroupSummary>* groups);

// The name as a line of text shows it: kNoGroupName for the empty name;
// a control character (below 0x20, and 0x7f) as an escape ("\n", "\t",
// "\r", "\x07"), so that no name breaks a line; every other byte as it is.
std::string GroupShownName(const std::string& name);

// The texts of a group's row, as the summary table shows them: the lines
// needed now ("unknown" without a day before today), those installed ("-"
// for none), the verdict ("already short by 4 lines", "runs out in
// 2027/05", ...) and the blocking now ("3.03% (2.34% replayed)", "-" when
// it does not apply).
struct GroupSummaryCells {
  std::string linesNeeded, installed, verdict, blocking;
};
GroupSummaryCells SummaryCells(const GroupSummary& group);

// What the summary is of, as its heading says it under the data source's
// name: "Trunk calls in 3 groups, the most urgent first; grade of service
// 1% blocking (7% at high load)".
std::string GroupsOverviewText(size_t groups, const PlanReportHeader& header);

// The summary table as the report by groups prints it before the groups'
// blocks, one text per line without line ends: a heading naming the data
// source and the grouping `groupedBy` ("CallerSiteNodeId:CalleeSiteNodeId"),
// the overview, then a line of column titles and a row per group of `sorted` in
// that order. The group column is as wide as the widest name shown, up to
// 40 characters; a wider name pushes the rest of its row to the right.
std::vector<std::string> GroupSummaryLines(const std::vector<GroupSummary>& sorted, const PlanReportHeader& header,
                                           const std::string& groupedBy);
