#include "cli/ivr_maintain_command.h"

#include <pthread.h>
#include <signal.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <thread>

#include "cli/exit_status.h"
#include "ivrlog/ivr_host.h"
#include "ivrlog/ivr_texts.h"
#include "ivrlog/minute_ticker.h"
#include "trace/trace.h"

namespace {

constexpr char kIvrMaintainModule[] = "IvrMaintain";
constexpr char kDefaultTracePath[] = "nortesk-ivr.log";

// The retention limits of the worker.
constexpr int32_t kMaxMonths = 24;

enum MaintainReportLine {
  kLineStarted = 20,
  kLineStopping = 30,
  kLineStopped = 35,
};

// The signals that stop the daemon, blocked on every thread of it and taken
// by the waiting thread alone, so that no database call is interrupted.
class StopSignals {
 public:
  StopSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set_, &saved_);
  }
  ~StopSignals() {
    // A signal that came meanwhile is taken here, not acted on when the
    // mask is restored.
    timespec none{};
    while (sigtimedwait(&set_, nullptr, &none) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // The number of the signal that came.
  int Wait() {
    int signal = 0;
    while (sigwait(&set_, &signal) != 0) {
    }
    return signal;
  }

 private:
  sigset_t set_;
  sigset_t saved_;
};

int RunDaemon(CIvrHost* host, CMinuteTicker* ticker) {
  StopSignals signals;
  const pthread_t waiter = pthread_self();
  std::atomic<bool> stoppedByItself = false;
  // The new thread starts with the signals blocked, as they are here.
  std::thread worker([&] {
    host->RunEveryMinute(ticker);
    stoppedByItself = true;
    // Wakes the waiting thread when the ticker stopped without a signal.
    pthread_kill(waiter, SIGTERM);
  });
  const int signal = signals.Wait();
  ticker->Stop();
  if (!stoppedByItself) {
    Trace(kIvrMaintainModule, kLineStopping, "Signal %d: stopping after the step in progress", signal);
  }
  worker.join();
  return kExitDone;
}

}  // namespace

CLI::App* AddIvrMaintainCommand(CLI::App* app, IvrMaintainOptions* options) {
  CLI::App* command = app->add_subcommand(
      "ivr-maintain",
      "Moves old rows of the IVR database into its backup every night and sets full backup files aside");
  options->host.backupDsn = kBackupDataSource;
  options->tracePath = kDefaultTracePath;
  command->add_option("--live", options->host.liveDsn, "ODBC data source of the live IVR database")
      ->type_name("DSN")
      ->required();
  command->add_option("--backup", options->host.backupDsn, "ODBC data source of the backup database")
      ->type_name("DSN")
      ->capture_default_str();
  CLI::Option* file =
      command->add_option("--backup-file", options->host.backupFile, "the backup database's file, set aside when full")
          ->type_name("PATH");
  CLI::Option* source = command
                            ->add_option("--new-backup-source", options->host.newBackupSource,
                                         "an IVR database file that a new backup file is copied from")
                            ->type_name("PATH");
  file->needs(source);
  source->needs(file);
  command->add_option("--trace", options->tracePath, "trace log of the worker and its sessions")
      ->type_name("FILE")
      ->capture_default_str();
  command->add_option("--retain-months", options->host.retainMonths, "months of calls kept in the live database")
      ->type_name("N")
      ->check(CLI::Range(0, kMaxMonths))
      ->capture_default_str();
  command->add_option("--backup-retain-months", options->host.backupRetainMonths, "months of calls kept in the backup")
      ->type_name("N")
      ->check(CLI::Range(0, kMaxMonths))
      ->capture_default_str();
  command->add_flag("--once", options->once, "do one night's work now, then exit (for cron or a timer)");
  command->callback([options] {
    if (options->host.retainMonths + options->host.backupRetainMonths > kMaxMonths) {
      throw CLI::ValidationError("--retain-months and --backup-retain-months",
                                 "together they may reach back 24 months at most");
    }
  });
  return command;
}

int RunIvrMaintain(const IvrMaintainOptions& options, CMinuteTicker* ticker) {
  if (ProcessTrace.Open(options.tracePath.c_str(), kTraceToFile) == 0) {
    std::fprintf(stderr, "nortesk-etp: cannot open the trace log %s\n", options.tracePath.c_str());
    return kExitFailed;
  }
  Trace(kIvrMaintainModule, kLineStarted, "IVR maintenance of %s into %s started%s", options.host.liveDsn.c_str(),
        options.host.backupDsn.c_str(), options.once ? " for one night's work" : "");
  int status = kExitDone;
  {
    CIvrHost host(&IvrLog, &MessagePool, options.host);
    if (options.once) {
      status = host.RunNightNow() ? kExitDone : kExitFailed;
      std::fflush(stdout);
      if (status != kExitDone) {
        std::fprintf(stderr, "nortesk-etp: the IVR maintenance failed, see %s\n", options.tracePath.c_str());
      }
    } else {
      CMinuteTicker wallClock;
      status = RunDaemon(&host, ticker != nullptr ? ticker : &wallClock);
    }
  }
  Trace(kIvrMaintainModule, kLineStopped, "IVR maintenance stopped");
  ProcessTrace.Close();
  return status;
}
