// The plan's page: it carries the report's answer and every figure of
// months.csv as the same text, shows data as text only, keeps its two
// charts' ids apart and is HTML that a parser takes without complaint; and
// in a real browser (Debian's chromium, headless) its document, its
// picture and its print. The browser cases skip, saying why, only when
// chromium is not installed or cannot start.
#include "report/plan_page.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "report/html_text.h"
#include "report/plan_chart.h"
#include "report/plan_csv.h"
#include "support/plan_years.h"
#include "support/tool_runner.h"

namespace {

PlanPageRequest Page(const std::string& dataSource) {
  PlanPageRequest page;
  page.header.dataSource = dataSource;
  page.header.callsCounted = "Trunk calls";
  page.timeZone = "TZ=Europe/Berlin";
  page.version = "9.9.9";
  const std::string svg =
      "<?xml version=\"1.0\"?>\n<svg viewBox='0 0 10 10'>\n<title>Gnuplot</title>\n<defs><circle id='gpDot' r='1'/>"
      "</defs>\n<g id=\"gnuplot_canvas\"><use xlink:href='#gpDot'/><rect fill='url(#gpDot)'/></g>\n</svg>\n";
  page.chartSvg = svg;
  page.profileSvg = svg;
  return page;
}

std::vector<std::vector<std::string>> CsvRecords(const std::string& text) {
  std::vector<std::vector<std::string>> records;
  std::stringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::stringstream record(line + ",");
    for (std::string field; std::getline(record, field, ',');) fields.push_back(field);
    records.push_back(fields);
  }
  return records;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every figure of months.csv (a field with a digit in it) and the kind, as
// the file holds them, in its month's row of `page`: a cell of its own, the
// month as the row's date, the blocked share as the value of the
// percentage shown.
void ExpectMonthsCsvInRows(const std::string& page, const std::string& monthsCsv) {
  const auto records = CsvRecords(monthsCsv);
  ASSERT_GT(records.size(), 1u);
  for (size_t r = 1; r < records.size(); ++r) {
    const std::vector<std::string>& fields = records[r];
    const size_t at = page.find("<time datetime=\"" + fields[0] + "\">");
    ASSERT_NE(at, std::string::npos) << fields[0];
    const std::string row = page.substr(at, page.find("</tr>", at) - at);
    for (size_t f = 1; f < fields.size(); ++f) {
      const bool figure = fields[f].find_first_of("0123456789") != std::string::npos;
      if (!figure && records[0][f] != "kind") continue;
      const std::string cell = records[0][f] == "blocked_share" ? "<data value=\"" + fields[f] + "\">"
                                                                : "<td>" + fields[f] + "</td>";
      EXPECT_NE(row.find(cell), std::string::npos) << fields[0] << " " << records[0][f] << ": " << row;
    }
  }
}

// Runs of white space as one space, for text that a layout may break.
std::string OneLine(const std::string& text) {
  std::string line;
  for (const char c : text) {
    const bool space = c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f';
    if (!space) line += c;
    else if (!line.empty() && line.back() != ' ') line += ' ';
  }
  return line;
}

// The ids of the elements of `page`, each expected once.
std::set<std::string> IdsOnce(const std::string& page) {
  std::set<std::string> ids;
  for (size_t at = page.find("id="); at != std::string::npos; at = page.find("id=", at + 3)) {
    const char quote = page[at + 3];
    if (!std::isspace(static_cast<unsigned char>(page[at - 1])) || (quote != '"' && quote != '\'')) continue;
    const std::string value = page.substr(at + 4, page.find(quote, at + 4) - (at + 4));
    EXPECT_TRUE(ids.insert(value).second) << "id twice: " << value;
  }
  return ids;
}

class PlanPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    days_ = GrowingYear();
    // One line more than needed now: they run out on the trend.
    plan_ = MakeCapacityPlan(days_,
                             GrowingYearRequest(MakeCapacityPlan(days_, GrowingYearRequest(0)).linesNeededNow + 1));
    dir_ = ::testing::TempDir() + "plan-page-" + std::to_string(getpid());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::vector<DayFigures> days_;
  CapacityPlan plan_;
  std::string dir_;
};

