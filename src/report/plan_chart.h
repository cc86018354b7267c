// The plan's chart, drawn by gnuplot from the plan's CSV files (never from
// numbers of its own), in lines as a manager reads it. Above: the peak
// calls of each busy day, the lines needed of each month (complete months
// joined, partial ones apart), the projection and the upper end of its
// interval, and, when lines were given, the installed lines and the month
// they run out in, marked and labelled. Below: the busy-day profile of one
// month, the mean traffic of each quarter hour. The title names the data
// source.
//
// The picture is written to a temporary file beside the target and renamed
// into place, as the CSV files are. gnuplot gets every name as data, never
// as a command: file names as absolute paths in string literals
// (report/gnuplot_literal.h), so that no name can make it start a shell.
#pragma once

#include <cstdint>
#include <string>

// The panels drawn: both, one above the other, or either alone.
enum class ChartPanels { kBoth, kLines, kProfile };

struct ChartRequest {
  std::string daysCsv;    // days.csv, months.csv and profile.csv as report/plan_csv.h writes them
  std::string monthsCsv;
  std::string profileCsv;
  std::string output;     // ends in ".png" or ".svg" (any case)
  std::string title;
  int32_t lines = 0;          // installed lines, drawn when above 0
  std::string runOutMonth;    // "YYYY-MM" of the month they run out in; empty: none
  std::string runOutLabel;    // its name on the chart ("YYYY/MM")
  std::string profileMonth;   // "YYYY-MM" of the profile drawn; empty: none
  ChartPanels panels = ChartPanels::kBoth;  // alone, a panel takes the title when there is one
};

// True when `path` ends in an extension the chart can be written as.
bool IsChartPath(const std::string& path);

// Runs gnuplot (found on PATH) on the request. On failure returns false with
// a one-line reason in `error` (gnuplot's own messages go to standard error)
// and leaves `output` as it was: when a file name holds a control
// character, when gnuplot cannot run or fails, and when it ends without
// having drawn anything. A control character in the title shows as a space.
bool DrawPlanChart(const ChartRequest& request, std::string* error);
