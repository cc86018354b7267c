// The process made fit for the ODBC drivers it loads.
#pragma once

// Settings the drivers cannot make for themselves, because they belong to
// the whole process:
//
// - The SQLite library that the SQLite ODBC driver loads keeps memory
//   statistics under one process-wide mutex, which it takes for every value
//   it reads; sessions on several threads would spend their time waiting for
//   each other. Those statistics are turned off (when the library is
//   installed and not yet initialized).
// - Drivers keep a statement's whole result in memory and free it when the
//   statement closes; a range check runs two statements a day. Memory freed
//   that way stays with the process for the next statement instead of going
//   back to the system, which would hand it out again page by page.
//
// Must run before the first session is opened. Safe to call more than once.
void PrepareProcessForDrivers();
