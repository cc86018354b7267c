#include "analysis/index_hint.h"

#include <cstdio>
#include <vector>

#include "db/osql.h"
#include "db/table_indexes.h"

void HintWhenStartTimeIsUnindexed(OSql& session) {
  std::vector<TableIndex> indexes;
  if (ReadTableIndexes(session, "CDRMAIN", &indexes) == 0) return;
  if (HasIndexLedBy(indexes, "StartTime")) return;
  std::fflush(stdout);
  std::fprintf(stderr,
               "Hint: no index of CDRMAIN starts with StartTime, so every day reads the whole table; "
               "\"nortesk-etp index\" creates one.\n");
}
