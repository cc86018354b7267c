#include "ivrlog/worker.h"

CWorker::CWorker() { ResetState(0); }

CWorker::~CWorker() { ResetState(0); }

int32_t CWorker::Start() { return 1; }

int32_t CWorker::Command(int32_t) { return 1; }

int32_t CWorker::Run() { return 1; }

int32_t CWorker::Stop() { return 1; }

void CWorker::ResetState(int32_t) {
  for (MutexHandle* handle : {&firstHandle, &queueLock, &thirdHandle}) {
    if (*handle != nullptr) CloseMutexHandle(*handle);
    *handle = nullptr;
  }
  status = 0;
  for (Slot& slot : slots) slot = Slot{-1, 0};
  tailValue = 0;
  counter = 0;
}
