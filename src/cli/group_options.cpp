#include "cli/group_options.h"

#include <CLI/CLI.hpp>

namespace {

// Reads the options once the command line is parsed; a value CLI11 could
// not check alone (its form depends on --group-by) throws as its own
// checks do.
void ReadGroupOptions(GroupOptions* options, int32_t* lines) {
  std::string reason;
  if (options->Grouped() && !ParseGroupBy(options->groupBy, &options->grouping, &reason)) {
    throw CLI::ValidationError("--group-by", reason);
  }
  if (!options->Grouped()) {
    if (!options->linesFile.empty()) throw CLI::ValidationError("--lines-file", "lines per group need --group-by");
    if (options->linesGiven.empty()) return;
    if (options->linesGiven.size() > 1 || options->linesGiven.front().find('=') != std::string::npos) {
      throw CLI::ValidationError("--lines", "one number of lines is needed; lines per group, GROUP=N, need --group-by");
    }
    if (!ReadLineCount(options->linesGiven.front(), lines, &reason)) throw CLI::ValidationError("--lines", reason);
    return;
  }
  for (const std::string& given : options->linesGiven) {
    if (given.find('=') == std::string::npos) {
      throw CLI::ValidationError("--lines", "with --group-by, the lines are given per group as GROUP=N, not " + given);
    }
    if (!AddGroupLines(given, &options->groupLines, &reason)) throw CLI::ValidationError("--lines", reason);
  }
  if (!options->linesFile.empty() && !ReadGroupLinesFile(options->linesFile, &options->groupLines, &reason)) {
    throw CLI::ValidationError("--lines-file", reason);
  }
}

}  // namespace

void AddGroupOptions(CLI::App* command, GroupOptions* options, int32_t* lines) {
  command
      ->add_option("--group-by", options->groupBy,
                   "answer per group: the column naming a call's group (TargetTenant), or a pair "
                   "CallerColumn:TargetColumn naming the group of each end (CallerSiteNodeId:CalleeSiteNodeId)")
      ->type_name("COLUMNS");
  command->add_option("--lines", options->linesGiven, "lines installed: N, or with --group-by GROUP=N (repeatable)")
      ->type_name("N|GROUP=N");
  command->add_option("--lines-file", options->linesFile, "lines installed per group: a CSV file group,lines")
      ->type_name("FILE");
  command->add_option("--group", options->onlyGroup, "this group of --group-by alone ((none): NULL or empty)")
      ->type_name("GROUP")
      ->check([](const std::string& text) {
        return text.empty() ? std::string("a group's name is needed; (none) for the group without one") : "";
      })
      ->needs(command->get_option("--group-by"));
  command->parse_complete_callback([options, lines] { ReadGroupOptions(options, lines); });
}
