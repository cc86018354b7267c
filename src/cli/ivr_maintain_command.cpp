#include "cli/ivr_maintain_command.h"

#include <pthread.h>
#include <signal.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <thread>

#include "cli/exit_status.h"
#include "db/osql.h"
#include "ivrlog/backup_file.h"
#include "ivrlog/ivr_host.h"
#include "ivrlog/ivr_texts.h"
#include "ivrlog/minute_ticker.h"
#include "platform/exclusive_lock.h"
#include "platform/files.h"
#include "trace/trace.h"

namespace {

constexpr char kIvrMaintainModule[] = "IvrMaintain";
constexpr char kDefaultTracePath[] = "nortesk-ivr.log";

// Beside the backup file: the lock that one run at a time holds.
constexpr char kLockFileSuffix[] = ".lock";

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

// Runs `work` on a thread of its own until it returns or a stop signal
// comes; on a signal, `stop` is called and the work is left to finish the
// step in progress. Every signal is taken here, so that none interrupts a
// database call or ends the process midway.
template <typename Work, typename Stop>
void RunUntilStopped(Work work, Stop stop) {
  StopSignals signals;
  const pthread_t waiter = pthread_self();
  std::atomic<bool> stoppedByItself = false;
  // The new thread starts with the signals blocked, as they are here.
  std::thread worker([&] {
    work();
    stoppedByItself = true;
    // Wakes the waiting thread when the work ended without a signal.
    pthread_kill(waiter, SIGTERM);
  });
  const int signal = signals.Wait();
  if (!stoppedByItself) {
    stop();
    Trace(kIvrMaintainModule, kLineStopping, "Signal %d: stopping after the step in progress", signal);
  }
  worker.join();
}

// Refuses a --backup-file that the backup data source does not open: the
// rotation renames and replaces that file, and must never take another
// database's rows for its own. A data source that cannot be opened now is
// checked again by the rotation itself. The reason goes to `reason`.
bool BackupFileIsTheDataSources(const IvrHostSettings& host, std::string* reason) {
  if (host.backupFile.empty()) return true;
  // Checked before connecting: SQLite would create a missing file, empty.
  if (!FileExists(host.backupFile.c_str())) {
    *reason = "--backup-file " + host.backupFile + ": no such file";
    return false;
  }
  OSql backup;
  if (backup.Connect(host.backupDsn.c_str(), "", "") == 0) return true;
  std::string opened;
  const BackupFileMatch match = MatchBackupFile(backup, host.backupFile, &opened);
  backup.Disconnect();
  if (match == BackupFileMatch::kSame) return true;
  if (match == BackupFileMatch::kNoFile) {
    *reason = "the backup data source " + host.backupDsn +
              " is not a database file, so it has nothing to set aside: leave out --backup-file and "
              "--new-backup-source";
  } else {
    *reason = "--backup-file " + host.backupFile + " is not the file that the backup data source " +
              host.backupDsn + " opens (" + opened + ")";
  }
  return false;
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
  std::string refusal;
  if (!BackupFileIsTheDataSources(options.host, &refusal)) {
    std::fprintf(stderr, "nortesk-etp: %s\n", refusal.c_str());
    return kExitUsage;
  }
  // One night's work at a time on a backup file, the daemon's and any run by
  // hand or by a timer alike: two at once would each make and rename a new
  // file of the other's. Held until the process ends.
  CExclusiveLock nightLock;
  if (!options.host.backupFile.empty()) {
    const std::string lockFile = ResolvedFilePath(options.host.backupFile.c_str()) + kLockFileSuffix;
    std::string holder;
    if (!nightLock.TryAcquire(lockFile, &holder)) {
      std::fprintf(stderr, "nortesk-etp: the backup file %s is being maintained by %s (lock %s); nothing done\n",
                   options.host.backupFile.c_str(), holder.c_str(), lockFile.c_str());
      return kExitFailed;
    }
  }
  if (ProcessTrace.Open(options.tracePath.c_str(), kTraceToFile) == 0) {
    std::fprintf(stderr, "nortesk-etp: cannot open the trace log %s\n", options.tracePath.c_str());
    return kExitFailed;
  }
  Trace(kIvrMaintainModule, kLineStarted, "IVR maintenance of %s into %s started%s", options.host.liveDsn.c_str(),
        options.host.backupDsn.c_str(), options.once ? " for one night's work" : "");
  int status = kExitDone;
  {
    CIvrHost host(&IvrLog, &MessagePool, options.host);
    IvrLog.stopRequested = false;
    if (options.once) {
      bool done = false;
      RunUntilStopped([&] { done = host.RunNightNow(); }, [] { IvrLog.stopRequested = true; });
      status = done ? kExitDone : kExitFailed;
      std::fflush(stdout);
      if (status != kExitDone) {
        std::fprintf(stderr, "nortesk-etp: the IVR maintenance failed, see %s\n", options.tracePath.c_str());
      }
    } else {
      CMinuteTicker wallClock;
      CMinuteTicker* minutes = ticker != nullptr ? ticker : &wallClock;
      RunUntilStopped([&] { host.RunEveryMinute(minutes); },
                      [&] {
                        IvrLog.stopRequested = true;
                        minutes->Stop();
                      });
    }
  }
  Trace(kIvrMaintainModule, kLineStopped, "IVR maintenance stopped");
  ProcessTrace.Close();
  return status;
}
