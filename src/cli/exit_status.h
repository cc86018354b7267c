// Exit statuses of the command line, as grep and diff have them.
#pragma once

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;  // the work failed: data source, statement, files
inline constexpr int kExitUsage = 2;   // bad arguments
