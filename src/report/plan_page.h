// The capacity plan as one self-contained HTML5 page that a manager opens,
// prints and forwards: nothing in it is fetched (no script, font, image or
// style sheet from elsewhere) and the charts are inline SVG. Top to bottom:
// the answer block, the chart of the lines needed, the months table, the
// projection (trend, model and track records), the year's reference loads,
// the busy-day profile of the last complete month, the method in three
// sentences, and a footer naming the data source, the period, the grades
// of service, the time zone and the program's version.
// Every figure is the text of the report on standard output and of the CSV
// files (report/plan_report.h, report/plan_formats.h); every text reaches
// the page through HtmlText (report/html_text.h). A print style sheet keeps
// tables and charts whole on A4 and Letter pages where they fit.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "planning/capacity_plan.h"
#include "planning/day_figures.h"
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

// An SVG file as an element of a page: from its <svg> tag to its end (the
// XML declaration and anything else before it dropped), every id and every
// local reference to one ("#id", url(#id)) prefixed with `idPrefix` so that
// two charts in one page keep apart, and named `title` for a screen reader
// (role="img", its <title>). Empty when `svg` holds no <svg> element.
std::string InlineSvg(std::string_view svg, std::string_view idPrefix, std::string_view title);
