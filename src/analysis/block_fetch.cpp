#include "analysis/block_fetch.h"

#include <sqlext.h>

void UseRowBlocks(SQLHSTMT statement, size_t rowSize, SQLULEN rows, SQLULEN* rowsFetched, SQLUSMALLINT* statuses) {
  if (!SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(rowSize), 0))) {
    return;
  }
  if (!SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0))) {
    SQLSetStmtAttr(statement, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
    return;
  }
  SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, rowsFetched, 0);
  SQLSetStmtAttr(statement, SQL_ATTR_ROW_STATUS_PTR, statuses, 0);
}

void StopRowBlocks(SQLHSTMT statement) {
  SQLSetStmtAttr(statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
  SQLSetStmtAttr(statement, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
}
