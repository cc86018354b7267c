#include "ivrlog/ivr_host.h"

#include <filesystem>

#include "ivrlog/worker_message.h"
#include "platform/files.h"
#include "trace/trace.h"

namespace {

constexpr char kIvrHostModule[] = "IvrHost";

enum HostReportLine {
  kLineLiveOpen = 40,
  kLineLiveReopened = 45,
  kLinePost = 60,
  kLineNightDone = 80,
  kLineNightFailed = 85,
  kLineNightStopped = 90,
};

}  // namespace

CIvrHost::CIvrHost(CIvrLog* worker, CMessagePool* pool, const IvrHostSettings& settings)
    : worker_(worker), pool_(pool), liveDsn_(settings.liveDsn) {
  worker_->backupDataSource = settings.backupDsn;
  worker_->backupFilePath = settings.backupFile;
  worker_->newBackupSourcePath = settings.newBackupSource;
  // Set-aside files are named after the backup file, beside it, with its
  // extension: backup.sqlite becomes backup_YYYYMMDD_YYYYMMDD.sqlite. A
  // name given as a link stands for the file it leads to, where the file
  // is set aside: a hard link cannot leave its file system.
  const std::string resolved = ResolvedFilePath(settings.backupFile.c_str());
  const std::filesystem::path file(resolved.empty() ? settings.backupFile : resolved);
  worker_->setAsidePrefix = (file.parent_path() / file.stem()).string();
  worker_->setAsideExtension = file.extension().string();
  worker_->retainMonths = settings.retainMonths;
  worker_->backupRetainMonths = settings.backupRetainMonths;
  worker_->queueLock = CreateMutexHandle();
  pool_->lock = CreateMutexHandle();
}

CIvrHost::~CIvrHost() {
  worker_->liveSession.Disconnect();
  worker_->backupSession.Disconnect();
  CloseMutexHandle(worker_->queueLock);
  worker_->queueLock = nullptr;
  CloseMutexHandle(pool_->lock);
  pool_->lock = nullptr;
}

bool CIvrHost::KeepLiveSessionOpen() {
  OSql& live = worker_->liveSession;
  if (live.IsOpen() && live.connectionLost == 0) return true;
  const bool lost = live.IsOpen();
  live.Disconnect();
  if (worker_->OpenLiveSession(liveDsn_.c_str()) == 0) {
    // Once per outage, not once a minute.
    if (!liveFailed_) {
      Trace(kIvrHostModule, kLineLiveOpen, "Failed to open live database %s, trying again every minute",
            liveDsn_.c_str());
    }
    liveFailed_ = true;
    return false;
  }
  if (lost || liveFailed_) Trace(kIvrHostModule, kLineLiveReopened, "Live database %s opened again", liveDsn_.c_str());
  liveFailed_ = false;
  return true;
}

bool CIvrHost::Post(uint32_t type) {
  WorkerMessage* message = pool_->TakeMessage(type, nullptr, 0);
  if (message != nullptr && worker_->PostWorkerMessage(message) == 1) return true;
  if (message != nullptr) pool_->ReturnBuffer(message);
  Trace(kIvrHostModule, kLinePost, "Failed to post message %d to the worker", static_cast<int>(type));
  return false;
}

bool CIvrHost::RunNightNow() {
  if (!KeepLiveSessionOpen()) return false;
  const int32_t failedBefore = worker_->failedSteps;
  const int32_t leftBefore = worker_->messagesLeftOnStop;
  const bool posted = Post(kMessageBackupOldRows) && Post(kMessageRotateBackupFile);
  worker_->Run();
  const int32_t failed = worker_->failedSteps - failedBefore;
  const int32_t left = worker_->messagesLeftOnStop - leftBefore;
  if (left > 0) {
    Trace(kIvrHostModule, kLineNightStopped, "Stopped before %d of the night's steps; the next run takes them",
          static_cast<int>(left));
  }
  if (posted && failed == 0 && left == 0) {
    Trace(kIvrHostModule, kLineNightDone, "The night's work is done");
    return true;
  }
  if (failed == 0 && left > 0) return false;
  Trace(kIvrHostModule, kLineNightFailed, "The night's work failed in %d of its steps", static_cast<int>(failed));
  return false;
}

void CIvrHost::RunEveryMinute(CMinuteTicker* ticker) {
  while (ticker->WaitForNextMinute()) {
    KeepLiveSessionOpen();
    worker_->Run();
  }
}
