#include "analysis/call_peak.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "analysis/call_kinds.h"
#include "analysis/check_progress.h"
#include "analysis/exit_state_names.h"
#include "settings/settings.h"

CCallPeak CallPeak;

int CCallPeak::OpenDatabase() {
  openedDsn_ = DsnName;
  lost_ = false;
  return Session.OpenDatabase();
}

int CCallPeak::OpenOn(const char* dsn) {
  openedDsn_ = dsn != nullptr ? dsn : "";
  lost_ = false;
  return Session.Connect(openedDsn_.c_str(), "", "");
}

void CCallPeak::PrintRow(const char* line) {
  if (rowSink != nullptr) {
    rowSink->append(line);
  } else {
    std::fputs(line, stdout);
  }
}

int CCallPeak::ReconnectIfLost() {
  if (Session.connectionLost != 0) lost_ = true;
  if (!lost_) return 1;
  // The checker stays on the source it was opened on, whatever DsnName now
  // names.
  Session.Disconnect();
  if (Session.Connect(openedDsn_.c_str(), "", "") == 0) return 0;
  lost_ = false;
  return 1;
}

void CCallPeak::Reset() {
  RowsCounted = 0;
  UnreadDays = 0;
  PeakValue = 0;
  PeakSecond = 0;
  DayStart = 0;
  DayLength = kPlainDaySeconds;
  Peaks.Clear();
  std::memset(Counts, 0, sizeof Counts);
  dirtyLength_ = 0;
  DayBlockedRows = 0;
  std::memset(QuarterCarried, 0, sizeof QuarterCarried);
  std::memset(QuarterBlocked, 0, sizeof QuarterBlocked);
  dayFirstRow_ = 0;
}

void CCallPeak::StartDay(int32_t dayStart, int32_t dayEnd) {
  int64_t length = static_cast<int64_t>(dayEnd) - dayStart;
  if (length <= 0 || length > kCountSlots) length = kPlainDaySeconds;
  DayStart = dayStart;
  DayLength = static_cast<int32_t>(length);
  // Only what earlier days can have touched needs clearing; a 25-hour day
  // leaves its last hour behind for the shorter day after it.
  int32_t clear = dirtyLength_ > DayLength ? dirtyLength_ : DayLength;
  std::memset(Counts, 0, sizeof Counts[0] * static_cast<size_t>(clear));
  dirtyLength_ = DayLength;
  DayBlockedRows = 0;
  std::memset(QuarterCarried, 0, sizeof QuarterCarried);
  std::memset(QuarterBlocked, 0, sizeof QuarterBlocked);
  dayFirstRow_ = RowsCounted;
  if (replaysCalls) replay_.StartDay();
}

int32_t CCallPeak::OnCall(int32_t startTime, int32_t endTime) {
  ++RowsCounted;
  // 64-bit offsets: a day start near either end of the 32-bit range must
  // not overflow.
  int64_t s = static_cast<int64_t>(startTime) - DayStart;
  int64_t e = static_cast<int64_t>(endTime) - DayStart;
  lastStart_ = s;
  lastEnd_ = e;
  if (s < 0 || s >= DayLength || e < 0 || e >= DayLength) return 0;
  if (e - s < 2) return 0;
  // Until FindPeak, Counts holds the change of the count at each second:
  // the call comes in at s and is gone at e.
  ++Counts[s];
  --Counts[e];
  if (startTime > ViewTime || ViewTime > endTime) return 0;
  // The scan prints this row next; it must not run into the progress line.
  // (Rows kept for later are printed later.)
  if (rowSink == nullptr) RangeProgress.Hide();
  return 1;
}

void CCallPeak::OnExitState(int32_t exitState) {
  const bool blocked = exitState == kExitAllTrunksBusy;
  const bool secondPass = (CheckMode & ~kCheckModeMask) != 0;
  if (replaysCalls && lastStart_ >= 0 && lastStart_ < DayLength) {
    const int32_t end = static_cast<int32_t>(std::clamp<int64_t>(lastEnd_, lastStart_, DayLength));
    if (secondPass) {
      replay_.AddSecondLine(static_cast<int32_t>(lastStart_), end, blocked);
    } else {
      replay_.AddAttempt(static_cast<int32_t>(lastStart_), end, blocked);
    }
  }
  // The second pass brings calls of the first once more; a turned-away call
  // is one call.
  if (secondPass) return;
  if (blocked) ++DayBlockedRows;
  if (lastStart_ < 0 || lastStart_ >= DayLength) return;
  const int64_t quarter = lastStart_ / kQuarterHourSeconds;
  if (quarter >= kMaxQuarterHours) return;
  ++(blocked ? QuarterBlocked : QuarterCarried)[quarter];
}

int32_t CCallPeak::FindPeak() {
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
  if (DayObserver != nullptr) {
    DayObserver->OnDay(
        {DayStart, DayLength, Counts, PeakValue, PeakSecond, RowsCounted - dayFirstRow_, DayBlockedRows,
         QuarterCarried, QuarterBlocked, replaysCalls ? &replay_ : nullptr});
  }
  AddPeak();
  Peaks.Truncate(PeakList::kKept);
  return RowsCounted;
}

void CCallPeak::AddPeak() {
  if (PeakValue < 2) return;
  PeakEntry entry{PeakValue, static_cast<int32_t>(static_cast<uint32_t>(DayStart) + static_cast<uint32_t>(PeakSecond))};
  int32_t position = 0;
  while (position < Peaks.Count() && Peaks[position].count >= PeakValue) ++position;
  Peaks.Insert(position, entry);
}

void CCallPeak::PrintPeaks() {
  // An empty list leaves RowsCounted alone: the summary after it reports the
  // rows that were checked.
  if (Peaks.IsEmpty()) return;
  const CallKind* kind = CallKindOfMode(CheckMode);
  std::printf("%s\n", kind != nullptr ? kind->peakHeader : "...");
  for (int32_t i = 0; i < Peaks.Count(); ++i) {
    char when[32] = {};
    FormatEpochLocal(Peaks[i].time, when, sizeof when);
    std::printf("\t%2d: %d calls at %s\n", static_cast<int>(i + 1), static_cast<int>(Peaks[i].count), when);
  }
}

int CCallPeak::ViewPeak(int32_t index) {
  if (index < 0 || index >= Peaks.Count()) {
    std::printf("Invalid index\n");
    return 0;
  }
  ViewTime = Peaks[index].time;
  char when[32] = {};
  FormatEpochLocal(ViewTime, when, sizeof when);
  std::printf("View record for calls at %s = %d\n", when, static_cast<int>(ViewTime));
  return 1;
}
