#include "ivrlog/ivr_log.h"
#include "ivrlog/ivr_texts.h"
#include "trace/trace.h"

namespace {

// The hours of the night: the schedule is armed in the first and runs in
// the second.
constexpr uint16_t kArmHour = 1;
constexpr uint16_t kRunHour = 2;

// Steps of the night, by the value of scheduleStep when it is taken.
constexpr int32_t kStepBackup = 1;
constexpr int32_t kStepRotate = 3;
constexpr int32_t kStepCloseLive = 7;
constexpr int32_t kStepDone = 12;

}  // namespace

void CIvrLog::CheckSchedule() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  if (now.wHour == kArmHour) {
    scheduleStep = kStepBackup;
  } else if (now.wHour == kRunHour) {
    AdvanceSchedule();
  }
}

void CIvrLog::AdvanceSchedule() {
  if (scheduleStep == 0) return;
  int32_t step = scheduleStep;
  scheduleStep = step + 1;
  switch (step) {
    case kStepBackup:
      BackupOldRows();
      break;
    case kStepRotate:
      RotateBackupFile();
      break;
    case kStepCloseLive:
      liveSession.Disconnect();
      break;
    case kStepDone:
      scheduleStep = 0;
      Trace(kIvrLogModule, kLineMidnightDone, "Midnight task is done");
      break;
    default:
      break;
  }
}
