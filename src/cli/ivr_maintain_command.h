// nortesk-etp ivr-maintain: keeps the IVR application's database small by
// hosting the IVR maintenance worker (ivrlog/ivr_host.h). It opens the
// trace log first, and every report of the worker and its sessions lands
// there.
//
// Without --once it runs the worker once a minute on a thread of its own, so
// that the nightly schedule moves the old rows at 02:00 and rotates the
// backup file at 02:02, night after night, until SIGTERM or SIGINT: then the
// step in progress is finished, both sessions are closed, the trace is
// written and closed, and the exit status is 0. With --once it does one
// night's work at once and exits 0 when it completed, 1 when any step
// failed (the trace says which); SIGTERM or SIGINT then lets the step in
// progress finish, leaves the rest for the next run and exits 1.
//
// A --backup-file that does not exist, or that the backup data source does
// not open (another file, or a server database with no file), is refused
// before anything is done: exit 2, naming both.
//
//   --live DSN                  live IVR data source (required)
//   --backup DSN                backup data source (default "SarvoIVR_bak")
//   --backup-file PATH          the backup database's file, and
//   --new-backup-source PATH    the file a new one is copied from; both or
//                               neither (a backup on a server is not rotated)
//   --trace FILE                trace log (default nortesk-ivr.log)
//   --retain-months N           months kept live, 0-24 (default 3)
//   --backup-retain-months N    months kept in the backup, 0-24, with the
//                               months kept live at most 24 (default 6)
//   --once                      one night's work now, then exit
#pragma once

#include <string>

#include "ivrlog/ivr_host.h"

namespace CLI {
class App;
}
class CMinuteTicker;

struct IvrMaintainOptions {
  IvrHostSettings host;
  std::string tracePath;
  bool once = false;
};

// Adds the subcommand "ivr-maintain" with its options to `app`; parsing
// fills `options`, which must outlive the parse.
CLI::App* AddIvrMaintainCommand(CLI::App* app, IvrMaintainOptions* options);

// Runs the maintenance; returns the exit status (cli/exit_status.h). The
// daemon's minutes come from `ticker` (null: the wall clock's). SIGTERM and
// SIGINT are blocked on the calling thread while it runs.
int RunIvrMaintain(const IvrMaintainOptions& options, CMinuteTicker* ticker = nullptr);
