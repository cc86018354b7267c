// check --group-by: each group of the day read judged by the thresholds
// that judge the whole without it, and the words of the line that tells of
// them.
//
// The groups judged: every group with calls on the day, and every group with
// lines given that had none, judged as a day without traffic (peak 0), so
// that a site gone quiet shows; with --group G, G alone, with calls or not.
// A group's peak thresholds are percent of its lines where they are given,
// else calls. Each group is OK, WARNING or CRITICAL: a check that could not
// read the day has no group to judge, and is UNKNOWN as a whole.
//
// The words name the worst groups (by state, then calls turned away, then
// peak, then name), at most kNamedGroups of them, each as the whole would
// be told ("site 1: peak 24 of 24 lines (100%) at 10:42:13, 3 calls turned
// away today"), a group whose state is not the line's with it in
// parentheses ("site 2 (WARNING): ..."); then how many more there are and
// their states ("; and 4 more groups (1 WARNING, 3 OK)"). A name is shown
// as PluginText (report/plugin_text.h) makes it, its first
// kLongestShownName bytes and "..." when longer. The performance data hold
// every group in the byte order of the names, each label the name, a space
// and the figure's name ('site 1 peak_calls'=24;19;22;0;24), made a label
// by PerfDataLabel.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analysis/checked_day.h"
#include "cli/check_line.h"
#include "cli/group_lines.h"

inline constexpr size_t kNamedGroups = 3;
inline constexpr size_t kLongestShownName = 64;

struct JudgedGroup {
  std::string value;  // the group's value in the records; "" for the group without one
  CheckedFigures figures;
  int status = kCheckOk;
};

// The groups of `checked` (read grouped) to judge, in the byte order of
// their values, their lines from `lines` (by the name GroupName of
// analysis/group_by.h gives); `only` not null: that group (its name, as
// --group gives it) alone. Not yet judged.
std::vector<JudgedGroup> GroupsToJudge(const CheckedDay& checked, const GroupLines& lines, const std::string* only);

// Sets each group's status; returns the worst (kCheckOk for no group).
int JudgeGroups(std::vector<JudgedGroup>* groups, const CheckRanges& ranges);

// The words of the line, of groups judged as JudgeGroups left them, the line
// `status` (theirs or worse), before any note of the whole table; for no
// group "no group had calls today".
std::string GroupedCheckText(const std::vector<JudgedGroup>& groups, int status, const std::string& dayWords);

// The performance data of every group, space-separated; "" for none.
std::string GroupedPerfData(const std::vector<JudgedGroup>& groups, const CheckRanges& ranges);
