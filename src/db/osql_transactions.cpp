#include "db/osql.h"

namespace {

SQLRETURN SetAutocommit(SQLHDBC connection, SQLULEN mode) {
  return SQLSetConnectAttr(connection, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(mode), SQL_IS_UINTEGER);
}

}  // namespace

int OSql::BeginTransaction() {
  if (connectionHandle == SQL_NULL_HDBC) return 0;
  return SqlSucceeded(SetAutocommit(connectionHandle, SQL_AUTOCOMMIT_OFF)) ? 1 : 0;
}

int OSql::Commit() {
  if (connectionHandle == SQL_NULL_HDBC) return 0;
  if (!SqlSucceeded(SQLEndTran(SQL_HANDLE_DBC, connectionHandle, SQL_COMMIT))) return 0;
  return SqlSucceeded(SetAutocommit(connectionHandle, SQL_AUTOCOMMIT_ON)) ? 1 : 0;
}

int OSql::Rollback() {
  if (connectionHandle == SQL_NULL_HDBC) return 0;
  // Switching automatic commit on commits whatever is open, so after a
  // failed rollback the unit stays open rather than being committed.
  if (!SqlSucceeded(SQLEndTran(SQL_HANDLE_DBC, connectionHandle, SQL_ROLLBACK))) return 0;
  return SqlSucceeded(SetAutocommit(connectionHandle, SQL_AUTOCOMMIT_ON)) ? 1 : 0;
}

int64_t OSql::AffectedRows() {
  if (connectionHandle == SQL_NULL_HDBC || statementHandle == SQL_NULL_HSTMT) return -1;
  SQLLEN rows = -1;
  if (!SqlSucceeded(SQLRowCount(statementHandle, &rows))) return -1;
  return static_cast<int64_t>(rows);
}