TEST_F(PlanPageTest, EveryFigureOfMonthsCsvIsInItsMonthsRowAsTheSameText) {
  ASSERT_EQ(plan_.verdict.outlook, LinesOutlook::kRunsOut);
  std::string error;
  ASSERT_TRUE(WriteMonthsCsv(dir_, plan_, &error)) << error;
  const std::string page = PlanPageText(Page("Logger"), days_, plan_);
  const std::string csv = ReadFile(dir_ + "/" + kMonthsCsvName);
  ExpectMonthsCsvInRows(page, csv);
  std::set<std::string> kinds;
  for (const auto& record : CsvRecords(csv)) kinds.insert(record[1]);
  EXPECT_EQ(kinds, (std::set<std::string>{"kind", "complete", "partial", "projected"}));
  // Each run of months of one kind is a group of rows of its own.
  EXPECT_NE(page.find("<tbody class=\"partial\">"), std::string::npos);
  EXPECT_NE(page.find("<tbody class=\"projected\">"), std::string::npos);
}

TEST_F(PlanPageTest, TheAnswerIsTheReportsAnswerLineByLine) {
  const PlanPageRequest request = Page("Logger");
  const std::string page = PlanPageText(request, days_, plan_);
  const std::vector<std::string> lines = PlanAnswerLines(request.header, days_, plan_);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_NE(page.find("<p class=\"now\">" + HtmlText(lines[0]) + "</p>"), std::string::npos) << lines[0];
  for (const std::string& line : lines) EXPECT_NE(page.find(HtmlText(line.substr(line.rfind("  ", 0) == 0 ? 2 : 0))),
                                                  std::string::npos)
      << line;
  // Which days the months' busy days are, as the report says it.
  EXPECT_NE(page.find(HtmlText(BusyDaysText(plan_))), std::string::npos);
}

TEST_F(PlanPageTest, StaleRecordsAndTheProjectionAreSaidAsInTheReport) {
  PlanRequest later = GrowingYearRequest(0);
  later.currentYear = 2027;  // a year after the records end
  const CapacityPlan plan = MakeCapacityPlan(days_, later);
  const PlanPageRequest request = Page("Logger");
  const std::string page = PlanPageText(request, days_, plan);
  ASSERT_FALSE(StaleRecordsText(plan).empty());
  EXPECT_NE(page.find("<p>" + HtmlText(StaleRecordsText(plan)) + "</p>"), std::string::npos);
  const std::vector<std::string> lines = PlanProjectionLines(request.header, plan);
  ASSERT_GE(lines.size(), 2u);
  for (std::string line : lines) {
    std::replace(line.begin(), line.end(), '\n', ' ');
    EXPECT_NE(page.find(HtmlText(line.substr(line.rfind("  ", 0) == 0 ? 2 : 0))), std::string::npos) << line;
  }
}

TEST_F(PlanPageTest, DataIsShownAsTextAndNothingIsFetchedOrRun) {
  const std::string page = PlanPageText(Page("<script>alert(1)</script>\"'&"), days_, plan_);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;&quot;&#39;&amp;"), std::string::npos);
  for (const char* fetch : {"src=", "<link", "<img", "@import", "url(http", "<iframe", "<object"}) {
    EXPECT_EQ(page.find(fetch), std::string::npos) << fetch;
  }
  // Both charts inline, without their XML declarations, ids kept apart.
  EXPECT_EQ(page.find("<?xml"), std::string::npos);
  const std::set<std::string> ids = IdsOnce(page);
  EXPECT_TRUE(ids.count("lines-gpDot") && ids.count("profile-gpDot"));
  EXPECT_NE(page.find("xlink:href='#profile-gpDot'"), std::string::npos);
  EXPECT_NE(page.find("url(#profile-gpDot)"), std::string::npos);
  EXPECT_EQ(page.find("<title>Gnuplot"), std::string::npos);
}

