#include "analysis/grouped_scan.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <utility>
#include <vector>

#include "analysis/block_fetch.h"
#include "db/table_columns.h"

namespace {

constexpr SQLULEN kBlockRows = 32;

struct BoundGroupedRow {
  SQLINTEGER startTime;
  SQLINTEGER endTime;
  SQLINTEGER exitState;
  SQLINTEGER filedEndType;
  char group[kGroupValueSize];
  char firstGroup[kGroupValueSize];
  SQLLEN indicator[6];
};

bool Bind(SQLHSTMT statement, BoundGroupedRow* row, bool withEndType, bool withFirstGroup) {
  SQLLEN* ind = row->indicator;
  return SQLBindCol(statement, 1, SQL_C_LONG, &row->startTime, sizeof row->startTime, &ind[0]) == SQL_SUCCESS &&
         SQLBindCol(statement, 2, SQL_C_LONG, &row->endTime, sizeof row->endTime, &ind[1]) == SQL_SUCCESS &&
         SQLBindCol(statement, 3, SQL_C_LONG, &row->exitState, sizeof row->exitState, &ind[2]) == SQL_SUCCESS &&
         SQLBindCol(statement, 4, SQL_C_CHAR, row->group, kGroupValueSize - 1, &ind[3]) == SQL_SUCCESS &&
         (!withEndType ||
          SQLBindCol(statement, 5, SQL_C_LONG, &row->filedEndType, sizeof row->filedEndType, &ind[4]) == SQL_SUCCESS) &&
         (!withFirstGroup || SQLBindCol(statement, withEndType ? 6 : 5, SQL_C_CHAR, row->firstGroup,
                                        kGroupValueSize - 1, &ind[5]) == SQL_SUCCESS);
}

int32_t NumberOrZero(SQLLEN indicator, SQLINTEGER value) {
  return indicator == SQL_NULL_DATA ? 0 : static_cast<int32_t>(value);
}

// Drivers differ in what they leave in the buffer of a NULL: it is empty
// text whatever they did.
const char* TextOrEmpty(SQLLEN indicator, char* text) {
  if (indicator == SQL_NULL_DATA) return "";
  EndBoundText(text, indicator, kGroupValueSize);
  return text;
}

}  // namespace

std::string GroupedDaySelect(const CallKind& kind, DayPass pass, const GroupBy& groupBy, const std::string& quote) {
  const std::string caller = QuotedIdentifier(groupBy.callerColumn, quote);
  const std::string target = QuotedIdentifier(groupBy.targetColumn, quote);
  const std::string byCaller = std::string("case when ") + kind.callerEndWhere + " then ";
  std::string group = caller;
  if (groupBy.IsPair()) group = pass == DayPass::kFirst ? byCaller + caller + " else " + target + " end" : target;
  std::string select = "select StartTime,EndTime,ExitState," + group;
  if (kind.isEndOfKind(kSipTieType)) {
    select += pass == DayPass::kFirst ? "," + byCaller + "CallerType else TargetType end" : ",TargetType";
  }
  if (groupBy.IsPair() && pass == DayPass::kSecond) select += "," + caller;
  return select + " from CDRMAIN where StartTime>=%d and StartTime<%d and EndTime<%d and " +
         (pass == DayPass::kFirst ? kind.oneEndWhere : kind.bothEndsWhere);
}

namespace {

constexpr const char* kGroupedScanTimesAndEnds[] = {"StartTime", "EndTime", "CallerType", "TargetType", "ExitState"};

}  // namespace

std::vector<std::string> GroupedScanColumns(const GroupBy& groupBy) {
  std::vector<std::string> columns(std::begin(kGroupedScanTimesAndEnds), std::end(kGroupedScanTimesAndEnds));
  for (const std::string* group : {&groupBy.callerColumn, &groupBy.targetColumn}) {
    if (group->empty()) continue;
    const bool held = std::any_of(columns.begin(), columns.end(), [group](const std::string& column) {
      return strcasecmp(column.c_str(), group->c_str()) == 0;
    });
    if (!held) columns.push_back(*group);
  }
  return columns;
}

