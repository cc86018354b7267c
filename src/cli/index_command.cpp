#include "cli/index_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <vector>

#include "analysis/group_by.h"
#include "analysis/grouped_scan.h"
#include "cli/exit_status.h"
#include "settings/settings.h"
#include "db/cdr_schema.h"
#include "db/osql.h"
#include "db/table_columns.h"
#include "db/table_indexes.h"
#include "db/table_kind.h"
#include "db/table_shards.h"

namespace {

int Fail(OSql& session, const std::string& message, const std::string& reason) {
  std::fprintf(stderr, "nortesk-etp: %s\n%s", message.c_str(), reason.c_str());
  session.Disconnect();
  return kExitFailed;
}

}  // namespace

CLI::App* AddIndexCommand(CLI::App* app, IndexOptions* options) {
  CLI::App* index =
      app->add_subcommand("index", "Create the index that lets a range check read each day from the index alone");
  options->dsn = kDefaultDsnName;
  index->add_option("--dsn", options->dsn, "ODBC data source of the call records")
      ->type_name("NAME")
      ->capture_default_str();
  index
      ->add_option("--group-by", options->groupBy,
                   "instead the index that covers the statements of plan and check --group-by COLUMNS")
      ->type_name("COLUMNS")
      ->check([](const std::string& text) {
        GroupBy groupBy;
        std::string reason;
        return ParseGroupBy(text, &groupBy, &reason) ? std::string() : reason;
      });
  return index;
}

int RunIndex(const IndexOptions& options) {
  OSql session;
  if (session.Connect(options.dsn.c_str(), "", "") == 0) {
    std::fprintf(stderr, "nortesk-etp: cannot open data source \"%s\"\n", options.dsn.c_str());
    session.PrintConnectFailure();
    return kExitFailed;
  }
  if (IsView(session, "CDRMAIN")) {
    return Fail(session,
                "CDRMAIN in \"" + options.dsn +
                    "\" is a view: its index belongs on the table beneath it (README, \"Asterisk records\")",
                "");
  }
  TableShards shards;
  if (ReadTableShards(session, "CDRMAIN", &shards) != 0 && shards.kind != ShardKind::kNone) {
    return Fail(session,
                "CDRMAIN in \"" + options.dsn + "\" is " + ShardKindText(shards.kind) +
                    ", whose rows are on its shards: an index made here would reach none of them. Run "
                    "\"nortesk-etp index --dsn SHARD\" on each shard, SHARD a data source of that shard's "
                    "database (README, \"Records on a sharded database\")",
                "");
  }
  std::vector<TableIndex> indexes;
  std::string reason;
  if (ReadTableIndexes(session, "CDRMAIN", &indexes, &reason) == 0) {
    return Fail(session, "cannot list the indexes of CDRMAIN in \"" + options.dsn + "\"", reason);
  }
  std::vector<std::string> columns(std::begin(kCoveringIndexColumns), std::end(kCoveringIndexColumns));
  std::string name = kCoveringIndexName;
  std::string statement = CoveringIndexStatement();
  std::string served = "the day statements";
  std::string after = "range checks now read each day from it";
  if (!options.groupBy.empty()) {
    GroupBy groupBy;
    std::vector<TableColumn> table;
    ParseGroupBy(options.groupBy, &groupBy, &reason);  // the option's check accepted it
    if (ReadTableColumns(session, "CDRMAIN", &table, &reason) == 0) {
      return Fail(session, "cannot read the columns of CDRMAIN in \"" + options.dsn + "\"", reason);
    }
    if (!ResolveGroupBy(table, &groupBy, &reason)) {
      std::fprintf(stderr, "nortesk-etp: --group-by: %s\n", reason.c_str());
      session.Disconnect();
      return kExitUsage;
    }
    char quote[8] = {};
    SQLUSMALLINT folding = 0;
    if (session.GetIdentifierRules(quote, sizeof quote, &folding) == 0) {
      return Fail(session, "cannot read how the driver of \"" + options.dsn + "\" quotes a column's name", "");
    }
    columns = GroupedScanColumns(groupBy);
    name = GroupedScanIndexName(groupBy);
    statement = GroupedScanIndexStatement(groupBy, quote);
    served = "the statements of --group-by " + options.groupBy;
    after = "plan and check --group-by " + options.groupBy + " now read each day from it";
  }
  if (const TableIndex* serving = IndexCovering(indexes, columns); serving != nullptr) {
    std::printf("CDRMAIN already has index %s, which covers %s; nothing to do.\n", serving->name.c_str(),
                served.c_str());
    session.Disconnect();
    return kExitDone;
  }
  std::string diagnostics;
  session.printSink = &diagnostics;
  if (session.Execute(statement.c_str()) == 0) {
    return Fail(session, "cannot create index " + name + " on CDRMAIN", diagnostics);
  }
  std::printf("Created index %s on CDRMAIN; %s.\n", name.c_str(), after.c_str());
  session.Disconnect();
  return kExitDone;
}
