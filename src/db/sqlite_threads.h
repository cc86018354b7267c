// The embedded database's library, made fit for readers on several threads.
#pragma once

// The SQLite library that the SQLite ODBC driver loads keeps memory
// statistics under one process-wide mutex, which it takes for every value
// it reads; sessions on several threads then spend their time waiting for
// each other. Turns those statistics off. Must run before any SQLite
// session is opened; does nothing when the library is not installed or
// already initialized. Safe to call more than once.
void PrepareSqliteForThreads();