std::string GroupedScanIndexName(const GroupBy& groupBy) {
  // FNV-1a of the lowered names: the same grouping names the same index
  // whatever case it is given in.
  uint32_t hash = 2166136261u;
  for (const std::string& column : GroupedScanColumns(groupBy)) {
    for (const char c : column + ",") {
      hash = (hash ^ static_cast<uint8_t>(std::tolower(static_cast<unsigned char>(c)))) * 16777619u;
    }
  }
  char name[40];
  std::snprintf(name, sizeof name, "CDRMAIN_GroupScan_%08x", static_cast<unsigned>(hash));
  return name;
}

std::string GroupedScanIndexStatement(const GroupBy& groupBy, const std::string& quote) {
  // The table's own columns unquoted, as the schema names them (a backend
  // that folds names folds these alike); the grouping's as resolved.
  std::string statement = "CREATE INDEX " + GroupedScanIndexName(groupBy) + " ON CDRMAIN (";
  const std::vector<std::string> columns = GroupedScanColumns(groupBy);
  for (size_t i = 0; i < columns.size(); ++i) {
    const bool group = i >= std::size(kGroupedScanTimesAndEnds);
    statement += (i > 0 ? ", " : "") + (group ? QuotedIdentifier(columns[i], quote) : columns[i]);
  }
  return statement + ")";
}

GroupedSelects MakeGroupedSelects(const CallKind& kind, const GroupBy& groupBy, const std::string& quote) {
  return {&kind, groupBy, kind.isEndOfKind(kSipTieType), GroupedDaySelect(kind, DayPass::kFirst, groupBy, quote),
          GroupedDaySelect(kind, DayPass::kSecond, groupBy, quote), {}};
}

namespace {

// CDRMAIN's columns, and the driver's quote; `groupBy` resolved among them.
GroupingFound ReadGrouping(OSql& session, GroupBy* groupBy, std::vector<TableColumn>* columns, std::string* quote,
                           std::string* reason) {
  std::string unread;
  if (ReadTableColumns(session, "CDRMAIN", columns, &unread) == 0) {
    *reason = "cannot read the columns of CDRMAIN: " + unread;
    return GroupingFound::kUnread;
  }
  if (!ResolveGroupBy(*columns, groupBy, reason)) return GroupingFound::kNoColumn;
  char text[8] = {};
  SQLUSMALLINT folding = 0;
  if (session.GetIdentifierRules(text, sizeof text, &folding) == 0) {
    *reason = "cannot read how the driver quotes a column's name";
    return GroupingFound::kUnread;
  }
  *quote = text;
  return GroupingFound::kFound;
}

// A decimal number as a column of numbers holds one: "12", "-3", "1.5".
bool IsNumberText(const std::string& text) {
  size_t at = text.size() > 1 && text[0] == '-' ? 1 : 0;
  size_t digits = 0, point = 0;
  for (; at < text.size(); ++at) {
    if (text[at] >= '0' && text[at] <= '9') {
      ++digits;
    } else if (text[at] == '.' && point == 0 && digits > 0 && at + 1 < text.size()) {
      point = at;
    } else {
      return false;
    }
  }
  return digits > 0;
}

// The condition that `column` (quoted as `quoted`) holds group `group`,
// its markers' values added to `parameters`; "" when the column cannot
// hold it.
std::string ColumnHoldsGroup(const TableColumn& column, const std::string& quoted, const std::string& group,
                             std::vector<TextParameter>* parameters) {
  const TypeClass type = ClassOfType(column.type);
  const bool text = type == TypeClass::kText;
  if (group == kNoGroupName) return text ? "(" + quoted + " is null or " + quoted + "='')" : quoted + " is null";
  const bool numbers = type == TypeClass::kExact || type == TypeClass::kApproximate;
  if (numbers && !IsNumberText(group)) return "";
  // Text goes as text, whatever width and encoding the driver reports for
  // the column; anything else as the column's own type, which the driver
  // converts the text to.
  parameters->push_back({group, text ? static_cast<SQLSMALLINT>(SQL_VARCHAR) : column.type});
  return quoted + "=?";
}

const TableColumn* ColumnNamed(const std::vector<TableColumn>& columns, const std::string& name) {
  for (const TableColumn& column : columns) {
    if (column.name == name) return &column;
  }
  return nullptr;
}

}  // namespace

