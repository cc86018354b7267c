#include "report/plan_page.h"

#include <algorithm>
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

std::string Element(const char* tag, const std::string& text) {
  return std::string("<") + tag + ">" + HtmlText(text) + "</" + tag + ">";
}

void ReplaceAll(std::string* text, std::string_view from, const std::string& to) {
  for (size_t at = 0; (at = text->find(from, at)) != std::string::npos; at += to.size()) {
    text->replace(at, from.size(), to);
  }
}

std::string MonthName(const MonthPlan& month) { return MonthText(month.year, month.month, '/'); }

const char* GroupName(MonthKind kind) {
  switch (kind) {
    case MonthKind::kComplete: return "Complete months (measured)";
    case MonthKind::kPartial: return "Partial months (measured, left out of the trend)";
    case MonthKind::kProjected: return "Projected months (the forecast)";
  }
  return "";
}

void Header(const PlanPageRequest& request, std::span<const DayFigures> days, const CapacityPlan& plan,
            std::string* page) {
  const PlanReportHeader& header = request.header;
  *page += "<header>\n<h1>Capacity plan for data source &#8220;" + HtmlText(header.dataSource) + "&#8221;</h1>\n";
  *page += Element("p", header.callsCounted + " from " + DateText(days.front()) + " to " + DateText(days.back()) +
                            ": " + std::to_string(days.size()) + " days, " + CountText(plan.calls) +
                            " call records read; grade of service " + GradeText(header.gradePercent) + " blocking (" +
                            GradeText(header.highGradePercent) + " at high load)");
  if (plan.missingDays > 0) {
    *page += "\n" + Element("p", CountOf(plan.missingDays, "day had", "days had") + " no call records and " +
                                     (plan.missingDays == 1 ? "counts" : "count") + " as missing");
  }
  if (const std::string stale = StaleRecordsText(plan); !stale.empty()) *page += "\n" + Element("p", stale);
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

void Answer(const PlanPageRequest& request, std::span<const DayFigures> days, const CapacityPlan& plan,
            std::string* page) {
  *page += "<section class=\"answer\" aria-labelledby=\"answer\">\n<h2 id=\"answer\">The answer</h2>\n";
  ReportLines(PlanAnswerLines(request.header, days, plan), "now", page);
  *page += "</section>\n";
}

// The trend, the model the projected months follow and the track records.
void Projection(const PlanPageRequest& request, const CapacityPlan& plan, std::string* page) {
  *page += "<section aria-labelledby=\"projection\">\n<h2 id=\"projection\">Projection</h2>\n";
  ReportLines(PlanProjectionLines(request.header, plan), nullptr, page);
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

void Chart(const PlanPageRequest& request, const CapacityPlan& plan, std::string* page) {
  *page += "<section aria-labelledby=\"chart\">\n<h2 id=\"chart\">Lines needed, month by month</h2>\n<figure>\n";
  const std::string svg = InlineSvg(request.chartSvg, "lines-", "Chart of the lines needed in each month");
  if (!svg.empty()) *page += svg + "\n";
  *page += Element("figcaption", ChartInWords(plan)) + "\n</figure>\n</section>\n";
}

void Cell(const std::string& text, std::string* row) { *row += "<td>" + HtmlText(text) + "</td>"; }

void MonthsTable(const PlanPageRequest& request, const CapacityPlan& plan, std::string* page) {
  constexpr int kColumns = 15;
  *page +=
      "<section aria-labelledby=\"months\">\n<h2 id=\"months\">Months</h2>\n<table class=\"months\">\n"
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
    const MonthCells c = PlanMonthCells(month, request.header.callsCounted);
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
           HtmlText(GradeText(request.header.gradePercent)) + " and the high load at " +
           HtmlText(GradeText(request.header.highGradePercent)) +
           ", the more of the two (projected: at the reference loads' spread over the busiest month seen in the last "
           "year); upper: the upper end of the 95% prediction interval.</p>\n" +
           Element("p", BusyDaysText(plan) + ".") + "\n</section>\n";
}

void YearTable(const PlanPageRequest& request, std::span<const DayFigures> days, const CapacityPlan& plan,
               std::string* page) {
  const YearLoads& year = plan.year;
  if (year.days == 0) return;
  *page += "<section aria-labelledby=\"year\">\n<h2 id=\"year\">Reference loads of the year</h2>\n"
           "<table class=\"year\">\n";
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
  for (const Row& r : {Row{"Normal load", year.normal, year.normalDays, year.normalLines, request.header.gradePercent},
                       Row{"High load", year.high, year.highDays, year.highLines, request.header.highGradePercent}}) {
    std::string row = "<tr><th scope=\"row\">" + HtmlText(r.name) + "</th>";
    Cell(ErlangsText(r.erlangs), &row);
    Cell(std::to_string(r.days), &row);
    Cell(std::to_string(r.lines), &row);
    Cell(GradeText(r.grade), &row);
    *page += row + "</tr>\n";
  }
  *page += "</tbody>\n</table>\n</section>\n";
}

void Profile(const PlanPageRequest& request, const CapacityPlan& plan, std::string* page) {
  *page += "<section aria-labelledby=\"profile\">\n<h2 id=\"profile\">Busy-day profile</h2>\n";
  if (plan.lastComplete < 0) {
    *page += "<p>No busy-day profile: no complete month measured yet.</p>\n</section>\n";
    return;
  }
  const MonthPlan& last = plan.months[static_cast<size_t>(plan.lastComplete)];
  const MonthCells c = PlanMonthCells(last);
  *page += "<figure class=\"small\">\n";
  const std::string svg =
      InlineSvg(request.profileSvg, "profile-", "Chart of the mean traffic of each quarter hour in " + c.month);
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
  *page += "<section aria-labelledby=\"method\">\n<h2 id=\"method\">Method</h2>\n";
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

void Footer(const PlanPageRequest& request, std::span<const DayFigures> days, std::string* page) {
  const PlanReportHeader& header = request.header;
  *page += "<footer>\n<dl>\n";
  const std::pair<const char*, std::string> entries[] = {
      {"Data source", header.dataSource},
      {"Period", DateText(days.front()) + " to " + DateText(days.back()) + " (" + std::to_string(days.size()) +
                     " days, " + header.callsCounted + ")"},
      {"Grade of service", GradeText(header.gradePercent) + " blocking, " + GradeText(header.highGradePercent) +
                               " at high load"},
      {"Time zone", request.timeZone},
      {"Program", "nortesk-etp " + request.version},
  };
  for (const auto& [name, value] : entries) *page += Element("dt", name) + Element("dd", value) + "\n";
  *page += "</dl>\n</footer>\n";
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
  std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  page += "<meta name=\"generator\" content=\"nortesk-etp " + HtmlText(request.version) + "\">\n";
  page += Element("title", "Capacity plan: " + request.header.dataSource) + "\n";
  page += std::string("<style>") + kStyle + "</style>\n</head>\n<body>\n";
  if (!days.empty()) {
    Header(request, days, plan, &page);
    page += "<main>\n";
    Answer(request, days, plan, &page);
    Chart(request, plan, &page);
    MonthsTable(request, plan, &page);
    Projection(request, plan, &page);
    YearTable(request, days, plan, &page);
    Profile(request, plan, &page);
    Method(request, &page);
    page += "</main>\n";
    Footer(request, days, &page);
  }
  return page + "</body>\n</html>\n";
}

bool WritePlanPage(const std::string& path, const PlanPageRequest& request, std::span<const DayFigures> days,
                   const CapacityPlan& plan, std::string* error) {
  return WriteFileAtomically(path, PlanPageText(request, days, plan), error);
}
