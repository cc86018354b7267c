#include "db/cdr_schema.h"

#include "cdrmain_schema.h"
#include "db/sql_script.h"

std::vector<std::string> CdrMainStatements() { return SplitSqlScript(kCdrMainSql); }

const std::string& CoveringIndexStatement() {
  static const std::string statement = [] {
    const std::string head = std::string("CREATE INDEX ") + kCoveringIndexName + " ";
    for (const std::string& text : CdrMainStatements()) {
      const size_t start = text.find_first_not_of(" \t\r\n");
      if (start != std::string::npos && text.compare(start, head.size(), head) == 0) return text.substr(start);
    }
    return std::string();
  }();
  return statement;
}
