// nortesk-etp doctor: checks a data source the way a support engineer
// would, before the tool's answers are trusted: the connection (with the
// driver's reason when it fails), then table CDRMAIN (diagnosis/table_checks.h).
// Prints one line per finding on standard output, each led by "ok", "FAIL"
// or "skip"; a failed one says what to do. Exit status 0 when nothing
// failed, 1 otherwise.
//
//   --dsn NAME     data source (default "Internal Logger Database")
#pragma once

#include <string>

namespace CLI {
class App;
}

struct DoctorOptions {
  std::string dsn;
};

// Adds the subcommand "doctor" with its options to `app`; parsing fills
// `options`, which must outlive the parse.
CLI::App* AddDoctorCommand(CLI::App* app, DoctorOptions* options);

// Runs the checks; returns the exit status (cli/exit_status.h).
int RunDoctor(const DoctorOptions& options);
