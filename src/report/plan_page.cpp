#include "report/plan_page.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "planning/reference_loads.h"
#include "report/atomic_file.h"
#include "report/html_text.h"
#include "report/plan_csv.h"
#include "report/plan_formats.h"

namespace {

// Plain and printable: black on white, meaning carried by words, weight,
// italics and borders, never by colour alone; on paper the tables and
// charts stay whole where a page can hold them and a table's header row
// repeats on every page it runs over.
constexpr char kStyle[] = R"(
body { font: 11pt/1.4 "DejaVu Sans", "Liberation Sans", Arial, sans-serif; color: #111; background: #fff;
       max-width: 64rem; margin: 1.5rem auto; padding: 0 1rem; }
h1 { font-size: 1.5rem; margin-bottom: 0.2rem; }
h2 { font-size: 1.15rem; border-bottom: 1px solid #777; margin-top: 1.6rem; }
.answer { border: 3px double #111; padding: 0.3rem 1rem; }
.answer p { margin: 0.4rem 0; }
.answer .now { font-size: 1.2rem; font-weight: bold; }
.answer ul { margin: 0.2rem 0 0.4rem; }
figure { margin: 0.5rem 0; }
figure svg { display: block; width: 100%; height: auto; }
figure.small svg { width: 75%; }
figcaption { font-size: 0.95rem; }
table { border-collapse: collapse; font-size: 0.85rem; margin: 0.5rem 0; }
caption { text-align: left; font-weight: bold; padding: 0.2rem 0; }
th, td { border: 1px solid #888; padding: 0.1rem 0.35rem; vertical-align: top; }
thead th { background: #eee; text-align: center; }
td { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
td.text { text-align: left; white-space: normal; }
tbody th { text-align: left; font-weight: normal; white-space: nowrap; }
tbody th.group { font-weight: bold; background: #f4f4f4; border-top: 2px solid #111; }
tbody.partial td, tbody.partial th[scope=row] { font-style: italic; }
tbody.projected td, tbody.projected th[scope=row] { color: #333; }
footer { margin-top: 2rem; border-top: 1px solid #777; font-size: 0.9rem; }
footer dl { display: grid; grid-template-columns: max-content auto; gap: 0.1rem 1rem; }
footer dd { margin: 0; }
@page { size: auto; margin: 12mm; }
@media print {
  body { max-width: none; margin: 0; padding: 0; font-size: 9pt; }
  table { font-size: 7.5pt; }
  thead { display: table-header-group; }
  tr, figure, .answer, table.year, footer { break-inside: avoid; page-break-inside: avoid; }
  h2 { break-after: avoid; page-break-after: avoid; }
}
)";

// Where sections of the page go: the prefix of their ids (empty on the
// page of one plan, a group's on the page by groups, so that no id comes
// twice), the level of their headings, and the charts they show.
struct Placement {
  const PlanReportHeader& header;
  std::string ids;
  char level = '2';
  std::string_view chartSvg, profileSvg;
};

// On the page by groups each group's section starts apart, on paper on a
// page of its own, the headings inside it a level down.
constexpr char kGroupsStyle[] = R"(section.group { border-top: 3px double #111; margin-top: 2.5rem; }
section.group > h2 { border-bottom: none; }
h3 { font-size: 1rem; margin-top: 1.2rem; border-bottom: 1px solid #777; }
@media print {
  section.group { break-before: page; page-break-before: always; }
  h3 { break-after: avoid; page-break-after: avoid; }
}
)";

std::string Element(const char* tag, const std::string& text) {
  return std::string("<") + tag + ">" + HtmlText(text) + "</" + tag + ">";
}

void ReplaceAll(std::string* text, std::string_view from, const std::string& to) {
  for (size_t at = 0; (at = text->find(from, at)) != std::string::npos; at += to.size()) {
    text->replace(at, from.size(), to);
  }
}

std::string MonthName(const MonthPlan& month) { return MonthText(month.year, month.month, '/'); }

// A section's opening tag and its heading, the heading's id `id` under
// the placement's prefix.
std::string SectionStart(const Placement& at, const char* id, const char* title, const char* cssClass = nullptr) {
  const std::string ids = HtmlText(at.ids + id);
  const std::string level(1, at.level);
  return std::string("<section") + (cssClass != nullptr ? std::string(" class=\"") + cssClass + "\"" : "") +
         " aria-labelledby=\"" + ids + "\">\n<h" + level + " id=\"" + ids + "\">" + HtmlText(title) + "</h" +
         level + ">\n";
}

const char* GroupName(MonthKind kind) {
  switch (kind) {
    case MonthKind::kComplete: return "Complete months (measured)";
    case MonthKind::kPartial: return "Partial months (measured, left out of the trend)";
    case MonthKind::kProjected: return "Projected months (the forecast)";
  }
  return "";
}

// The missing days and stale records, a paragraph each, each after a line
// end.
void RecordNotes(const CapacityPlan& plan, std::string* page) {
  for (const std::string& note : {MissingDaysText(plan), StaleRecordsText(plan)}) {
    if (!note.empty()) *page += "\n" + Element("p", note);
  }
}

void Header(const PlanPageRequest& request, std::span<const DayFigures> days, const CapacityPlan& plan,
            std::string* page) {
  const PlanReportHeader& header = request.header;
  *page += "<header>\n<h1>Capacity plan for data source &#8220;" + HtmlText(header.dataSource) + "&#8221;</h1>\n";
  *page += Element("p", PlanPeriodText(header, days, plan) + "; grade of service " + GradeText(header.gradePercent) +
                            " blocking (" + GradeText(header.highGradePercent) + " at high load)");
  RecordNotes(plan, page);
  *page += "\n</header>\n";
}

// Lines of the report as the page shows them: a paragraph for each
// unindented one, the indented ones below it as a list; the report's line
// breaks inside a text are spaces here. The first paragraph may take a
// class.
void ReportLines(const std::vector<std::string>& lines, const char* firstClass, std::string* page) {
  bool inList = false, first = true;
  for (std::string line : lines) {
    std::replace(line.begin(), line.end(), '\n', ' ');
    const bool indented = line.rfind("  ", 0) == 0;
    if (indented && !inList) *page += "<ul>\n";
    if (!indented && inList) *page += "</ul>\n";
    inList = indented;
    if (indented) {
      *page += Element("li", line.substr(2)) + "\n";
    } else {
      *page += (first && firstClass != nullptr ? std::string("<p class=\"") + firstClass + "\">" : std::string("<p>")) +
               HtmlText(line) + "</p>\n";
    }
    first = false;
  }
  if (inList) *page += "</ul>\n";
}

void Answer(const Placement& at, std::span<const DayFigures> days, const CapacityPlan& plan, std::string* page) {
  *page += SectionStart(at, "answer", "The answer", "answer");
  ReportLines(PlanAnswerLines(at.header, days, plan), "now", page);
  *page += "</section>\n";
}

// The trend, the model the projected months follow and the track records.
void Projection(const Placement& at, const CapacityPlan& plan, std::string* page) {
  *page += SectionStart(at, "projection", "Projection");
  ReportLines(PlanProjectionLines(at.header, plan), nullptr, page);
  *page += "</section>\n";
}

// What the chart shows, in words, with the figures it is drawn from.
std::string ChartInWords(const CapacityPlan& plan) {
  std::string words =
      "The chart shows the lines needed in each month: complete months as a solid line with dots, partial months "
      "as squares, projected months as a dashed line with circles and the upper end of their 95% prediction "
      "interval as a dotted line; small dots are the peak calls of each busy day.";
  const LinesVerdict& verdict = plan.verdict;
  if (verdict.lines > 0) {
    words += " A solid horizontal line marks the " + std::to_string(verdict.lines) + " lines installed";
    if (verdict.runsOutAt >= 0) {
      words += ", and a dashed upright line the month they run out in, " +
               MonthName(plan.months[static_cast<size_t>(verdict.runsOutAt)]);
    }
    words += ".";
  }
  if (plan.lastComplete >= 0) {
    const MonthCells last = PlanMonthCells(plan.months[static_cast<size_t>(plan.lastComplete)]);
    words += " The last complete month, " + last.month + ", needs " + last.linesNeeded + " lines";
    if (plan.months.back().kind == MonthKind::kProjected) {
      const MonthCells end = PlanMonthCells(plan.months.back());
      words += "; the last projected month, " + end.month + ", needs " + end.linesNeeded + " (" +
               end.linesNeededUpper + " at the upper end)";
    }
    words += ".";
  }
  return words;
}

void Chart(const Placement& at, const CapacityPlan& plan, std::string* page) {
  *page += SectionStart(at, "chart", "Lines needed, month by month") + "<figure>\n";
  const std::string svg = InlineSvg(at.chartSvg, at.ids + "lines-", "Chart of the lines needed in each month");
  if (!svg.empty()) *page += svg + "\n";
  *page += Element("figcaption", ChartInWords(plan)) + "\n</figure>\n</section>\n";
}

void Cell(const std::string& text, std::string* row) { *row += "<td>" + HtmlText(text) + "</td>"; }

void MonthsTable(const Placement& at, const CapacityPlan& plan, std::string* page) {
  constexpr int kColumns = 15;
  *page += SectionStart(at, "months", "Months") +
           "<table class=\"months\">\n"
           "<caption>Measured months, oldest first, then the projected ones</caption>\n<thead><tr>"
           "<th scope=\"col\">Month</th><th scope=\"col\">Kind</th><th scope=\"col\">Days</th>"
           "<th scope=\"col\">Busy days</th><th scope=\"col\">Busy hour</th><th scope=\"col\">Carried (E)</th>"
           "<th scope=\"col\">Blocked</th><th scope=\"col\">Offered (E)</th><th scope=\"col\">High (E)</th>"
           "<th scope=\"col\">Upper (E)</th><th scope=\"col\">Peak calls</th><th scope=\"col\">Blocked calls</th>"
           "<th scope=\"col\">Lines</th><th scope=\"col\">Lines (upper)</th><th scope=\"col\">Partial because</th>"
           "</tr></thead>\n";
  // A group of rows for each run of months of one kind.
  for (size_t i = 0; i < plan.months.size(); ++i) {
    const MonthPlan& month = plan.months[i];
    if (i == 0 || plan.months[i - 1].kind != month.kind) {
      if (i > 0) *page += "</tbody>\n";
      *page += std::string("<tbody class=\"") + MonthKindName(month.kind) + "\"><tr><th class=\"group\" colspan=\"" +
               std::to_string(kColumns) + "\" scope=\"rowgroup\">" + HtmlText(GroupName(month.kind)) + "</th></tr>\n";
    }
    const MonthCells c = PlanMonthCells(month, at.header.callsCounted);
    std::string row = "<tr><th scope=\"row\"><time datetime=\"" +
                      HtmlText(MonthText(month.year, month.month, '-')) + "\">" + HtmlText(c.month) + "</time></th>";
    for (const std::string* cell : {&c.kind, &c.days, &c.busyDays, &c.busyHour, &c.carried}) Cell(*cell, &row);
    // The share as months.csv holds it beside the percentage shown.
    row += c.blocked.empty() ? "<td></td>"
                             : "<td><data value=\"" + HtmlText(ShareText(month.blockedShare)) + "\">" +
                                   HtmlText(c.blocked) + "</data></td>";
    for (const std::string* cell :
         {&c.offered, &c.high, &c.upper, &c.peakCalls, &c.blockedCalls, &c.linesNeeded, &c.linesNeededUpper}) {
      Cell(*cell, &row);
    }
    row += "<td class=\"text\">" + HtmlText(c.partialBecause) + "</td></tr>\n";
    *page += row;
  }
  if (!plan.months.empty()) *page += "</tbody>\n";
  *page += "</table>\n<p>Carried: the mean traffic of the month's time-consistent busy hour over its busy days; "
           "blocked: the share of the attempts in that hour that found every line busy; offered: carried scaled up "
           "by them; high: the mean of the " +
           std::to_string(kHighLoadDays) + " highest daily peak hours, each scaled alike; lines: Erlang B's for the "
           "reference loads of the 365 days ending with the month, the normal load at " +
           HtmlText(GradeText(at.header.gradePercent)) + " and the high load at " +
           HtmlText(GradeText(at.header.highGradePercent)) +
           ", the more of the two (projected: at the reference loads' spread over the busiest month seen in the last "
           "year); upper: the upper end of the 95% prediction interval.</p>\n" +
           Element("p", BusyDaysText(plan) + ".") + "\n</section>\n";
}

void YearTable(const Placement& at, std::span<const DayFigures> days, const CapacityPlan& plan, std::string* page) {
  const YearLoads& year = plan.year;
  if (year.days == 0) return;
  *page += SectionStart(at, "year", "Reference loads of the year") + "<table class=\"year\">\n";
  *page += Element("caption", "ITU-T E.500 reference loads, offered (E.501), over the " + std::to_string(year.days) +
                                  " days from " + DateText(days[static_cast<size_t>(year.firstIndex)]) + " to " +
                                  DateText(days[static_cast<size_t>(year.lastIndex)])) +
           "\n";
  *page += "<thead><tr><th scope=\"col\">Load</th><th scope=\"col\">Erlangs</th>"
           "<th scope=\"col\">Mean of the highest daily peak hours</th><th scope=\"col\">Lines</th>"
           "<th scope=\"col\">At blocking</th></tr></thead>\n<tbody>\n";
  struct Row {
    const char* name;
    double erlangs;
    int32_t days, lines;
    double grade;
  };
  for (const Row& r : {Row{"Normal load", year.normal, year.normalDays, year.normalLines, at.header.gradePercent},
                       Row{"High load", year.high, year.highDays, year.highLines, at.header.highGradePercent}}) {
    std::string row = "<tr><th scope=\"row\">" + HtmlText(r.name) + "</th>";
    Cell(ErlangsText(r.erlangs), &row);
    Cell(std::to_string(r.days), &row);
    Cell(std::to_string(r.lines), &row);
    Cell(GradeText(r.grade), &row);
    *page += row + "</tr>\n";
  }
  *page += "</tbody>\n</table>\n</section>\n";
}

void Profile(const Placement& at, const CapacityPlan& plan, std::string* page) {
  *page += SectionStart(at, "profile", "Busy-day profile");
  if (plan.lastComplete < 0) {
    *page += "<p>No busy-day profile: no complete month measured yet.</p>\n</section>\n";
    return;
  }
  const MonthPlan& last = plan.months[static_cast<size_t>(plan.lastComplete)];
  const MonthCells c = PlanMonthCells(last);
  *page += "<figure class=\"small\">\n";
  const std::string svg =
      InlineSvg(at.profileSvg, at.ids + "profile-", "Chart of the mean traffic of each quarter hour in " + c.month);
  if (!svg.empty()) *page += svg + "\n";
  std::string words = "The mean traffic of each quarter hour of the day over the " + c.busyDays + " busy days of " +
                      c.month + ", the last complete month";
  if (!c.busyHour.empty()) {
    words += "; its time-consistent busy hour starts at " + c.busyHour + " and carries " + c.carried + " E";
  }
  *page += Element("figcaption", words + ".") + "\n</figure>\n</section>\n";
}

void Method(const PlanPageRequest& request, std::string* page) {
  const PlanReportHeader& header = request.header;
  *page += SectionStart(Placement{header, "", '2', {}, {}}, "method", "Method");
  *page += Element("p",
                   "Each day's peak hour, its four consecutive quarter hours with the most traffic, is scaled up "
                   "by the share of its call attempts that found every line busy to give its offered traffic "
                   "(ITU-T E.501). The reference loads of a year of days are the means of its " +
                       std::to_string(kNormalLoadDays) + " and " + std::to_string(kHighLoadDays) +
                       " highest offered peak hours, the normal and the high load of ITU-T Recommendation E.500. "
                       "The lines needed, now and in each month, are Erlang B's for the normal load of the 365 "
                       "days ending then at " +
                       GradeText(header.gradePercent) + " blocking and for its high load at " +
                       GradeText(header.highGradePercent) +
                       ", the more of the two (ITU-T E.520). Each month's busy hour is the clock hour with the most "
                       "traffic over its busy days, the time-consistent busy hour of E.500, and its offered load "
                       "is what the forecast projects. The complete months' offered loads are projected " +
                       std::to_string(header.horizonMonths) +
                       " months ahead, with the upper end of a 95% interval, by the model with the best track record "
                       "(ITU-T E.507): a straight trend, the trend with monthly season factors, or Holt-Winters with "
                       "a damped trend.");
  *page += "\n</section>\n";
}

// `period`: "2025-01-01 to 2026-01-09 (374 days, Trunk calls)".
void Footer(const PlanPageRequest& request, const std::string& period, std::string* page) {
  const PlanReportHeader& header = request.header;
  *page += "<footer>\n<dl>\n";
  const std::pair<const char*, std::string> entries[] = {
      {"Data source", header.dataSource},
      {"Period", period},
      {"Grade of service", GradeText(header.gradePercent) + " blocking, " + GradeText(header.highGradePercent) +
                               " at high load"},
      {"Time zone", request.timeZone},
      {"Program", "nortesk-etp " + request.version},
  };
  for (const auto& [name, value] : entries) *page += Element("dt", name) + Element("dd", value) + "\n";
  *page += "</dl>\n</footer>\n";
}

// The page up to and with its <body> tag.
std::string Head(const PlanPageRequest& request, const std::string& title, const char* moreStyle) {
  std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  page += "<meta name=\"generator\" content=\"nortesk-etp " + HtmlText(request.version) + "\">\n";
  page += Element("title", title) + "\n";
  return page + "<style>" + kStyle + moreStyle + "</style>\n</head>\n<body>\n";
}

// The page's account of one plan, from the answer to the busy-day profile.
void Body(const Placement& at, std::span<const DayFigures> days, const CapacityPlan& plan, std::string* page) {
  Answer(at, days, plan, page);
  Chart(at, plan, page);
  MonthsTable(at, plan, page);
  Projection(at, plan, page);
  YearTable(at, days, plan, page);
  Profile(at, plan, page);
}

}  // namespace

std::string InlineSvg(std::string_view svg, std::string_view idPrefix, std::string_view title) {
  const size_t start = svg.find("<svg");
  const size_t end = svg.rfind("</svg>");
  if (start == std::string_view::npos || end == std::string_view::npos || end < start) return "";
  std::string element(svg.substr(start, end + 6 - start));
  const std::string prefix = HtmlText(idPrefix);
  for (const char* quote : {"'", "\""}) {
    ReplaceAll(&element, std::string("id=") + quote, std::string("id=") + quote + prefix);
    ReplaceAll(&element, std::string("href=") + quote + "#", std::string("href=") + quote + "#" + prefix);
  }
  ReplaceAll(&element, "url(#", "url(#" + prefix);
  const std::string name = HtmlText(title);
  const size_t open = element.find("<title>");
  const size_t close = element.find("</title>");
  if (open != std::string::npos && close != std::string::npos && close > open) {
    element.replace(open, close - open, "<title>" + name);
  }
  element.insert(4, " role=\"img\" aria-label=\"" + name + "\"");
  return element;
}

std::string PlanPageText(const PlanPageRequest& request, std::span<const DayFigures> days, const CapacityPlan& plan) {
  std::string page = Head(request, "Capacity plan: " + request.header.dataSource, "");
  if (!days.empty()) {
    Header(request, days, plan, &page);
    page += "<main>\n";
    Body(Placement{request.header, "", '2', request.chartSvg, request.profileSvg}, days, plan, &page);
    Method(request, &page);
    page += "</main>\n";
    Footer(request,
           DateText(days.front()) + " to " + DateText(days.back()) + " (" + std::to_string(days.size()) + " days, " +
               request.header.callsCounted + ")",
           &page);
  }
  return page + "</body>\n</html>\n";
}

bool WritePlanPage(const std::string& path, const PlanPageRequest& request, std::span<const DayFigures> days,
                   const CapacityPlan& plan, std::string* error) {
  return WriteFileAtomically(path, PlanPageText(request, days, plan), error);
}

namespace {

std::string ShownName(const std::string& name) { return name.empty() ? kNoGroupName : name; }

std::string GroupIds(int32_t place) { return "group-" + std::to_string(place); }

void SummaryTable(const std::vector<GroupSummary>& sorted, const std::map<std::string, int32_t>& placeOf,
                  std::string* page) {
  *page += "<section aria-labelledby=\"groups\">\n<h2 id=\"groups\">Groups, the most urgent first</h2>\n"
           "<table class=\"groups\">\n<thead><tr><th scope=\"col\">Group</th><th scope=\"col\">Lines needed now</th>"
           "<th scope=\"col\">Installed</th><th scope=\"col\">Verdict</th><th scope=\"col\">Blocking now</th>"
           "</tr></thead>\n<tbody>\n";
  for (const GroupSummary& group : sorted) {
    const auto place = placeOf.find(group.name);
    const std::string name = HtmlText(ShownName(group.name));
    *page += "<tr><th scope=\"row\">" +
             (place == placeOf.end() ? name : "<a href=\"#" + GroupIds(place->second) + "\">" + name + "</a>") +
             "</th>";
    const GroupSummaryCells c = SummaryCells(group);
    Cell(c.linesNeeded, page);
    Cell(c.installed, page);
    *page += "<td class=\"text\">" + HtmlText(c.verdict) + "</td>";
    Cell(c.blocking, page);
    *page += "</tr>\n";
  }
  *page += "</tbody>\n</table>\n</section>\n";
}

// Appends what `in` holds, from its start, to `out`; false when either
// fails.
bool CopyInto(std::FILE* in, std::FILE* out) {
  if (std::fflush(in) != 0 || std::fseek(in, 0, SEEK_SET) != 0) return false;
  char buffer[1 << 16];
  for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, in)) > 0;) {
    if (std::fwrite(buffer, 1, read, out) != read) return false;
  }
  return std::ferror(in) == 0;
}

}  // namespace

GroupedPlanPage::~GroupedPlanPage() { Drop(); }

void GroupedPlanPage::Drop() {
  if (sections_ != nullptr) std::fclose(sections_);
  sections_ = nullptr;
  if (!sectionsPath_.empty()) std::remove(sectionsPath_.c_str());
  sectionsPath_.clear();
}

bool GroupedPlanPage::Fail(const std::string& reason, std::string* error) {
  *error = reason;
  Drop();
  return false;
}

bool GroupedPlanPage::Begin(const std::string& path, const PlanPageRequest& request, const std::string& groupedBy,
                            std::string* error) {
  Drop();
  path_ = path;
  request_ = request;
  request_.chartSvg.clear();
  request_.profileSvg.clear();
  groupedBy_ = groupedBy;
  placeOf_.clear();
  added_ = 0;
  firstDay_.clear();
  lastDay_.clear();
  sectionsPath_ = MakeTemporaryBeside(path, error);
  if (sectionsPath_.empty()) return false;
  sections_ = std::fopen(sectionsPath_.c_str(), "w+b");
  if (sections_ == nullptr) return Fail("cannot write " + sectionsPath_ + ": " + std::strerror(errno), error);
  return true;
}

bool GroupedPlanPage::AddGroup(const std::string& name, std::span<const DayFigures> days, const CapacityPlan& plan,
                               const std::string& chartSvg, const std::string& profileSvg, std::string* error) {
  if (sections_ == nullptr) return Fail("the page " + path_ + " is not begun", error);
  const int32_t place = ++added_;
  placeOf_.emplace(name, place);
  const std::string ids = GroupIds(place);
  std::string section = "<section class=\"group\" id=\"" + ids + "\" aria-labelledby=\"" + ids + "-name\">\n<h2 id=\"" +
                        ids + "-name\">" + HtmlText("Group " + ShownName(name)) + "</h2>\n";
  if (!days.empty()) {
    const std::string first = DateText(days.front()), last = DateText(days.back());
    if (firstDay_.empty() || first < firstDay_) firstDay_ = first;
    if (lastDay_.empty() || last > lastDay_) lastDay_ = last;
    section += Element("p", PlanPeriodText(request_.header, days, plan));
    RecordNotes(plan, &section);
    section += "\n";
    Body(Placement{request_.header, ids + "-", '3', chartSvg, profileSvg}, days, plan, &section);
  }
  section += "</section>\n";
  if (std::fwrite(section.data(), 1, section.size(), sections_) != section.size()) {
    return Fail("cannot write " + sectionsPath_ + ": " + std::strerror(errno), error);
  }
  return true;
}

bool GroupedPlanPage::Finish(const std::vector<GroupSummary>& sorted, std::string* error) {
  if (sections_ == nullptr) return Fail("the page " + path_ + " is not begun", error);
  const PlanReportHeader& header = request_.header;
  std::string page = Head(request_, "Capacity plan by " + groupedBy_ + ": " + header.dataSource, kGroupsStyle);
  page += "<header>\n<h1>Capacity plan for data source &#8220;" + HtmlText(header.dataSource) + "&#8221; by " +
          HtmlText(groupedBy_) + "</h1>\n" + Element("p", GroupsOverviewText(sorted.size(), header)) +
          "\n</header>\n<main>\n";
  SummaryTable(sorted, placeOf_, &page);
  std::string tail;
  Method(request_, &tail);
  tail += "</main>\n";
  const std::string groups = CountOf(added_, "group", "groups");
  Footer(request_,
         firstDay_.empty() ? header.callsCounted + ", " + groups + ", no days of records"
                           : firstDay_ + " to " + lastDay_ + " (" + header.callsCounted + ", " + groups + ")",
         &tail);
  tail += "</body>\n</html>\n";

  const std::string temporary = MakeTemporaryBeside(path_, error);
  if (temporary.empty()) return Fail(*error, error);
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  bool written = out != nullptr && std::fwrite(page.data(), 1, page.size(), out) == page.size() &&
                 CopyInto(sections_, out) && std::fwrite(tail.data(), 1, tail.size(), out) == tail.size();
  // A full disk may only show when the buffer goes out at fclose.
  if (out != nullptr && std::fclose(out) != 0) written = false;
  if (!written) {
    const std::string reason = "cannot write " + path_ + ": " + std::strerror(errno);
    std::remove(temporary.c_str());
    return Fail(reason, error);
  }
  Drop();
  return RenameIntoPlace(temporary, path_, error);
}
