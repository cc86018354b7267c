// The lines installed per group, as --lines GROUP=N (repeatable) and
// --lines-file FILE give them. A group name is data: any text, the file's
// CSV quoting ("..." with "" for a quote) carrying commas, quotes and line
// ends.
#pragma once

#include <cstdint>
#include <map>
#include <string>

using GroupLines = std::map<std::string, int32_t>;

// Reads a number of lines, 1 to 100000; false with the reason for another
// text.
bool ReadLineCount(const std::string& text, int32_t* lines, std::string* reason);

// Adds one "GROUP=N" (split at its last '='; N from 1 to 100000) to
// `lines`; false with the reason for another form or a group given twice.
bool AddGroupLines(const std::string& text, GroupLines* lines, std::string* reason);

// Adds the rows "group,lines" of the CSV file at `path` (a first row
// "group,lines" is its header) to `lines`; false with the reason, naming
// the file and the line a bad row starts on, or why the file cannot be
// read.
bool ReadGroupLinesFile(const std::string& path, GroupLines* lines, std::string* reason);
