#include "db/table_kind.h"

#include <strings.h>

#include <string>

#include "db/osql.h"
#include "db/table_indexes.h"

namespace {

constexpr SQLLEN kTypeSize = 129;

}  // namespace

bool IsView(OSql& session, const char* table) {
  if (!session.IsOpen() || session.statementHandle == SQL_NULL_HSTMT) return false;
  std::string name = FoldedTableName(session, table);
  SQLHSTMT statement = session.statementHandle;
  // Without a catalog MariaDB's driver lists the table of every database on
  // the server: ask in the session's own.
  char catalog[129] = {};
  SQLINTEGER catalogLength = 0;
  if (!SqlSucceeded(SQLGetConnectAttr(session.connectionHandle, SQL_ATTR_CURRENT_CATALOG, catalog,
                                      sizeof catalog - 1, &catalogLength)) ||
      catalogLength <= 0 || catalogLength >= static_cast<SQLINTEGER>(sizeof catalog)) {
    catalog[0] = '\0';
  }
  SQLCHAR* catalogName = catalog[0] != '\0' ? reinterpret_cast<SQLCHAR*>(catalog) : nullptr;
  SQLRETURN result = SQLTables(statement, catalogName, catalogName != nullptr ? SQL_NTS : 0, nullptr, 0,
                               reinterpret_cast<SQLCHAR*>(name.data()), static_cast<SQLSMALLINT>(name.size()),
                               nullptr, 0);
  if (!SqlSucceeded(result)) {
    session.CloseCursor();
    return false;
  }
  // Column 4 of the result: TABLE_TYPE, "TABLE", "VIEW", ...
  char type[kTypeSize] = {};
  SQLLEN indicator = 0;
  bool view = false;
  if (SQLBindCol(statement, 4, SQL_C_CHAR, type, kTypeSize, &indicator) == SQL_SUCCESS) {
    while (!view && SqlSucceeded(SQLFetch(statement))) {
      view = indicator != SQL_NULL_DATA && strcasecmp(type, "VIEW") == 0;
    }
  }
  session.FinishLocalRead();
  return view;
}
