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
// Room for a formatted grouped statement (quoted names of at most
// kMostGroupColumnLength characters each, twice more in the condition of
// one group).
inline constexpr size_t kGroupedStatementSize = 2048;

struct GroupedRow {
  int32_t startTime;
  int32_t endTime;
  int32_t exitState;  // 0 for NULL
  // The value naming the row's group: a NULL is empty text, as an empty
  // value is: both are the one group without a name.
  const char* group;
  // The type of the end the row is filed by, when the statement selects it
  // (GroupedSelects::countsSipTies); else, or NULL, 0.
  int32_t filedEndType;
  // In the second statement of a pair: the group the first filed the call
  // under (its caller end's), as `group` is given; else null. A call whose
  // ends lie in two groups is an attempt in each.
  const char* firstGroup;
};

class CGroupedRowSink {
 public:
  virtual void OnGroupedRow(const GroupedRow& row) = 0;

 protected:
  ~CGroupedRowSink() = default;
};

// An end of this type is a SIP tie line: a call over it is one between two
// sites of the same system.
inline constexpr int32_t kSipTieType = 9;

// The select of `kind`'s statement for `pass` under `groupBy` (resolved:
// the table's own names, quoted with `quote`), a format taking the same
// three numbers as the day selects (analysis/day_statements.h). It selects
// the times, the exit state and the row's group: the one column's value;
// for a pair, in the first pass the caller end's column when that end is of
// the kind and else the target's, in the second (which brings the calls
// with both ends of the kind again) the target's, so that such a call holds
// a line in each end's group. When the kind counts SIP tie lines, also the
// type of the end the row is filed by; in a pair's second statement, last,
// the caller end's group. The driver converts every column of every row,
// so the statement selects no more.
std::string GroupedDaySelect(const CallKind& kind, DayPass pass, const GroupBy& groupBy, const std::string& quote);

// The two grouped statements of a kind under a grouping, made once for a
// scan: formats as GroupedDaySelect gives them.
struct GroupedSelects {
  const CallKind* kind = nullptr;
  GroupBy groupBy;  // resolved
  bool countsSipTies = false;  // the statements select the filed end's type
  std::string first;
  std::string second;  // selects the first statement's group (firstGroup) for a pair
  // The values of both statements' parameter markers, in order; none
  // unless they are narrowed to one group (FindOneGroupSelects).
  std::vector<TextParameter> parameters;
};
GroupedSelects MakeGroupedSelects(const CallKind& kind, const GroupBy& groupBy, const std::string& quote);

// The columns the grouped statements read, StartTime first: an index of
// them all answers them from the index alone, as CDRMAIN_DayScan answers
// the kind's own (db/cdr_schema.h), which holds no group column.
std::vector<std::string> GroupedScanColumns(const GroupBy& groupBy);

// The name of that index for `groupBy` (resolved): "CDRMAIN_GroupScan_"
// and a hash of the grouping's columns, short enough for every backend;
// and the statement that creates it, the names quoted with `quote`.
std::string GroupedScanIndexName(const GroupBy& groupBy);
std::string GroupedScanIndexStatement(const GroupBy& groupBy, const std::string& quote);

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
// reason saying so, when no column is left to compare. A pair's rows still
// go to the group of the end they are filed by (a call can be the other
// end's too): the reader keeps those of `group`.
GroupingFound FindOneGroupSelects(OSql& session, const CallKind& kind, GroupBy groupBy, const std::string& group,
                                  GroupedSelects* selects, std::string* reason);

// Runs the grouped select `sql` on `session` and hands every row to
// `sink`, its markers bound to `parameters`; `sql` selects the filed end's
// type when `withEndType`, the first statement's group when
// `withFirstGroup`. Returns 1 when a row came, 0
// when none did or the select failed (reported by the session,
// lastStatementFailed set).
int ScanGroupedCalls(OSql& session, const char* sql, bool withEndType, bool withFirstGroup, CGroupedRowSink* sink,
                     const std::vector<TextParameter>& parameters = {});
