// The sample loader of the command y: adds one fixed call-detail record
// (SampleCdrSql) to CDRMAIN of the internal logger database.
#pragma once

// The sample data file, looked for in the program's directory (ExeDirectory;
// the working directory when that is empty). It must exist and hold at least
// one byte; its content is read, up to kSampleDataLimit bytes, but not
// interpreted.
inline constexpr char kSampleDataFile[] = "CdrMain.txt";
inline constexpr int kSampleDataLimit = 4096;

// Checks the sample data file ("Failed to load SQL data\n" when it is
// missing or empty), connects on a session of its own to "Internal Logger
// Database" whatever DsnName holds ("Failed to connect with CDR\n" when that
// fails), inserts the record and disconnects. Prints nothing on success; a
// refused insert shows only the driver's diagnostics.
void LoadSampleCdr();
