// Text from the data (a group's name) in a monitoring plugin's one line
// (cli/check_command.h), after the monitoring-plugins development
// guidelines: the line ends at its first line feed, and a '|' starts its
// performance data, so neither may come from a name. Replaced, not
// escaped: the format has no escape for them.
#pragma once

#include <string>

// `text` with every control character (a line feed, a tab, DEL) and every
// '|' replaced by '_'.
std::string PluginText(const std::string& text);

// `label` as a label of the performance data: as PluginText makes it, with
// '=' (which ends a label) replaced by '_' as well; then, unless it is only
// letters, digits and '_', in single quotes with each quote in it doubled
// ("site 1 peak" -> 'site 1 peak', "O'Hare" -> 'O''Hare'). Two names that
// differ only in the replaced characters give the same label.
std::string PerfDataLabel(const std::string& label);
