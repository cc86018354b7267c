// How the calls of a plan or a check are split into groups (--group-by
// COLUMNS): one column of CDRMAIN whose value names a call's group
// ("TargetTenant"), or a pair "CallerColumn:TargetColumn" naming, for each
// end of a call, the column that holds the group of that end
// ("CallerSiteNodeId:CalleeSiteNodeId": the site whose trunk carried it).
// Column names reach SQL only as the table's own names, quoted here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "db/table_columns.h"

// The longest column name --group-by takes (SQL's longest identifiers).
inline constexpr size_t kMostGroupColumnLength = 128;

// The name of the group of the calls without a value (NULL or empty text),
// as the output shows it and as the lines and --group give it.
inline constexpr char kNoGroupName[] = "(none)";

// The name group `value` is shown and given by: the value, kNoGroupName for
// the empty one.
std::string GroupName(const std::string& value);
// The value of the group named `name`: its inverse.
std::string GroupValue(const std::string& name);

struct GroupBy {
  std::string callerColumn;  // the one column, or the caller end's
  std::string targetColumn;  // the target end's; empty for one column
  bool IsPair() const { return !targetColumn.empty(); }
};

// Reads the value of --group-by; false with the reason for anything but one name, or two
// joined by ':', each of letters, digits and underscores and at most
// kMostGroupColumnLength long (a name that no quoting can carry is refused
// before any statement is made of it).
bool ParseGroupBy(const std::string& text, GroupBy* groupBy, std::string* reason);

// Replaces each column of `groupBy` by its name among `columns` (CDRMAIN's,
// as ReadTableColumns lists them), compared without regard to case as an
// unquoted name is. False when one is not there: the reason names it and
// the columns there are.
bool ResolveGroupBy(const std::vector<TableColumn>& columns, GroupBy* groupBy, std::string* reason);

// `name` as an SQL identifier quoted with `quote`, the driver's
// SQL_IDENTIFIER_QUOTE_CHAR (a quote inside doubled); a blank or empty
// quote, a driver without quoting, leaves it as it is.
std::string QuotedIdentifier(const std::string& name, const std::string& quote);
