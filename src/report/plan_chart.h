// The plan's chart, drawn by gnuplot from the plan's two CSV files (never
// from numbers of its own): the daily busy-hour traffic over the range, the
// monthly loads, the projection with the upper end of its interval and,
// when lines were given, their capacity as a horizontal line. Axes carry
// dates and Erlangs; the title names the data source.
//
// The picture is written to a temporary file beside the target and renamed
// into place, as the CSV files are.
#pragma once

#include <string>

struct ChartRequest {
  std::string daysCsv;    // days.csv and months.csv as report/plan_csv.h writes them
  std::string monthsCsv;
  std::string output;     // ends in ".png" or ".svg" (any case)
  std::string title;
  double capacity = 0.0;  // Erlangs; drawn when `lines` > 0
  int32_t lines = 0;
  double gradePercent = 1.0;
};

// True when `path` ends in an extension the chart can be written as.
bool IsChartPath(const std::string& path);

// Runs gnuplot (found on PATH) on the request. On failure returns false with
// a one-line reason in `error` (gnuplot's own messages go to standard error).
bool DrawPlanChart(const ChartRequest& request, std::string* error);
