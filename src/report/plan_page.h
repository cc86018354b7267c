// The capacity plan as one self-contained HTML5 page that a manager opens,
// prints and forwards: nothing in it is fetched (no script, font, image or
// style sheet from elsewhere) and the charts are inline SVG. Top to bottom:
// the answer block, the chart of the lines needed, the months table, the
// projection (trend, model and track records), the year's reference loads,
// the busy-day profile of the last complete month, the method in three
// sentences, and a footer naming the data source, the period, the grades
// of service, the time zone and the program's version.
// A plan by groups has a page of its own (GroupedPlanPage).
// Every figure is the text of the report on standard output and of the CSV
// files (report/plan_report.h, report/plan_formats.h); every text reaches
// the page through HtmlText (report/html_text.h). A print style sheet keeps
// tables and charts whole on A4 and Letter pages where they fit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "planning/capacity_plan.h"
#include "planning/day_figures.h"
#include "report/group_summary.h"
#include "report/plan_report.h"

struct PlanPageRequest {
  PlanReportHeader header;
  std::string timeZone;    // as the footer names it: "TZ=Europe/Berlin"
  std::string version;     // the program's: "1.1.0"
  std::string chartSvg;    // gnuplot's SVG file of the lines panel; empty: no chart
  std::string profileSvg;  // and of the profile panel
};

// The page of `plan`, made from `days` (not empty).
std::string PlanPageText(const PlanPageRequest& request, std::span<const DayFigures> days, const CapacityPlan& plan);

// Writes the page to `path` whole or not at all (report/atomic_file.h); on
// failure false with a one-line reason in `error`.
bool WritePlanPage(const std::string& path, const PlanPageRequest& request, std::span<const DayFigures> days,
                   const CapacityPlan& plan, std::string* error);

// The page of a plan by groups (--group-by), made group by group as the
// plans are, so that it never holds more than one group's plan: a header
// naming the data source and the grouping; the groups' summary table, the
// most urgent first (report/group_summary.h), each name a link to its
// group's section; a section per group, in the order added, holding under
// a heading that names the group what the page of one plan holds from its
// answer to its busy-day profile; then the method and the footer once.
// Every id of a group's section and charts starts with "group-N-", N its
// place in the order added (from 1), never with its name; the section
// itself is "group-N". A group's name shows as kNoGroupName when empty.
//
// Call Begin, AddGroup for each group, then Finish: the page appears at
// `path` whole at Finish, or not at all. A call that fails returns false
// with a one-line reason in `error`, and every later call fails too. The
// sections made so far wait in a temporary file beside `path`, which
// Finish and the destructor remove.
class GroupedPlanPage {
 public:
  GroupedPlanPage() = default;
  GroupedPlanPage(const GroupedPlanPage&) = delete;
  GroupedPlanPage& operator=(const GroupedPlanPage&) = delete;
  ~GroupedPlanPage();

  // `request`'s charts are not used (each group brings its own);
  // `groupedBy` names the grouping: "CallerSiteNodeId:CalleeSiteNodeId".
  bool Begin(const std::string& path, const PlanPageRequest& request, const std::string& groupedBy,
             std::string* error);
  // The section of group `name`, whose plan `plan` is made from `days`,
  // with gnuplot's SVG files of its lines panel and its profile panel
  // (either empty: no chart).
  bool AddGroup(const std::string& name, std::span<const DayFigures> days, const CapacityPlan& plan,
                const std::string& chartSvg, const std::string& profileSvg, std::string* error);
  // Writes the page with the summary table of `sorted` (a name not added
  // is shown without a link).
  bool Finish(const std::vector<GroupSummary>& sorted, std::string* error);

 private:
  bool Fail(const std::string& reason, std::string* error);
  void Drop();

  std::string path_;
  PlanPageRequest request_;
  std::string groupedBy_;
  std::string sectionsPath_;
  std::FILE* sections_ = nullptr;
  std::map<std::string, int32_t> placeOf_;  // from 1, in the order added
  int32_t added_ = 0;
  std::string firstDay_, lastDay_;          // "YYYY-MM-DD" over every group's days
};

// An SVG file as an element of a page: from its <svg> tag to its end (the
// XML declaration and anything else before it dropped), every id and every
// local reference to one ("#id", url(#id)) prefixed with `idPrefix` so that
// two charts in one page keep apart, and named `title` for a screen reader
// (role="img", its <title>). Empty when `svg` holds no <svg> element.
std::string InlineSvg(std::string_view svg, std::string_view idPrefix, std::string_view title);
