// nortesk-etp minutes: the trunk minutes of the commands m and M for
// scripts. Prints the month lines of m (or M) for the current local month
// and the months before it, oldest first, on standard output, and writes
// them as CSV (report/minutes_csv.h) when asked. Exit status 1, with one
// line on standard error, when the data source cannot be opened, a month's
// statement fails, standard output or the CSV file cannot be written; the
// CSV file is then left as it was (and not written when standard output
// failed).
//
//   --months N         the current month and the N-1 before it, 1-120 (default 4)
//   --without-sip-tie  leave out calls whose only trunk end is a SIP tie line
//   --dsn NAME         data source (default "Internal Logger Database")
//   --csv FILE         writes the months into FILE
#pragma once

#include <cstdint>
#include <string>

namespace CLI {
class App;
}

struct MinutesOptions {
  std::string dsn;
  int32_t months = 4;
  bool withoutSipTie = false;
  std::string csvPath;  // empty: no CSV file
};

// Adds the subcommand "minutes" with its options to `app`; parsing fills
// `options`, which must outlive the parse.
CLI::App* AddMinutesCommand(CLI::App* app, MinutesOptions* options);

// Runs the report; returns the exit status (cli/exit_status.h).
int RunMinutes(const MinutesOptions& options);
