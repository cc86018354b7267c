#include "db/table_engine.h"

#include <strings.h>

#include "db/osql.h"
#include "db/sql_literal.h"
#include "db/table_indexes.h"

namespace {

// The engines whose tables roll back.
constexpr const char* kTransactionalEngines[] = {"InnoDB", "RocksDB", "TokuDB"};

bool HasStorageEngines(OSql& session) {
  return session.DbmsNameStartsWith("MariaDB") || session.DbmsNameStartsWith("MySQL");
}

}  // namespace

int ReadTableEngine(OSql& session, const char* table, std::string* engine) {
  engine->clear();
  if (!session.IsOpen()) return 0;
  if (!HasStorageEngines(session)) return 1;
  const std::string query =
      "SELECT MAX(ENGINE) FROM information_schema.TABLES WHERE TABLE_SCHEMA=DATABASE() AND TABLE_NAME=" +
      SqlStringLiteral(FoldedTableName(session, table));
  // One row whatever is listed: NULL for a table the server does not list.
  char text[64] = {};
  if (session.QueryFirstText(query.c_str(), text, sizeof text) == 0) return 0;
  *engine = text;
  return 1;
}

bool EngineRollsBack(const std::string& engine) {
  if (engine.empty()) return true;
  for (const char* name : kTransactionalEngines) {
    if (strcasecmp(engine.c_str(), name) == 0) return true;
  }
  return false;
}
