// The indexes of a table as the driver lists them (SQLStatistics), so that
// the same question gets the same answer on every backend without reading
// any backend's own catalogue.
#pragma once

#include <string>
#include <vector>

class OSql;

struct TableIndex {
  std::string name;
  std::vector<std::string> columns;  // in key order
};

// Reads the indexes of `table` on the open `session` into `out`. The name
// is folded the way the data source stores unquoted names (PostgreSQL keeps
// them in lower case). Uses the session's own statement and leaves it idle.
// Prints nothing. Returns 0 when the driver cannot list them, with its
// diagnostic records in `reason` (when not null).
int ReadTableIndexes(OSql& session, const char* table, std::vector<TableIndex>* out, std::string* reason = nullptr);

// `table` folded the way the open `session`'s data source stores unquoted
// names, as its catalogue functions want it.
std::string FoldedTableName(OSql& session, const char* table);

// True when one of `indexes` has `column` as its first key (names compared
// without regard to case).
bool HasIndexLedBy(const std::vector<TableIndex>& indexes, const char* column);

// The first of `indexes` that starts with `columns[0]` and holds every one
// of `columns` (in any order after the first): it serves every read that the
// index of those columns serves. Null when there is none.
const TableIndex* IndexCovering(const std::vector<TableIndex>& indexes, const std::vector<std::string>& columns);
