#include "report/group_summary.h"

#include <algorithm>
#include <tuple>

#include "report/plan_formats.h"

namespace {

// The widest group column before a name pushes its row to the right.
constexpr size_t kWidestGroupColumn = 40;

constexpr char kHexDigits[] = "0123456789abcdef";

// Characters on a terminal: the bytes that start a UTF-8 sequence.
size_t ShownWidth(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xc0) != 0x80;
  }));
}

// A cell of `width` characters or more, and the two spaces between cells.
void AddCell(const std::string& text, size_t width, std::string* line) {
  *line += text;
  const size_t shown = ShownWidth(text);
  line->append((shown < width ? width - shown : 0) + 2, ' ');
}

std::string VerdictText(const GroupSummary& group) {
  switch (group.outlook) {
    case LinesOutlook::kNotAsked: return "no lines given";
    case LinesOutlook::kAlreadyShort: return "already short by " + CountOf(group.shortBy, "line", "lines");
    case LinesOutlook::kRunsOut: return "runs out in " + MonthText(group.runsOutYear, group.runsOutMonth, '/');
    case LinesOutlook::kLasts: return "lasts beyond " + MonthText(group.lastYear, group.lastMonth, '/');
    case LinesOutlook::kNoProjection: return "no projection";
  }
  return "";
}

}  // namespace

GroupSummary SummaryOfGroup(const std::string& name, const CapacityPlan& plan) {
  const LinesVerdict& verdict = plan.verdict;
  GroupSummary group;
  group.name = name;
  group.linesKnown = plan.year.days > 0;
  group.linesNeeded = plan.linesNeededNow;
  group.linesInstalled = verdict.lines;
  group.outlook = verdict.outlook;
  if (verdict.outlook == LinesOutlook::kAlreadyShort) group.shortBy = verdict.shortBy;
  if (verdict.outlook == LinesOutlook::kRunsOut && verdict.runsOutAt >= 0) {
    const MonthPlan& out = plan.months[static_cast<size_t>(verdict.runsOutAt)];
    group.runsOutYear = out.year;
    group.runsOutMonth = out.month;
  }
  if (!plan.months.empty()) {
    group.lastYear = plan.months.back().year;
    group.lastMonth = plan.months.back().month;
  }
  group.blockingKnown = verdict.lines > 0 && group.linesKnown;
  if (group.blockingKnown) {
    group.blockingNow = verdict.blockingNow;
    group.replayed = verdict.replay.Made();
    if (group.replayed) group.blockingReplayed = verdict.replay.BusiestShare();
  }
  group.calls = plan.calls;
  return group;
}

void SortByUrgency(std::vector<GroupSummary>* groups) {
  // Smaller keys first: the outlook's rank, then within it the figure that
  // says how urgent.
  const auto key = [](const GroupSummary& g) {
    if (g.outlook == LinesOutlook::kAlreadyShort) return std::make_tuple(0, -g.shortBy);
    if (g.outlook == LinesOutlook::kRunsOut) return std::make_tuple(1, g.runsOutYear * 12 + g.runsOutMonth);
    return std::make_tuple(2, g.linesKnown ? -g.linesNeeded : 1);
  };
  std::sort(groups->begin(), groups->end(), [&key](const GroupSummary& a, const GroupSummary& b) {
    const auto ka = key(a), kb = key(b);
    return ka != kb ? ka < kb : a.name < b.name;
  });
}

std::string GroupShownName(const std::string& name) {
  if (name.empty()) return kNoGroupName;
  std::string shown;
  shown.reserve(name.size());
  for (const char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      shown += c;
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (c == '\r') {
      shown += "\\r";
    } else {
      shown += "\\x";
      shown += kHexDigits[byte >> 4];
      shown += kHexDigits[byte & 0xf];
    }
  }
  return shown;
}

GroupSummaryCells SummaryCells(const GroupSummary& group) {
  GroupSummaryCells cells;
  cells.linesNeeded = group.linesKnown ? std::to_string(group.linesNeeded) : "unknown";
  cells.installed = group.linesInstalled > 0 ? std::to_string(group.linesInstalled) : "-";
  cells.verdict = VerdictText(group);
  cells.blocking = "-";
  if (group.blockingKnown) {
    cells.blocking = ErlangBlockingText(group.blockingNow);
    if (group.replayed) cells.blocking += " (" + BlockingText(group.blockingReplayed) + " replayed)";
  }
  return cells;
}

std::string GroupsOverviewText(size_t groups, const PlanReportHeader& header) {
  return header.callsCounted + " in " + CountOf(static_cast<int64_t>(groups), "group", "groups") +
         ", the most urgent first; grade of service " + GradeText(header.gradePercent) + " blocking (" +
         GradeText(header.highGradePercent) + " at high load)";
}

std::vector<std::string> GroupSummaryLines(const std::vector<GroupSummary>& sorted, const PlanReportHeader& header,
                                           const std::string& groupedBy) {
  std::vector<std::string> lines;
  lines.push_back("Capacity plan for data source \"" + header.dataSource + "\" by " + groupedBy);
  lines.push_back(GroupsOverviewText(sorted.size(), header));
  const std::string titles[] = {"group", "lines needed now", "installed", "verdict", "blocking now"};
  std::vector<std::string> names;
  std::vector<GroupSummaryCells> rows;
  size_t nameWidth = titles[0].size(), verdictWidth = titles[3].size();
  for (const GroupSummary& group : sorted) {
    names.push_back(GroupShownName(group.name));
    rows.push_back(SummaryCells(group));
    nameWidth = std::max(nameWidth, std::min(ShownWidth(names.back()), kWidestGroupColumn));
    verdictWidth = std::max(verdictWidth, rows.back().verdict.size());
  }
  const auto line = [&](const std::string& name, const std::string& needed, const std::string& installed,
                        const std::string& verdict, const std::string& blocking) {
    std::string text = "  ";
    AddCell(name, nameWidth, &text);
    AddCell(needed, titles[1].size(), &text);
    AddCell(installed, titles[2].size(), &text);
    AddCell(verdict, verdictWidth, &text);
    text += blocking;
    return text;
  };
  lines.push_back(line(titles[0], titles[1], titles[2], titles[3], titles[4]));
  for (size_t i = 0; i < rows.size(); ++i) {
    const GroupSummaryCells& c = rows[i];
    lines.push_back(line(names[i], c.linesNeeded, c.installed, c.verdict, c.blocking));
  }
  return lines;
}