TEST_F(PlanPageTest, APageByGroupsShowsTheirNamesAsTextAndEachGroupApart) {
  const std::string script = "<script>\"x\"";
  const std::string wide = std::string(290, 'w') + "<&>\"'wwwww";
  const CapacityPlan noLines = MakeCapacityPlan(days_, GrowingYearRequest(0));
  const PlanPageRequest request = Page("Logger");
  const std::string path = dir_ + "/groups.html";
  std::string error;
  GroupedPlanPage grouped;
  ASSERT_TRUE(grouped.Begin(path, request, "TargetTenant", &error)) << error;
  ASSERT_TRUE(grouped.AddGroup(script, days_, plan_, request.chartSvg, request.profileSvg, &error)) << error;
  ASSERT_TRUE(grouped.AddGroup(wide, days_, noLines, request.chartSvg, request.profileSvg, &error)) << error;
  // Listed in the other order than added: each link still finds its own.
  ASSERT_TRUE(grouped.Finish({SummaryOfGroup(wide, noLines), SummaryOfGroup(script, plan_)}, &error)) << error;
  // The page alone beside it: the sections' file is gone.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) files.push_back(entry.path().filename());
  EXPECT_EQ(files, std::vector<std::string>{"groups.html"});

  const std::string page = ReadFile(path);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  const std::set<std::string> ids = IdsOnce(page);
  EXPECT_TRUE(ids.count("group-1-lines-gpDot") && ids.count("group-2-profile-gpDot"));
  EXPECT_NE(page.find("xlink:href='#group-2-profile-gpDot'"), std::string::npos);
  for (const auto& [name, plan] : {std::pair<std::string, const CapacityPlan*>{script, &plan_}, {wide, &noLines}}) {
    const std::string link = "\">" + HtmlText(name) + "</a>";
    const size_t row = page.find(link);
    ASSERT_NE(row, std::string::npos) << name;
    const size_t href = page.rfind("<a href=\"#", row) + 10;
    const std::string anchor = page.substr(href, row - href);
    const size_t start = page.find("<section class=\"group\" id=\"" + anchor + "\"");
    ASSERT_NE(start, std::string::npos) << anchor;
    const size_t next = page.find("<section class=\"group\"", start + 1);
    const std::string section =
        page.substr(start, (next == std::string::npos ? page.find("id=\"method\"") : next) - start);
    EXPECT_NE(section.find(">Group " + HtmlText(name) + "</h2>"), std::string::npos) << anchor;
    for (const std::string& line : PlanAnswerLines(request.header, days_, *plan)) {
      EXPECT_NE(section.find(HtmlText(line.substr(line.rfind("  ", 0) == 0 ? 2 : 0))), std::string::npos) << line;
    }
    EXPECT_EQ(section.find("installed:") != std::string::npos, plan->verdict.lines > 0) << anchor;
  }
}

TEST_F(PlanPageTest, AnHtmlParserFindsNothingButTheHtml5ElementsItDoesNotKnow) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "xmllint not installed (libxml2-utils; scripts/setup installs it)";
  }
  std::string error;
  const std::string path = dir_ + "/plan.html";
  ASSERT_TRUE(WritePlanPage(path, Page("<b>Logger</b> & Co"), days_, plan_, &error)) << error;
  const std::string messages = dir_ + "/xmllint.txt";
  std::system(("xmllint --html --noout '" + path + "' 2>'" + messages + "'").c_str());
  // libxml2's HTML parser knows HTML 4 only; SVG and the HTML5 elements are
  // the only names it may call invalid.
  const std::set<std::string> known = {"svg",    "title",  "desc",    "g",    "defs",    "circle", "path",
                                       "rect",   "use",    "text",    "polyline", "polygon", "line", "header",
                                       "main",   "section", "footer", "figure", "figcaption", "time", "data"};
  std::stringstream lines(ReadFile(messages));
  for (std::string line; std::getline(lines, line);) {
    if (line.find("HTML parser error") == std::string::npos) continue;
    const size_t tag = line.find("Tag ");
    const size_t invalid = line.find(" invalid", tag);
    const bool named = tag != std::string::npos && invalid != std::string::npos;
    EXPECT_TRUE(named && known.count(line.substr(tag + 4, invalid - tag - 4)) == 1) << line;
  }
}

TEST(InlineSvgTest, WithoutAnSvgElementThereIsNoChart) {
  EXPECT_EQ(InlineSvg("", "a-", "t"), "");
  EXPECT_EQ(InlineSvg("<?xml version=\"1.0\"?><html></html>", "a-", "t"), "");
  EXPECT_EQ(InlineSvg("<svg><title>G</title></svg>", "a-", "<x>"),
            "<svg role=\"img\" aria-label=\"&lt;x&gt;\"><title>&lt;x&gt;</title></svg>");
}

