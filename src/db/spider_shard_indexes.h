// Whether the shards of a Spider table have an index led by a column, asked
// through the head: its catalogue lists only what the head declares, but
// Spider's function spider_direct_sql runs a statement on a shard server
// and hands its rows back to the head.
#pragma once

#include <string>
#include <vector>

class OSql;

struct ShardIndex {
  std::string server;  // as the head's partition (or table) comment names it
  int ledBy = -1;      // 1 an index of the shard's table is led by the column, 0 none, -1 not known
};

// For each shard that a partition of Spider table `table` on the open
// `session` is on (each server and remote table once, in partition order):
// whether an index of its remote table is led by `column`. The head
// connects to the shard as its server definition says; the answers travel
// through a temporary table of the session, dropped again. Returns 0 with
// the reason when the head's catalogue could not be read, a partition
// names no server, or a shard could not be asked (no right to
// spider_direct_sql, a shard that does not answer). Uses the session's own
// statement and leaves it idle; prints nothing.
int ReadSpiderShardIndexes(OSql& session, const char* table, const char* column, std::vector<ShardIndex>* out,
                           std::string* reason);
