#include "analysis/range_check.h"

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "analysis/day_reader.h"
#include "timeutil/calendar_months.h"
#include "timeutil/time_conversions.h"

namespace {

// The year before which a month holds no day to check.
constexpr int32_t kFirstCheckedYear = 2000;

DayResult ResultOf(DayRead read, const DayCounter& counter, int32_t dayStart) {
  DayResult day;
  day.dayStart = dayStart;
  day.read = read == DayRead::kRead;
  day.lost = read == DayRead::kLost;
  if (day.read) {
    day.rows = counter.DayRows;
    day.peakValue = counter.PeakValue;
    day.peakSecond = counter.PeakSecond;
    day.dayLength = counter.DayLength;
  }
  return day;
}

// One session: each day read and folded in turn.
void CheckOnOneSession(const RangeDays& range, const CheckRequest& request, const RangeReaders& readers,
                       CRangeFold& fold) {
  DayReader reader(*readers.session, *readers.counter);
  bool lost = false;
  for (const RangeMonth& month : range.months) {
    fold.OnMonth(month);
    for (size_t i = month.firstDay; i < month.firstDay + month.dayCount; ++i) {
      const int32_t dayStart = range.days[i];
      DayResult day = ResultOf(reader.Read(request, dayStart, readers.listed, readers.observer), *readers.counter,
                               dayStart);
      lost = lost || day.lost;
      day.lost = lost;
      fold.OnDay(day);
    }
  }
}

// A reader on a thread of its own: its counter, and its session unless it
// reads on the caller's.
struct ThreadReader {
  OSql ownSession;
  std::unique_ptr<DayCounter> ownCounter;
  std::unique_ptr<DayReader> reader;
};

// Reads days until none is left, each into its result slot.
void ReadDays(DayReader* reader, CDayResults* results, const CheckRequest* request, CDayObserver* observer) {
  OSql& session = reader->Session();
  for (size_t index = results->Take(); index < results->Count(); index = results->Take()) {
    DayResult& day = results->Slot(index);
    day.dayStart = results->DayStart(index);
    // After a lost connection no day is read any more: the check ends there
    // as it does on one session.
    if (!results->stop.load() && session.connectionLost == 0) {
      // The listed calls and the diagnostics, in the order they came.
      session.printSink = &day.printed;
      const DayRead read = reader->Read(*request, day.dayStart, &day.printed, observer);
      const DayResult outcome = ResultOf(read, reader->Counter(), day.dayStart);
      day.read = outcome.read;
      day.lost = session.connectionLost != 0;
      day.rows = outcome.rows;
      day.peakValue = outcome.peakValue;
      day.peakSecond = outcome.peakSecond;
      day.dayLength = outcome.dayLength;
      if (day.lost) results->stop.store(true);
    }
    results->Publish(index);
  }
  session.printSink = nullptr;
}

void CheckOnSessions(const RangeDays& range, const CheckRequest& request, const RangeReaders& readers,
                     CRangeFold& fold) {
  CDayResults results;
  for (int32_t day : range.days) results.Collect(day);
  results.Prepare();

  std::vector<std::unique_ptr<ThreadReader>> pool;
  // The first reader reads on the caller's session, into a counter of its
  // own: the caller's is the fold's while the days are taken.
  pool.push_back(std::make_unique<ThreadReader>());
  pool.back()->ownCounter = std::make_unique<DayCounter>();
  pool.back()->reader = std::make_unique<DayReader>(*readers.session, *pool.back()->ownCounter);
  for (int32_t i = 1; i < readers.sessions && i < kMaxRangeSessions; ++i) {
    auto extra = std::make_unique<ThreadReader>();
    if (extra->ownSession.Connect(request.dsn.c_str(), "", "") == 0) {
      extra->ownSession.PrintConnectFailure();
      continue;
    }
    extra->ownCounter = std::make_unique<DayCounter>();
    extra->reader = std::make_unique<DayReader>(extra->ownSession, *extra->ownCounter);
    pool.push_back(std::move(extra));
  }
  std::string* const savedSink = readers.session->printSink;
  std::vector<std::thread> threads;
  for (auto& member : pool) threads.emplace_back(ReadDays, member->reader.get(), &results, &request, readers.observer);

  bool lost = false;
  size_t next = 0;
  for (const RangeMonth& month : range.months) {
    fold.OnMonth(month);
    for (size_t i = 0; i < month.dayCount; ++i) {
      DayResult& day = *results.Wait(next++);
      // From the day the connection was lost on, nothing counts: one session
      // would have stopped reading there, and its diagnostics are shown once.
      if (lost) day.printed.clear();
      lost = lost || day.lost;
      day.lost = lost;
      if (lost) day.read = false;
      fold.OnDay(day);
    }
  }
  for (std::thread& thread : threads) thread.join();
  readers.session->printSink = savedSink;
  for (size_t i = 1; i < pool.size(); ++i) pool[i]->ownSession.Disconnect();
}

}  // namespace

RangeDays ListRangeDays(int32_t firstMonth, int32_t lastMonth, const RecordDay& through) {
  RangeDays range;
  const int32_t throughMonth = MonthCount(through.year, through.month);
  for (int32_t count = firstMonth; count <= lastMonth; ++count) {
    RangeMonth month;
    month.year = YearOfMonthCount(count);
    month.month = MonthOfMonthCount(count);
    month.firstDay = range.days.size();
    month.checkable = month.year >= kFirstCheckedYear;
    if (month.checkable && count <= throughMonth) {
      const int32_t last = count == throughMonth ? std::min(through.day, DaysInMonth(month.year, month.month))
                                                 : DaysInMonth(month.year, month.month);
      for (int32_t day = 1; day <= last; ++day) range.days.push_back(LocalDateToEpoch(month.year, month.month, day));
    }
    month.dayCount = range.days.size() - month.firstDay;
    range.months.push_back(month);
  }
  return range;
}

void CheckRangeDays(const RangeDays& range, const CheckRequest& request, const RangeReaders& readers,
                    CRangeFold& fold) {
  if (readers.sessions > 1) {
    CheckOnSessions(range, request, readers, fold);
  } else {
    CheckOnOneSession(range, request, readers, fold);
  }
}

int32_t DefaultRangeSessions() {
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  if (online < 1) return 1;
  return online > kMaxRangeSessions ? kMaxRangeSessions : static_cast<int32_t>(online);
}
