// Whether a table can undo what a unit did to it. MariaDB (and MySQL) keep
// each table in a storage engine of its own choosing, and only some of them
// have transactions: on a MyISAM or Aria table every statement stands at
// once, so that a rollback, or a process that dies before its commit,
// leaves what the unit changed. Other databases roll back every table.
#pragma once

#include <string>

class OSql;

// The storage engine of `table` on the open `session`, as the server names
// it ("InnoDB", "MyISAM", ...): "" on a database without storage engines of
// its own (SQLite, PostgreSQL) and for a table the server lists without one
// (a view) or does not list. Uses the session's own statement and leaves it
// idle. 0 when the server's catalogue could not be read.
int ReadTableEngine(OSql& session, const char* table, std::string* engine);

// True when a table of storage engine `engine` (as ReadTableEngine gives
// it) takes part in transactions: "" and the transactional engines.
bool EngineRollsBack(const std::string& engine);
