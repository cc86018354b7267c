// nortesk-etp index: gives CDRMAIN the index that covers the day selects and
// the month sums (db/cdr_schema.h), so that a range check reads each day
// from the index alone instead of the whole table.
//
//   --dsn NAME   data source (default "Internal Logger Database")
//   --group-by COLUMNS  instead the index that covers the grouped
//                statements of plan and check --group-by COLUMNS
//                (analysis/grouped_scan.h): the group columns lie outside
//                the day selects' index, so without it every row's table
//                record is read (a column that is not CDRMAIN's exits 2)
//
// Creates the index when no index of CDRMAIN holds its columns with
// StartTime first, and says so; says which index serves when one does.
// Exit status 0 either way; 1 when the data source cannot be opened, its
// indexes cannot be listed or the index cannot be created, with the
// driver's message on standard error; and, creating nothing, when CDRMAIN
// is a view, whose index belongs on the table beneath it, or a head whose
// rows are on shards (db/table_shards.h), whose index belongs on each shard.
#pragma once

#include <string>

namespace CLI {
class App;
}

struct IndexOptions {
  std::string dsn;
  std::string groupBy;  // empty: the day selects' index
};

// Adds the subcommand "index" to `app`; parsing fills `options`, which must
// outlive the parse.
CLI::App* AddIndexCommand(CLI::App* app, IndexOptions* options);

// Runs it; returns the exit status (cli/exit_status.h).
int RunIndex(const IndexOptions& options);
