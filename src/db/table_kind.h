// Whether a name stands for a view rather than a table, as the driver's
// catalogue (SQLTables) tells it, the same way on every backend.
#pragma once

class OSql;

// True when `table` is a view on the open `session`: it has no indexes of
// its own, only those of the tables beneath it. False for anything else
// and when the driver cannot tell. Uses the session's own statement and
// leaves it idle; prints nothing.
bool IsView(OSql& session, const char* table);
