#include "db/cdr_schema.h"

#include "cdrmain_schema.h"
#include "db/sql_script.h"

std::vector<std::string> CdrMainStatements() { return SplitSqlScript(kCdrMainSql); }

const std::string& CoveringIndexStatement() {
  static const std::string statement = [] {
    const std::string head = std::string("CREATE INDEX ") + kCoveringIndexName + " ";
    for (const std::string& text : CdrMainStatements()) {
      if (text.rfind(head, 0) == 0) return text;
    }
    return std::string();
  }();
  return statement;
}
