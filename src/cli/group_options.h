// The options by which `plan` and `check` answer per group: --group-by
// COLUMNS, --group GROUP (one group alone), and the lines installed as one
// --lines N or, grouped, as --lines GROUP=N (repeatable) and --lines-file
// FILE. A group is named as it is shown: kNoGroupName for the calls
// without a value. A value of the wrong
// form is a usage error that names the option (exit status 2).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/group_by.h"
#include "cli/group_lines.h"

namespace CLI {
class App;
}

struct GroupOptions {
  std::string groupBy;  // COLUMNS as given; empty: not grouped
  std::string onlyGroup;  // --group: the one group kept, as shown; empty: every group
  GroupBy grouping;     // its columns as given, not yet found in the table
  GroupLines groupLines;
  // As given, read once the command line is parsed.
  std::vector<std::string> linesGiven;
  std::string linesFile;

  bool Grouped() const { return !groupBy.empty(); }
};

// Adds the options to `command`. Once its command line is parsed they are
// read into `options`, and an ungrouped --lines N into `lines` (left as it
// is without one); both must outlive the parse.
void AddGroupOptions(CLI::App* command, GroupOptions* options, int32_t* lines);
