#include "ivrlog/ivr_log.h"

#include "ivrlog/ivr_texts.h"
#include "ivrlog/message_pool.h"
#include "trace/trace.h"

CIvrLog IvrLog;

CIvrLog::CIvrLog()
    : backupDataSource(kBackupDataSource),
      backupFilePath(kBackupFilePath),
      setAsidePrefix(kSetAsidePrefix),
      setAsideExtension(kSetAsideExtension),
      newBackupSourcePath(kNewBackupSourcePath) {}

CIvrLog::~CIvrLog() { pendingMessages.clear(); }

int32_t CIvrLog::Run() {
  std::list<WorkerMessage*> taken;
  {
    CMutexLock held(&queueLock);
    held.Wait(kWorkerLockWaitMilliseconds);
    // Moves the nodes over: the queue is held no longer than this.
    taken.splice(taken.end(), pendingMessages);
  }
  for (WorkerMessage* message : taken) {
    if (message == nullptr) continue;
    if (stopRequested) {
      ++messagesLeftOnStop;
    } else {
      Handle(message);
    }
    MessagePool.ReturnBuffer(message);
  }
  if (!stopRequested) CheckSchedule();
  return 1;
}

void CIvrLog::Handle(WorkerMessage* message) {
  uint32_t type = message->type;
  if (type >= kMessageNoActionFirst && type <= kMessageNoActionLast) return;
  if (type == kMessageBackupOldRows) {
    BackupOldRows();
  } else if (type == kMessageRotateBackupFile) {
    RotateBackupFile();
  } else {
    liveSession.ExecuteOnNewStatement(message->Text(), message->length);
  }
}

int CIvrLog::OpenLiveSession(const char* dsn) { return liveSession.Connect(dsn, "", ""); }

int CIvrLog::PostWorkerMessage(WorkerMessage* message) {
  if (message == nullptr) return 0;
  CMutexLock held(&queueLock);
  if (queueLock != nullptr && !held.Wait(kWorkerLockWaitMilliseconds)) return 0;
  try {
    pendingMessages.push_back(message);
  } catch (...) {
    return 0;
  }
  return 1;
}
