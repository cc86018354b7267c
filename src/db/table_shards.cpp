#include "db/table_shards.h"

#include <strings.h>

#include <algorithm>

#include "db/osql.h"
#include "db/sql_literal.h"
#include "db/table_engine.h"
#include "db/table_indexes.h"

namespace {

// A qualified, quoted partition name: two identifiers of at most 63 bytes,
// each of which may be quoted with every quote doubled.
constexpr SQLLEN kNameSize = 300;

// The leaf partitions of the table under its folded name, each with its
// relkind ('f' foreign) and the foreign server it is on (NULL when local).
// pg_partition_tree lists an ordinary table as its own only leaf, and
// nothing for a name that is no table.
std::string LeafPartitionsQuery(const std::string& name) {
  return "SELECT t.relid::regclass::text, c.relkind, s.srvname FROM pg_partition_tree(to_regclass(" +
         SqlStringLiteral(name) +
         ")) t JOIN pg_class c ON c.oid = t.relid LEFT JOIN pg_foreign_table f ON f.ftrelid = t.relid "
         "LEFT JOIN pg_foreign_server s ON s.oid = f.ftserver WHERE t.isleaf ORDER BY t.relid::regclass::text";
}

int ReadForeignPartitions(OSql& session, const char* table, TableShards* out) {
  const std::string query = LeafPartitionsQuery(FoldedTableName(session, table));
  SQLHSTMT statement = session.statementHandle;
  if (!SqlSucceeded(SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(query.c_str())), SQL_NTS))) {
    session.CloseCursor();
    return 0;
  }
  char name[kNameSize] = {}, kind[8] = {}, server[kNameSize] = {};
  SQLLEN nameIndicator = 0, kindIndicator = 0, serverIndicator = 0;
  if (SQLBindCol(statement, 1, SQL_C_CHAR, name, kNameSize - 1, &nameIndicator) != SQL_SUCCESS ||
      SQLBindCol(statement, 2, SQL_C_CHAR, kind, sizeof kind - 1, &kindIndicator) != SQL_SUCCESS ||
      SQLBindCol(statement, 3, SQL_C_CHAR, server, kNameSize - 1, &serverIndicator) != SQL_SUCCESS) {
    session.FinishLocalRead();
    return 0;
  }
  bool foreign = false;
  SQLRETURN result = SQL_SUCCESS;
  while (SqlSucceeded(result = SQLFetch(statement))) {
    if (nameIndicator == SQL_NULL_DATA) continue;
    out->partitions.emplace_back(name);
    if (kindIndicator == SQL_NULL_DATA || kind[0] != 'f') continue;
    foreign = true;
    if (serverIndicator != SQL_NULL_DATA &&
        std::find(out->servers.begin(), out->servers.end(), server) == out->servers.end()) {
      out->servers.emplace_back(server);
    }
  }
  session.FinishLocalRead();
  if (result != SQL_NO_DATA) {
    *out = TableShards{};
    return 0;
  }
  // Local partitions alone keep the rows on this server.
  if (!foreign) {
    *out = TableShards{};
    return 1;
  }
  out->kind = ShardKind::kForeignPartitions;
  return 1;
}

}  // namespace

int ReadTableShards(OSql& session, const char* table, TableShards* out) {
  *out = TableShards{};
  if (!session.IsOpen() || session.statementHandle == SQL_NULL_HSTMT) return 0;
  if (session.DbmsNameStartsWith("PostgreSQL")) return ReadForeignPartitions(session, table, out);
  std::string engine;
  if (ReadTableEngine(session, table, &engine) == 0) return 0;
  if (strcasecmp(engine.c_str(), "SPIDER") == 0) out->kind = ShardKind::kSpider;
  return 1;
}

const char* ShardKindText(ShardKind kind) {
  switch (kind) {
    case ShardKind::kSpider:
      return "a Spider table";
    case ShardKind::kForeignPartitions:
      return "partitioned over postgres_fdw foreign tables";
    case ShardKind::kNone:
      break;
  }
  return "";
}
