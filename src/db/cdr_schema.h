// The CDRMAIN schema the tool creates (tools/cdrmain.sql, built into the
// program): the table as the phone system writes it, and its indexes.
#pragma once

#include <string>
#include <vector>

// The schema's statements in file order, without comments or separators.
std::vector<std::string> CdrMainStatements();

// The statement that creates the index holding every column the day selects
// and the month sums read, StartTime first, so that both are answered from
// the index alone.
const std::string& CoveringIndexStatement();

// That index's name and its columns, StartTime first.
inline constexpr char kCoveringIndexName[] = "CDRMAIN_DayScan";
inline constexpr const char* kCoveringIndexColumns[] = {"StartTime", "EndTime",   "CallerType",
                                                        "TargetType", "Direction", "ExitState",
                                                        "SessionID",  "CallerNum", "TargetNum"};