GroupingFound FindGroupedSelects(OSql& session, const CallKind& kind, GroupBy groupBy, GroupedSelects* selects,
                                 std::string* reason) {
  std::vector<TableColumn> columns;
  std::string quote;
  const GroupingFound found = ReadGrouping(session, &groupBy, &columns, &quote, reason);
  if (found != GroupingFound::kFound) return found;
  *selects = MakeGroupedSelects(kind, groupBy, quote);
  return GroupingFound::kFound;
}

GroupingFound FindOneGroupSelects(OSql& session, const CallKind& kind, GroupBy groupBy, const std::string& group,
                                  GroupedSelects* selects, std::string* reason) {
  std::vector<TableColumn> columns;
  std::string quote;
  const GroupingFound found = ReadGrouping(session, &groupBy, &columns, &quote, reason);
  if (found != GroupingFound::kFound) return found;
  std::vector<TextParameter> parameters;
  std::string condition;
  for (const std::string* name : {&groupBy.callerColumn, &groupBy.targetColumn}) {
    const TableColumn* column = name->empty() ? nullptr : ColumnNamed(columns, *name);
    if (column == nullptr) continue;
    const std::string holds = ColumnHoldsGroup(*column, QuotedIdentifier(*name, quote), group, &parameters);
    if (holds.empty()) continue;
    condition += (condition.empty() ? "" : " or ") + holds;
  }
  if (condition.empty()) {
    *reason = groupBy.callerColumn + (groupBy.IsPair() ? " and " + groupBy.targetColumn + " hold" : " holds") +
              " numbers, and \"" + group + "\" is not one";
    return GroupingFound::kNoSuchGroup;
  }
  *selects = MakeGroupedSelects(kind, groupBy, quote);
  selects->first += " and (" + condition + ")";
  selects->second += " and (" + condition + ")";
  selects->parameters = std::move(parameters);
  return GroupingFound::kFound;
}

int ScanGroupedCalls(OSql& session, const char* sql, bool withEndType, bool withFirstGroup, CGroupedRowSink* sink,
                     const std::vector<TextParameter>& parameters) {
  if (session.ExecuteWith(sql, parameters) == 0) return 0;
  // About 68 KB: on the stack, so that nothing is allocated per day.
  BoundGroupedRow block[kBlockRows];
  SQLULEN rowsFetched = 1;
  SQLUSMALLINT statuses[kBlockRows] = {};
  UseRowBlocks(session.statementHandle, sizeof(BoundGroupedRow), kBlockRows, &rowsFetched, statuses);
  if (!Bind(session.statementHandle, block, withEndType, withFirstGroup)) {
    session.lastStatementFailed = 1;
    session.FinishLocalRead();
    StopRowBlocks(session.statementHandle);
    return 0;
  }
  int32_t fetched = 0;
  bool rowFailed = false;
  SQLRETURN result;
  while (rowsFetched = 1, SqlSucceeded(result = SQLFetch(session.statementHandle))) {
    for (SQLULEN i = 0; i < rowsFetched && i < kBlockRows; ++i) {
      if (statuses[i] == SQL_ROW_ERROR) rowFailed = true;
      if (statuses[i] == SQL_ROW_NOROW || statuses[i] == SQL_ROW_ERROR) continue;
      BoundGroupedRow& bound = block[i];
      const SQLLEN* ind = bound.indicator;
      const GroupedRow row{NumberOrZero(ind[0], bound.startTime), NumberOrZero(ind[1], bound.endTime),
                           NumberOrZero(ind[2], bound.exitState), TextOrEmpty(ind[3], bound.group),
                           withEndType ? NumberOrZero(ind[4], bound.filedEndType) : 0,
                           withFirstGroup ? TextOrEmpty(ind[5], bound.firstGroup) : nullptr};
      sink->OnGroupedRow(row);
      ++fetched;
    }
  }
  // Rows that stop in an error are a failed read, not the end of the day.
  if (result != SQL_NO_DATA || rowFailed) session.ReportDiagnostics();
  session.FinishLocalRead();
  StopRowBlocks(session.statementHandle);
  return fetched > 0 ? 1 : 0;
}
