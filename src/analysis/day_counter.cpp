#include "analysis/day_counter.h"

#include <algorithm>
#include <cstring>

#include "analysis/exit_state_names.h"

void DayCounter::StartDay(int32_t dayStart, int32_t dayEnd, bool keepsAttempts) {
  int64_t length = static_cast<int64_t>(dayEnd) - dayStart;
  if (length <= 0 || length > kCountSlots) length = kPlainDaySeconds;
  DayStart = dayStart;
  DayLength = static_cast<int32_t>(length);
  // Only what earlier days can have touched needs clearing; a 25-hour day
  // leaves its last hour behind for the shorter day after it.
  const int32_t clear = std::max(dirtyLength_, DayLength);
  std::memset(Counts, 0, sizeof Counts[0] * static_cast<size_t>(clear));
  dirtyLength_ = DayLength;
  PeakValue = 0;
  PeakSecond = 0;
  DayRows = 0;
  DayBlockedRows = 0;
  std::memset(QuarterCarried, 0, sizeof QuarterCarried);
  std::memset(QuarterBlocked, 0, sizeof QuarterBlocked);
  keepsAttempts_ = keepsAttempts;
  if (keepsAttempts_) replay_.StartDay();
}

bool DayCounter::Occupies(int32_t startTime, int32_t endTime) const {
  // 64-bit offsets: a day start near either end of the 32-bit range must
  // not overflow.
  const int64_t s = static_cast<int64_t>(startTime) - DayStart;
  const int64_t e = static_cast<int64_t>(endTime) - DayStart;
  return s >= 0 && s < DayLength && e >= 0 && e < DayLength && e - s >= 2;
}

bool DayCounter::CountOccupancy(int32_t startTime, int32_t endTime) {
  ++DayRows;
  if (!Occupies(startTime, endTime)) return false;
  // Until FinishDay, Counts holds the change of the count at each second:
  // the call comes in at its start and is gone at its end.
  ++Counts[startTime - DayStart];
  --Counts[endTime - DayStart];
  return true;
}

void DayCounter::CountOutcome(int32_t startTime, int32_t endTime, int32_t exitState, DayPass pass) {
  const bool blocked = exitState == kExitAllTrunksBusy;
  const int64_t s = static_cast<int64_t>(startTime) - DayStart;
  const bool inDay = s >= 0 && s < DayLength;
  if (keepsAttempts_ && inDay) {
    const int64_t e = static_cast<int64_t>(endTime) - DayStart;
    const int32_t end = static_cast<int32_t>(std::clamp<int64_t>(e, s, DayLength));
    if (pass == DayPass::kSecond) {
      replay_.AddSecondLine(static_cast<int32_t>(s), end, blocked);
    } else {
      replay_.AddAttempt(static_cast<int32_t>(s), end, blocked);
    }
  }
  // The second pass brings calls of the first once more; a turned-away call
  // is one call.
  if (pass == DayPass::kSecond) return;
  if (blocked) ++DayBlockedRows;
  if (!inDay) return;
  const int64_t quarter = s / kQuarterHourSeconds;
  if (quarter >= kMaxQuarterHours) return;
  ++(blocked ? QuarterBlocked : QuarterCarried)[quarter];
}

void DayCounter::FinishDay() {
  int32_t peakValue = 0;
  int32_t peakSecond = 0;
  int32_t running = 0;
  for (int32_t second = 0; second < DayLength; ++second) {
    running += Counts[second];
    Counts[second] = running;
    if (running > peakValue) {
      peakValue = running;
      peakSecond = second;
    }
  }
  PeakValue = peakValue;
  PeakSecond = peakSecond;
}

DayOccupancy DayCounter::Readings() {
  return {DayStart,       DayLength,      Counts,         PeakValue,
          PeakSecond,     DayRows,        DayBlockedRows, QuarterCarried,
          QuarterBlocked, keepsAttempts_ ? &replay_ : nullptr, nullptr};
}

void DayCounter::Clear() {
  // A day of no span opens as a plain day at 0; every count is cleared.
  dirtyLength_ = kCountSlots;
  StartDay(0, 0);
}
