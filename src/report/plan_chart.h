// The plan's chart, drawn by gnuplot from the plan's two CSV files (never
// from numbers of its own): the daily busy-hour traffic over the range, the
// monthly loads, the projection with the upper end of its interval and,
// when lines were given, their capacity as a horizontal line. Axes carry
// dates and Erlangs; the title names the data source.
//
// The picture is written to a temporary file beside the target and renamed
// into place, as the CSV files are. gnuplot gets every name as data, never
// as a command: file names as absolute paths in string literals
// (report/gnuplot_literal.h), so that no name can make it start a shell.
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
// a one-line reason in `error` (gnuplot's own messages go to standard error)
// and leaves `output` as it was: when a file name holds a control
// character, when gnuplot cannot run or fails, and when it ends without
// having drawn anything. A control character in the title shows as a space.
bool DrawPlanChart(const ChartRequest& request, std::string* error);
