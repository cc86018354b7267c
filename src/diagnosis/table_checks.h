// The checks of nortesk-etp doctor on table CDRMAIN of an open session, as
// a support engineer would make them before trusting the tool's answers:
//
//   1. the table can be read and has every column the tool reads, each in a
//      type that holds what the tool needs (diagnosis/cdr_columns.h);
//   2. StartTime and EndTime hold epoch seconds on a sample of rows;
//   3. LocalDay holds record days on a sample of rows;
//   4. the records: how many, the first and the last record day, how many
//      end before they start;
//   5. the kinds of calls on a sample of rows (extension, trunk, trunk
//      without SIP tie): no trunk call fails;
//   6. LocalDay against the local day of StartTime in the process's zone
//      (TZ) on a sample of rows: more than a few that differ fail;
//   7. an index led by StartTime, which every day of a check reads through
//      (skipped for a view, whose indexes are those of its tables); on a head
//      whose rows are on shards (db/table_shards.h), that index on each
//      shard, asked through a Spider head, or else skipped, saying where the
//      index must be.
//
// Each check gives one finding; the column check one per column at fault.
// A failed finding says what is wrong and what to do about it. A check whose
// columns are at fault, or that finds no rows to sample, is skipped; a table
// that cannot be read ends the checks.
#pragma once

#include <string>
#include <vector>

#include "diagnosis/finding.h"

class OSql;

// The rows that the sampling checks read, at most.
inline constexpr int kSampledRows = 1000;

// Runs the checks on the open `session` through its own statement, which is
// left idle; `dsn` is the data source's name, for the advice. Prints nothing.
std::vector<Finding> CheckCdrTable(OSql& session, const std::string& dsn);
