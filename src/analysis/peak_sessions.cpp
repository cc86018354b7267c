// The range check of CCallPeak on several sessions at once: the days are
// read on threads of their own and taken in day order.

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "analysis/call_peak.h"
#include "analysis/call_kinds.h"
#include "analysis/check_progress.h"
#include "analysis/day_results.h"
#include "analysis/day_statements.h"
#include "settings/settings.h"

namespace {

// Reads days until none is left, each into its result slot. Runs on a
// thread of its own, in the check's mode.
void ReadDays(CCallPeak* reader, CDayResults* results, uint32_t mode) {
  CheckMode = mode;
  reader->Reset();
  for (size_t index = results->Take(); index < results->Count(); index = results->Take()) {
    DayResult& day = results->Slot(index);
    day.dayStart = results->DayStart(index);
    // After a lost connection no day is read any more: the check ends there
    // as it does on one session.
    if (!results->stop.load() && reader->Session.connectionLost == 0) {
      reader->rowSink = &day.printed;
      reader->Session.printSink = &day.printed;
      const int32_t rowsBefore = reader->RowsCounted;
      const int32_t unreadBefore = reader->UnreadDays;
      reader->CheckDay(day.dayStart);
      day.read = reader->UnreadDays == unreadBefore;
      day.lost = reader->Session.connectionLost != 0;
      day.rows = reader->RowsCounted - rowsBefore;
      day.peakValue = reader->PeakValue;
      day.peakSecond = reader->PeakSecond;
      day.dayLength = reader->DayLength;
      if (day.lost) results->stop.store(true);
    }
    results->Publish(index);
  }
  reader->rowSink = nullptr;
  reader->Session.printSink = nullptr;
}

}  // namespace

int32_t DefaultRangeSessions() {
  long online = sysconf(_SC_NPROCESSORS_ONLN);
  if (online < 1) return 1;
  return online > CCallPeak::kMaxSessions ? CCallPeak::kMaxSessions : static_cast<int32_t>(online);
}

void CCallPeak::WalkMonthsOnSessions(int32_t first, int32_t last, const RecordDay& through) {
  CDayResults results;
  results_ = &results;
  dayMode_ = DayMode::kCollect;
  WalkMonths(first, last, through);
  results.Prepare();

  // The first reader reads on this checker's session; the others on
  // sessions of their own on the same data source.
  std::vector<std::unique_ptr<CCallPeak>> readers;
  readers.push_back(std::make_unique<CCallPeak>());
  readers.back()->Session.SwapWith(Session);
  readers.back()->DayObserver = DayObserver;
  readers.back()->readsCallDetails = readsCallDetails;
  readers.back()->replaysCalls = replaysCalls;
  for (int32_t i = 1; i < Sessions && i < kMaxSessions; ++i) {
    auto reader = std::make_unique<CCallPeak>();
    if (reader->OpenOn(openedDsn_.c_str()) == 0) {
      reader->Session.PrintConnectFailure();
      continue;
    }
    reader->DayObserver = DayObserver;
    reader->readsCallDetails = readsCallDetails;
    reader->replaysCalls = replaysCalls;
    readers.push_back(std::move(reader));
  }
  std::vector<std::thread> threads;
  for (auto& reader : readers) threads.emplace_back(ReadDays, reader.get(), &results, CheckMode);

  dayMode_ = DayMode::kJoin;
  joinNext_ = 0;
  joinedLoss_ = false;
  WalkMonths(first, last, through);
  dayMode_ = DayMode::kRead;

  for (std::thread& thread : threads) thread.join();
  Session.SwapWith(readers.front()->Session);
  for (size_t i = 1; i < readers.size(); ++i) readers[i]->CloseDatabase();
  results_ = nullptr;
}

int32_t CCallPeak::JoinDay() {
  // Both walks take the same days; should they ever differ, a day nobody
  // read is one that could not be read.
  const DayResult* taken = results_->Wait(joinNext_++);
  if (taken == nullptr) {
    ++UnreadDays;
    return RowsCounted;
  }
  const DayResult& day = *taken;
  // From the day the connection was lost on, nothing counts: one session
  // would have stopped reading there, and its diagnostics are shown once.
  if (!joinedLoss_ && !day.printed.empty()) {
    RangeProgress.Hide();
    std::fputs(day.printed.c_str(), stdout);
  }
  if (day.lost) joinedLoss_ = true;
  if (joinedLoss_ || !day.read) {
    ++UnreadDays;
    return RowsCounted;
  }
  // The mode's flags as reading the day leaves them.
  CheckMode &= kCheckModeMask;
  if (const DaySelects* selects = DaySelectsFor(CheckMode); selects != nullptr && CountIPExtToIPExt >= 1) {
    CheckMode |= selects->passFlag;
  }
  RowsCounted += day.rows;
  DayStart = day.dayStart;
  DayLength = day.dayLength;
  PeakValue = day.peakValue;
  PeakSecond = day.peakSecond;
  AddPeak();
  Peaks.Truncate(PeakList::kKept);
  return RowsCounted;
}
