// Fetching rows in blocks bound row-wise: the driver manager's cost of an
// SQLFetch is paid once for a block of rows that live on the caller's
// stack.
#pragma once

#include <sql.h>

#include <cstddef>

// Asks `statement` for blocks of `rows` rows of `rowSize` bytes each; a
// driver that refuses fetches one row at a time (leaving `*rowsFetched`
// alone, so the caller sets it to 1 before each fetch).
void UseRowBlocks(SQLHSTMT statement, size_t rowSize, SQLULEN rows, SQLULEN* rowsFetched, SQLUSMALLINT* statuses);

// Puts `statement` back to one row a fetch, bound by column, for every
// other read.
void StopRowBlocks(SQLHSTMT statement);
