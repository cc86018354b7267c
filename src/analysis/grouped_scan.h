// The grouped day statements (--group-by): each call row with the caller
// end's type and the value(s) naming its group, fetched in blocks and handed
// to a sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/call_kinds.h"
#include "analysis/day_counter.h"
#include "analysis/group_by.h"
#include "db/osql.h"

// Room for a group value: a longer one keeps its first kGroupValueSize - 2
// bytes (two values that differ only after those fall into one group).
inline constexpr size_t kGroupValueSize = 1025;
// Room for a formatted grouped statement (two quoted names of at most
// kMostGroupColumnLength characters each, twice more in the condition of
// one group).
inline constexpr size_t kGroupedStatementSize = 2048;

struct GroupedRow {
  int32_t startTime;
  int32_t endTime;
  int32_t exitState;  // 0 for NULL
  int32_t callerType; // 0 for NULL
  // The values of the grouping's columns; a NULL is empty text, as an empty
  // value is: both are the one group without a name.
  const char* callerGroup;
  const char* targetGroup;  // empty unless the grouping is a pair
};

class CGroupedRowSink {
 public:
  virtual void OnGroupedRow(const GroupedRow& row) = 0;

 protected:
  ~CGroupedRowSink() = default;
};

// The select of `kind`'s statement for `pass` with the columns of `groupBy`
// (resolved: the table's own names) quoted with `quote`, a format taking the
// same three numbers as the day selects (analysis/day_statements.h).
std::string GroupedDaySelect(const CallKind& kind, DayPass pass, const GroupBy& groupBy, const std::string& quote);

// The two grouped statements of a kind under a grouping, made once for a
// scan: formats as GroupedDaySelect gives them.
struct GroupedSelects {
  const CallKind* kind = nullptr;
  GroupBy groupBy;  // resolved
  std::string first;
  std::string second;
  // The values of both statements' parameter markers, in order; none
  // unless they are narrowed to one group (FindOneGroupSelects).
  std::vector<TextParameter> parameters;
};
GroupedSelects MakeGroupedSelects(const CallKind& kind, const GroupBy& groupBy, const std::string& quote);

enum class GroupingFound {
  kFound,     // the statements are made
  kNoColumn,  // a column of the grouping is not one of CDRMAIN's
  kUnread,    // the table's columns or the driver's quoting could not be read
  kNoSuchGroup,  // FindOneGroupSelects: no column of the grouping can hold the group's name
};

// The grouped statements of `kind` under `groupBy` (as given) on the open
// `session`: its columns found among CDRMAIN's (ResolveGroupBy) and quoted
// as the driver quotes. Otherwise the reason says why.
GroupingFound FindGroupedSelects(OSql& session, const CallKind& kind, GroupBy groupBy, GroupedSelects* selects,
                                 std::string* reason);

// FindGroupedSelects narrowed to the rows that may be of the one group
// shown as `group` (--group; kNoGroupName: NULL or empty text): a
// condition on the grouping's column, for a pair on either end's
// ("(CallerColumn = ? or TargetColumn = ?)"), the name bound to its markers
// (GroupedSelects::parameters), never written into the text. A column of
// numbers is only compared with a name that is a number; kNoSuchGroup, the
// reason saying so, when no column is left to compare. The rows still go
// to the groups GroupOfRow names (a pair's call can be the other end's):
// the reader keeps those of `group`.
GroupingFound FindOneGroupSelects(OSql& session, const CallKind& kind, GroupBy groupBy, const std::string& group,
                                  GroupedSelects* selects, std::string* reason);

// The group of a row of `kind` in `pass` under `groupBy`: one column's value;
// for a pair, the first pass files a call under its caller end's column
// when that end is of the kind and else its target's, and the second pass
// (which brings the calls with both ends of the kind again) under its
// target's, so that such a call holds a line in each end's group.
const char* GroupOfRow(const CallKind& kind, DayPass pass, const GroupBy& groupBy, const GroupedRow& row);

// Runs the grouped select `sql` (a pair's when `pair`), its markers bound
// to `parameters`, on `session` and hands every row to `sink`. Returns 1
// when a row came, 0 when none did or the select failed (reported by the
// session, lastStatementFailed set).
int ScanGroupedCalls(OSql& session, const char* sql, bool pair, CGroupedRowSink* sink,
                     const std::vector<TextParameter>& parameters = {});
