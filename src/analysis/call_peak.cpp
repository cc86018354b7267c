#include "analysis/call_peak.h"

#include <cstdio>
#include <cstring>

#include "analysis/call_kinds.h"
#include "analysis/check_progress.h"
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
  Clear();
  RowsCounted = 0;
  UnreadDays = 0;
  Peaks.Clear();
  dayFirstRow_ = 0;
}

void CCallPeak::StartDay(int32_t dayStart, int32_t dayEnd) {
  DayCounter::StartDay(dayStart, dayEnd);
  dayFirstRow_ = RowsCounted;
}

int32_t CCallPeak::OnCall(int32_t startTime, int32_t endTime) {
  ++RowsCounted;
  lastStart_ = startTime;
  lastEnd_ = endTime;
  if (!CountOccupancy(startTime, endTime)) return 0;
  if (startTime > ViewTime || ViewTime > endTime) return 0;
  // The caller prints this row next; it must not run into the progress line.
  if (rowSink == nullptr) RangeProgress.Hide();
  return 1;
}

void CCallPeak::OnExitState(int32_t exitState) { CountOutcome(lastStart_, lastEnd_, exitState, DayPass::kFirst); }

int32_t CCallPeak::FindPeak() {
  FinishDay();
  if (DayObserver != nullptr) {
    DayOccupancy day = Readings();
    day.rows = RowsCounted - dayFirstRow_;
    DayObserver->OnDay(day);
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
