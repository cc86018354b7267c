// Whether a table's rows live on other servers, with this one only the head
// that answers for them: a MariaDB table of the Spider engine, or a
// PostgreSQL table partitioned over foreign tables (postgres_fdw). On such a
// head the indexes that the driver lists are the head's own declarations:
// the day statements are answered from the shards' indexes, which the
// head's catalogue does not show, and an index created on the head reaches
// no shard.
#pragma once

#include <string>
#include <vector>

class OSql;

enum class ShardKind {
  kNone,               // the rows are on this server, or the catalogue does not say otherwise
  kSpider,             // a Spider table (information_schema.TABLES.ENGINE)
  kForeignPartitions,  // a partitioned table with at least one foreign partition (pg_catalog)
};

struct TableShards {
  ShardKind kind = ShardKind::kNone;
  // kForeignPartitions only: every leaf partition, foreign or not, as a name
  // a statement can use in place of the table (the server quotes it), in the
  // catalogue's order; and the foreign servers they are on, each named once.
  std::vector<std::string> partitions;
  std::vector<std::string> servers;
};

// Reads how `table` is stored on the open `session` into `out`. On SQLite
// and on a server that cannot shard it gives kNone without a statement.
// Returns 0, with kNone, when the catalogue could not be read. Uses the
// session's own statement and leaves it idle; prints nothing.
int ReadTableShards(OSql& session, const char* table, TableShards* out);

// How a head of `kind` is named in a message: "a Spider table",
// "partitioned over postgres_fdw foreign tables"; "" for kNone.
const char* ShardKindText(ShardKind kind);
