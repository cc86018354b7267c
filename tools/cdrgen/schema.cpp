#include "cdrgen/schema.h"

#include "cdrmain_schema.h"
#include "db/sql_script.h"

std::vector<std::string> CdrMainStatements() { return SplitSqlScript(kCdrMainSql); }
