// CIvrHost: drives the IVR maintenance worker (ivrlog/ivr_log.h) the way its
// host process does: it gives the worker its settings, creates the locks of
// the worker's queue and of the message pool, keeps `liveSession` open and
// calls Run, either once a minute until told to stop or once for a whole
// night's work at once.
//
// Reports go through Trace under the module "IvrHost". The host is used by
// one thread at a time; only the ticker's Stop comes from another.
#pragma once

#include <cstdint>
#include <string>

#include "ivrlog/ivr_log.h"
#include "ivrlog/message_pool.h"
#include "ivrlog/minute_ticker.h"

struct IvrHostSettings {
  std::string liveDsn;
  std::string backupDsn;
  // The backup database's file and the file a new one is copied from; both
  // empty for a backup database on a server, which is then never rotated.
  std::string backupFile;
  std::string newBackupSource;
  int32_t retainMonths = 3;
  int32_t backupRetainMonths = 6;
};

class CIvrHost {
 public:
  // Gives `worker` the settings and creates the queue's and the pool's
  // locks. Both objects must outlive the host.
  CIvrHost(CIvrLog* worker, CMessagePool* pool, const IvrHostSettings& settings);
  // Disconnects both sessions of the worker and closes the locks.
  ~CIvrHost();
  CIvrHost(const CIvrHost&) = delete;
  CIvrHost& operator=(const CIvrHost&) = delete;

  // Opens `liveSession` when it is closed (the night closes it) or its
  // connection was lost. False (reported) when it cannot be opened.
  bool KeepLiveSessionOpen();

  // One whole night's work now, whatever the clock says: the old rows are
  // moved, then the backup file is rotated when due, through the worker's
  // queue and one Run. True when the live database opened and no step
  // failed or was left undone by the worker's `stopRequested`.
  bool RunNightNow();

  // Every time `ticker` says a minute has come: KeepLiveSessionOpen, then
  // Run (also without the live database: the night's steps go on, and fail
  // reported). Returns when the ticker stops.
  void RunEveryMinute(CMinuteTicker* ticker);

 private:
  bool Post(uint32_t type);

  CIvrLog* worker_;
  CMessagePool* pool_;
  std::string liveDsn_;
  bool liveFailed_ = false;  // the last attempt to open it failed
};