// The page as the command writes it, charts drawn by gnuplot, opened by
// chromium: each case runs the browser once.
class PlanPageBrowserTest : public PlanPageTest {
 protected:
  void SetUp() override {
    PlanPageTest::SetUp();
    for (const char* directory : {"/usr/bin", "/usr/local/bin", "/bin"}) {
      if (access((std::string(directory) + "/chromium").c_str(), X_OK) == 0) chromium_ = directory + std::string("/chromium");
    }
    if (chromium_.empty()) GTEST_SKIP() << "chromium is not installed (scripts/setup installs Debian's chromium)";
    std::string error;
    ASSERT_TRUE(WriteDaysCsv(dir_, days_, plan_, &error) && WriteMonthsCsv(dir_, plan_, &error) &&
                WriteProfileCsv(dir_, plan_, &error))
        << error;
    request_ = Page("<script>alert(1)</script>");
    for (const auto& [panels, svg] : {std::pair{ChartPanels::kLines, &request_.chartSvg},
                                      std::pair{ChartPanels::kProfile, &request_.profileSvg}}) {
      ChartRequest chart;
      chart.daysCsv = dir_ + "/" + kDaysCsvName;
      chart.monthsCsv = dir_ + "/" + kMonthsCsvName;
      chart.profileCsv = dir_ + "/" + kProfileCsvName;
      chart.output = dir_ + "/chart.svg";
      chart.lines = plan_.verdict.lines;
      chart.profileMonth = "2026-01";
      chart.panels = panels;
      ASSERT_TRUE(DrawPlanChart(chart, &error)) << error;
      *svg = ReadFile(chart.output);
    }
    page_ = dir_ + "/plan.html";
    ASSERT_TRUE(WritePlanPage(page_, request_, days_, plan_, &error)) << error;
  }

  // Runs headless chromium on the page with `arguments`; skips the case
  // when the browser cannot start.
  ToolRun Browse(std::vector<std::string> arguments) {
    ToolOptions options;
    options.program = chromium_;
    options.frozenClock = "";
    options.arguments = {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                         "--disable-background-networking", "--disable-component-update", "--disable-sync",
                         "--user-data-dir=" + dir_ + "/profile"};
    arguments.push_back("file://" + page_);
    options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
    return RunTool("", options);
  }

  std::string chromium_;
  PlanPageRequest request_;
  std::string page_;
};

#define BROWSE_OR_SKIP(run, ...)                                                                           \
  const ToolRun run = Browse(__VA_ARGS__);                                                                 \
  if ((run).status != 0) GTEST_SKIP() << "chromium cannot start here (status " << (run).status << "): " \
                                      << (run).err.substr(0, 2000)

TEST_F(PlanPageBrowserTest, TheDocumentHoldsTheAnswerAndEveryFigureOfMonthsCsv) {
  BROWSE_OR_SKIP(run, {"--dump-dom"});
  const std::string dom = run.out;
  for (const std::string& line : PlanAnswerLines(request_.header, days_, plan_)) {
    // The browser writes text back with only &, < and > as entities.
    std::string text = line.substr(line.rfind("  ", 0) == 0 ? 2 : 0);
    for (const auto& [from, to] : {std::pair{"&", "&amp;"}, {"<", "&lt;"}, {">", "&gt;"}}) {
      for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += 2) text.replace(at, 1, to);
    }
    EXPECT_NE(dom.find(text), std::string::npos) << line;
  }
  ExpectMonthsCsvInRows(dom, ReadFile(dir_ + "/" + kMonthsCsvName));
  // The hostile name stayed text: no script element came of it.
  EXPECT_EQ(dom.find("<script"), std::string::npos);
  EXPECT_NE(dom.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(dom.find("<svg"), std::string::npos);
}

TEST_F(PlanPageBrowserTest, AScreenshotOfThePageIsNotBlank) {
  const std::string shot = dir_ + "/shot.png";
  BROWSE_OR_SKIP(run, {"--window-size=800,600", "--hide-scrollbars", "--screenshot=" + shot});
  const std::string counter = std::string(NORTESK_SOURCE_DIR) + "/tests/support/png_colours.py";
  const std::string counted = dir_ + "/colours.txt";
  ASSERT_EQ(std::system(("python3 '" + counter + "' '" + shot + "' >'" + counted + "'").c_str()), 0);
  std::stringstream numbers(ReadFile(counted));
  int colours = 0;
  double share = 0.0;
  numbers >> colours >> share;
  // Text and the answer's frame on white: many colours, and more than a
  // few pixels that are not the background's.
  EXPECT_GT(colours, 16);
  EXPECT_GT(share, 0.02);
}

TEST_F(PlanPageBrowserTest, ThePrintedPageHoldsTheAnswerLine) {
  const std::string pdf = dir_ + "/plan.pdf";
  BROWSE_OR_SKIP(run, {"--no-pdf-header-footer", "--print-to-pdf=" + pdf});
  const std::string text = dir_ + "/plan.txt";
  ASSERT_EQ(std::system(("pdftotext '" + pdf + "' '" + text + "'").c_str()), 0) << "pdftotext (poppler-utils)";
  const std::string answer = PlanAnswerLines(request_.header, days_, plan_).front();
  ASSERT_EQ(answer.rfind("Lines needed now: ", 0), 0u);
  EXPECT_NE(OneLine(ReadFile(text)).find(answer), std::string::npos) << answer;
}

}  // namespace
