#include "analysis/index_hint.h"

#include <cstdio>
#include <vector>

#include "db/osql.h"
#include "db/table_indexes.h"
#include "db/table_kind.h"
#include "db/table_shards.h"

void HintWhenStartTimeIsUnindexed(OSql& session) {
  // A view lists no indexes of its own; the table beneath it may well have
  // the one the day statements use, and "index" cannot create one on it.
  if (IsView(session, "CDRMAIN")) return;
  std::vector<TableIndex> indexes;
  if (ReadTableIndexes(session, "CDRMAIN", &indexes) == 0) return;
  if (HasIndexLedBy(indexes, "StartTime")) return;
  // A head's day statements are answered from the shards' indexes, which
  // its catalogue does not list; "index" refuses to run on it.
  TableShards shards;
  if (ReadTableShards(session, "CDRMAIN", &shards) != 0 && shards.kind != ShardKind::kNone) return;
  std::fflush(stdout);
  std::fprintf(stderr,
               "Hint: no index of CDRMAIN starts with StartTime, so every day reads the whole table; "
               "\"nortesk-etp index\" creates one.\n");
}
