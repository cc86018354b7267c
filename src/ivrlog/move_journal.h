// The move journal: table IVRMOVE of the backup database, in which the IVR
// worker notes each move of old rows in the same unit as the copies it made.
//
// The live and the backup database commit separately, the copies first. A
// process that dies between the two commits leaves the rows in both; the
// journal's entry, committed with the copies, tells the next run that the
// rows still live under that cut-off are copies already made, so that it
// deletes them without copying them again. An entry is unfinished until the
// deletion of its rows was committed and then noted (DeletedAt).
//
//   IVRMOVE (TableName, Cutoff, CopiedRows, MovedAt, DeletedAt)
//
// one row per table and move: the live table, the cut-off
// (YYYYMMDD000000; the rows moved are those of TimeStamp below it), the
// number of rows copied, the local time of the copies (YYYYMMDDhhmmss) and
// that of the noted deletion (NULL while unfinished).
//
// Every operation runs on an open session of the backup database, on its
// own statement, and reports nothing: the worker reports with the context.
#pragma once

#include <cstdint>
#include <string>

#include "db/osql.h"

inline constexpr char kMoveJournalTable[] = "IVRMOVE";

struct UnfinishedMove {
  std::string cutoff;  // YYYYMMDD000000
  int64_t copiedRows = 0;
};

// Creates the journal table when the backup database has none (a backup
// database of an older version, or a new backup file, which starts as a
// copy of the live database). Must run outside a unit: some servers commit
// the open unit at any CREATE TABLE. 1 present, 0 failed.
int EnsureMoveJournal(OSql& backup);

// The unfinished entry of `table`: 1 found (in `move`), 0 none, -1 when it
// cannot be read or is not one the worker wrote (more than one, a cut-off
// that is not 14 digits, a count that is not positive).
int ReadUnfinishedMove(OSql& backup, const char* table, UnfinishedMove* move);

// The number of unfinished entries of all tables: 0 also when the backup
// database has no journal (it is not created here); -1 when it cannot be
// read.
int64_t CountUnfinishedMoves(OSql& backup);

// Adds the unfinished entry of `table` (for the open unit of the copies).
// `cutoff` is 14 digits, `movedAt` a YYYYMMDDhhmmss stamp. 1 added, 0
// failed.
int RecordMove(OSql& backup, const char* table, const std::string& cutoff, int64_t copiedRows,
               const std::string& movedAt);

// Notes the unfinished entry of `table` as deleted at `deletedAt`. 1 done
// (also when there was none), 0 failed.
int FinishMove(OSql& backup, const char* table, const std::string& deletedAt);
