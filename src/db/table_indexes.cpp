#include "db/table_indexes.h"

#include <strings.h>

#include <algorithm>

#include "db/osql.h"

namespace {

constexpr SQLLEN kNameSize = 129;

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

std::string FoldedTableName(OSql& session, const char* table) {
  char quote[8] = "\"";
  SQLUSMALLINT identifierCase = SQL_IC_SENSITIVE;
  session.GetIdentifierRules(quote, sizeof quote, &identifierCase);
  return FoldIdentifier(table, identifierCase);
}

int ReadTableIndexes(OSql& session, const char* table, std::vector<TableIndex>* out, std::string* reason) {
  out->clear();
  if (!session.IsOpen() || session.statementHandle == SQL_NULL_HSTMT) return 0;
  std::string name = FoldedTableName(session, table);
  SQLHSTMT statement = session.statementHandle;
  SQLRETURN result = SQLStatistics(statement, nullptr, 0, nullptr, 0,
                                   reinterpret_cast<SQLCHAR*>(name.data()), static_cast<SQLSMALLINT>(name.size()),
                                   SQL_INDEX_ALL, SQL_QUICK);
  if (!SqlSucceeded(result)) {
    if (reason != nullptr) *reason = session.DiagnosticText();
    session.CloseCursor();
    return 0;
  }
  // Columns of the result: 6 INDEX_NAME, 7 TYPE, 8 ORDINAL_POSITION, 9 COLUMN_NAME.
  char indexName[kNameSize] = {}, columnName[kNameSize] = {};
  SQLSMALLINT type = 0, position = 0;
  SQLLEN indexIndicator = 0, typeIndicator = 0, positionIndicator = 0, columnIndicator = 0;
  bool bound = SQLBindCol(statement, 6, SQL_C_CHAR, indexName, kNameSize, &indexIndicator) == SQL_SUCCESS &&
               SQLBindCol(statement, 7, SQL_C_SSHORT, &type, 0, &typeIndicator) == SQL_SUCCESS &&
               SQLBindCol(statement, 8, SQL_C_SSHORT, &position, 0, &positionIndicator) == SQL_SUCCESS &&
               SQLBindCol(statement, 9, SQL_C_CHAR, columnName, kNameSize, &columnIndicator) == SQL_SUCCESS;
  if (!bound) {
    session.FinishLocalRead();
    return 0;
  }
  while (SqlSucceeded(SQLFetch(statement))) {
    // The table's own statistics row names no index.
    if (type == SQL_TABLE_STAT || indexIndicator == SQL_NULL_DATA || columnIndicator == SQL_NULL_DATA) continue;
    auto found = std::find_if(out->begin(), out->end(), [&](const TableIndex& index) { return index.name == indexName; });
    if (found == out->end()) {
      out->push_back({indexName, {}});
      found = out->end() - 1;
    }
    size_t at = positionIndicator == SQL_NULL_DATA || position < 1 ? found->columns.size() : static_cast<size_t>(position - 1);
    if (found->columns.size() <= at) found->columns.resize(at + 1);
    found->columns[at] = columnName;
  }
  session.FinishLocalRead();
  return 1;
}

bool HasIndexLedBy(const std::vector<TableIndex>& indexes, const char* column) {
  return std::any_of(indexes.begin(), indexes.end(), [&](const TableIndex& index) {
    return !index.columns.empty() && SameName(index.columns[0], column);
  });
}

const TableIndex* IndexCovering(const std::vector<TableIndex>& indexes, const std::vector<std::string>& columns) {
  if (columns.empty()) return nullptr;
  auto found = std::find_if(indexes.begin(), indexes.end(), [&](const TableIndex& index) {
    if (index.columns.empty() || !SameName(index.columns[0], columns[0])) return false;
    return std::all_of(columns.begin(), columns.end(), [&](const std::string& wanted) {
      return std::any_of(index.columns.begin(), index.columns.end(),
                         [&](const std::string& have) { return SameName(have, wanted); });
    });
  });
  return found == indexes.end() ? nullptr : &*found;
}
