// nortesk-etp plan: the capacity planner. Checks the record range as the
// peak checks do, then prints the plan (report/plan_report.h) on standard
// output and writes its CSV files and chart when asked. Exit status 1 when
// the data source cannot be opened, its record days cannot be read (the
// driver's reason is named), it holds no usable records of the calls
// counted, or standard output, a file, the chart or the page cannot be
// written (a file not written is left as it was, the CSV files of --csv
// all together; the files are not written after standard output failed);
// one line on standard error says so. A LocalDay value that is no day is
// named on standard error, and the range is read from the others. The
// names given to --csv and --chart must hold no control characters (exit
// status 2).
//
//   --dsn NAME     data source (default "Internal Logger Database")
//   --calls KIND   trunk (default), trunk-no-sip-tie or extension
//   --gos PERCENT  grade of service for the offered load, 0 < p < 100 (default 1)
//   --high-gos PERCENT  grade of service for the high load (default 7)
//   --lines N      lines installed
//   --group-by COLUMNS  one plan per group of calls (cli/group_options.h):
//                  a summary by urgency, then each group's plan;
//                  --lines GROUP=N (repeatable) and --lines-file FILE give
//                  each group's lines ((none) for the calls without a
//                  value); a column that is not CDRMAIN's exits 2 naming
//                  the columns there are; --csv, --html and --metrics
//                  hold every group (--chart is refused)
//   --group GROUP  with --group-by: that group alone, its rows picked by
//                  the database with the name bound as a parameter
//   --months H     projection horizon, 1-60 (default 12)
//   --history-months N  months before the current one that are read, 1-120
//                  (default 36)
//   --csv DIR      writes DIR/days.csv, DIR/months.csv, DIR/profile.csv and
//                  DIR/backtest.csv into a folder DIR/.plan-XXXXXX first and
//                  moves them into place only when all are written
//   --chart FILE   draws the chart into FILE.png or FILE.svg
//   --html FILE    writes the plan as one self-contained page (report/plan_page.h)
//   --sessions K   sessions the days are read on at once (default: the
//                  processors, at most 8)
//   --metrics FILE writes the last complete day's figures and when the
//                  lines run out for the node exporter (cli/trunk_metrics.h)
//
// A day that cannot be read (a failed statement, a lost connection) fails
// the plan: its loads would be too low. Records that end more than two
// months back are stale: standard error says so as the report does.
#pragma once

#include <cstdint>
#include <string>

#include "cli/group_options.h"

namespace CLI {
class App;
}

// The months of history the planner reads unless told otherwise; the
// months figure of `check` reads as many.
inline constexpr int32_t kDefaultHistoryMonths = 36;

struct PlanOptions {
  std::string dsn;
  std::string calls = "trunk";  // the name of one of CallKinds() (analysis/call_kinds.h)
  double gradePercent = 1.0;
  double highGradePercent = 7.0;
  std::string busyDays = "auto";  // "auto", "weekdays" or "all"
  int32_t lines = 0;  // 0: not given
  int32_t months = 12;
  int32_t historyMonths = kDefaultHistoryMonths;
  std::string csvDir;     // empty: no CSV files
  std::string chartPath;  // empty: no chart
  std::string htmlPath;   // empty: no page
  int32_t sessions = 1;   // sessions the days are read on at once
  std::string metricsPath;  // empty: no metrics file
  GroupOptions group;       // --group-by and the lines per group
};

// Adds the subcommand "plan" with its options to `app`; parsing fills
// `options`, which must outlive the parse.
CLI::App* AddPlanCommand(CLI::App* app, PlanOptions* options);

// Runs the planner; returns the exit status (cli/exit_status.h).
int RunPlan(const PlanOptions& options);
