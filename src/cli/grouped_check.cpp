#include "cli/grouped_check.h"

#include <algorithm>
#include <map>

#include "analysis/group_by.h"
#include "analysis/group_days.h"
#include "report/plugin_text.h"

namespace {

int32_t LinesOf(const GroupLines& lines, const std::string& value) {
  const auto given = lines.find(GroupName(value));
  return given == lines.end() ? 0 : given->second;
}


std::string ShownName(const std::string& value) {
  std::string shown = PluginText(GroupName(value));
  if (shown.size() <= kLongestShownName) return shown;
  // Cut before a character, not inside one of several bytes.
  size_t cut = kLongestShownName;
  while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
  return shown.substr(0, cut) + "...";
}

// Worst first: state, calls turned away, peak, then name.
bool Worse(const JudgedGroup* a, const JudgedGroup* b) {
  if (a->status != b->status) return a->status > b->status;
  if (a->figures.day.blockedCalls != b->figures.day.blockedCalls) {
    return a->figures.day.blockedCalls > b->figures.day.blockedCalls;
  }
  if (a->figures.day.peakCalls != b->figures.day.peakCalls) return a->figures.day.peakCalls > b->figures.day.peakCalls;
  return a->value < b->value;
}

}  // namespace

std::vector<JudgedGroup> GroupsToJudge(const CheckedDay& checked, const GroupLines& lines, const std::string* only) {
  std::map<std::string, JudgedGroup> groups;
  for (const auto& [value, figures] : checked.groups) {
    if (only != nullptr && value != GroupValue(*only)) continue;
    JudgedGroup& group = groups[value];
    group.value = value;
    group.figures.day = figures;
  }
  std::vector<std::string> quiet;
  if (only != nullptr) {
    quiet.push_back(GroupValue(*only));
  } else {
    for (const auto& [name, count] : lines) quiet.push_back(GroupValue(name));
  }
  for (const std::string& value : quiet) {
    if (groups.count(value) > 0) continue;
    JudgedGroup& group = groups[value];
    group.value = value;
    group.figures.day = QuietDay(checked.figures);
  }
  std::vector<JudgedGroup> judged;
  judged.reserve(groups.size());
  for (auto& [value, group] : groups) {
    group.figures.lines = LinesOf(lines, value);
    judged.push_back(std::move(group));
  }
  return judged;
}

int JudgeGroups(std::vector<JudgedGroup>* groups, const CheckRanges& ranges) {
  int worst = kCheckOk;
  for (JudgedGroup& group : *groups) {
    group.status = FiguresStatus(group.figures, ranges);
    worst = std::max(worst, group.status);
  }
  return worst;
}

std::string GroupedCheckText(const std::vector<JudgedGroup>& groups, int status, const std::string& dayWords) {
  if (groups.empty()) return "no group had calls " + dayWords;
  std::vector<const JudgedGroup*> order;
  for (const JudgedGroup& group : groups) order.push_back(&group);
  std::sort(order.begin(), order.end(), Worse);
  std::string text;
  const size_t named = std::min(order.size(), kNamedGroups);
  for (size_t i = 0; i < named; ++i) {
    const JudgedGroup& group = *order[i];
    if (i > 0) text += "; ";
    text += ShownName(group.value);
    if (group.status != status) text += std::string(" (") + kCheckStatusNames[group.status] + ")";
    text += ": " + FiguresText(group.figures, dayWords);
  }
  if (order.size() == named) return text;
  int count[kCheckUnknown + 1] = {};
  for (size_t i = named; i < order.size(); ++i) ++count[order[i]->status];
  std::string states;
  for (int state : {kCheckCritical, kCheckWarning, kCheckOk}) {
    if (count[state] == 0) continue;
    states += (states.empty() ? "" : ", ") + std::to_string(count[state]) + " " + kCheckStatusNames[state];
  }
  const size_t more = order.size() - named;
  return text + "; and " + std::to_string(more) + (more == 1 ? " more group (" : " more groups (") + states + ")";
}

std::string GroupedPerfData(const std::vector<JudgedGroup>& groups, const CheckRanges& ranges) {
  std::string text;
  for (const JudgedGroup& group : groups) {
    if (!text.empty()) text += " ";
    text += FiguresPerfData(GroupName(group.value) + " ", group.figures, ranges, "");
  }
  return text;
}
