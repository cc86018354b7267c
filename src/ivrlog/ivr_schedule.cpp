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

// True when the local clock went from hour 1 straight to hour 3 within the
// last hour: a night on which the clock is put forward at 02:00.
bool SkippedRunHour(const SYSTEMTIME& now) {
  if (now.wHour != kRunHour + 1) return false;
  SYSTEMTIME hourAgo{};
  return EpochToLocalFields(CurrentEpochSeconds() - 3600, &hourAgo) && hourAgo.wHour == kArmHour;
}

}  // namespace

void CIvrLog::CheckSchedule() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  if (now.wHour == kArmHour) {
    scheduleStep = kStepBackup;
  } else if (now.wHour == kRunHour) {
    AdvanceSchedule();
  } else if (scheduleStep != 0 && SkippedRunHour(now)) {
    // The night's hour never came: its work is done now, all of it, rather
    // than dropped for a month.
    for (int step = 0; step < kStepDone && scheduleStep != 0; ++step) AdvanceSchedule();
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
