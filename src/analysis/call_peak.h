// CCallPeak: the long-lived peak checker, the console's face of the
// counting core. Its day counter (analysis/day_counter.h) holds the day
// last checked; its list holds the ten busiest days since the last Reset.
// It carries the ODBC session on which every peak check runs its queries,
// opened at start-up and closed at quit, and the first and last record day
// of the database. A day is read by a DayReader, a range by the range check
// (analysis/range_check.h), each as a CheckRequest asks: the console's
// calls make that request from its settings, the planner and the check
// hand their own.
//
// One day by hand: StartDay, rows through OnCall, FindPeak. One command:
// Reset, any number of days, PrintPeaks. Used on one thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/check_request.h"
#include "analysis/day_counter.h"
#include "analysis/day_observer.h"
#include "analysis/day_results.h"
#include "analysis/peak_list.h"
#include "analysis/record_day.h"
#include "analysis/range_check.h"
#include "analysis/record_processor.h"
#include "db/osql.h"
#include "timeutil/time_conversions.h"

// How GetRecordRange reads the record days.
struct RecordRangeRule {
  // When not 0: the local midnight before which a range check reads no
  // day, in place of its cap of 395 days (the planner reads years).
  int32_t startDay = 0;
  // False: the least and the greatest LocalDay are taken as they are, and
  // one that is no day fails the read (the console's checks). True: when
  // either is no day, every LocalDay value is read, the range runs from the
  // least to the greatest of those that are days, and the others are noted
  // in RangeNotes; no day at all is an empty table (the planner, whose
  // history one mistyped record must not cost).
  bool skipsBadRecordDays = false;
};

// What GetRecordRange found besides the range.
struct RecordRangeNotes {
  // Why a statement of the range failed: the driver's message and SQLSTATE;
  // empty when none did.
  std::string failure;
  // With RecordRangeRule::skipsBadRecordDays, when an end of the range was no day:
  // the first LocalDay value read that is no day, the records holding such
  // values and the records of the table. badRecords 0: every value was a day.
  std::string badDay;
  int64_t badRecords = 0;
  int64_t records = 0;
};

class CCallPeak : public DayCounter, public CRecordProcessor, private CRangeFold {
 public:
  CCallPeak() = default;
  virtual ~CCallPeak() = default;

  // Open and close Session exactly as OSql::OpenDatabase and
  // OSql::CloseDatabase do. The data source opened is remembered for
  // ReconnectIfLost and for the extra sessions of a range check.
  int OpenDatabase();
  // Opens Session on data source `dsn` silently (OSql::Connect with an
  // empty user and password), remembering it as OpenDatabase does.
  int OpenOn(const char* dsn);
  void CloseDatabase() { Session.Disconnect(); }
  // The data source Session was last opened on.
  const std::string& OpenedDsn() const { return openedDsn_; }

  // When a statement of Session found the connection gone (and no reconnect
  // has succeeded since), opens Session again on the data source of the last
  // OpenDatabase, silently. Returns 0 only when that open failed; a session
  // that never opened is left alone.
  int ReconnectIfLost();

  // Clears the counts, the list, RowsCounted, UnreadDays, the peak and the
  // day; FirstDay, LastDay and Session stay.
  void Reset();

  // Opens the day from `dayStart` to `dayEnd` for rows handed to OnCall, as
  // DayCounter::StartDay does.
  void StartDay(int32_t dayStart, int32_t dayEnd);

  // Rows printed by the scans go to standard output, or to `rowSink` when
  // it is set.
  void PrintRow(const char* line) override;

  // One call row handed by hand, counted as DayCounter::CountOccupancy
  // counts it; every row adds 1 to RowsCounted. Returns 1 when the call was
  // counted and ViewTime lies in [startTime, endTime], else 0.
  int32_t OnCall(int32_t startTime, int32_t endTime) override;

  // The outcome of the row just handed to OnCall, as a row of the day's
  // first statement (DayCounter::CountOutcome).
  void OnExitState(int32_t exitState) override;

  // Completes the day's per-second Counts, sets PeakValue and PeakSecond to
  // the earliest busiest second, hands the day to DayObserver (if any),
  // offers the peak with AddPeak and keeps the first ten entries. Returns
  // RowsCounted. Call once per day.
  int32_t FindPeak();

  // Files the day's peak into Peaks behind the entries of equal or higher
  // count and ahead of the lower ones; a peak below 2 calls is not filed.
  void AddPeak();

  // Prints the list under a header for the mode in CheckMode, each entry as
  // its position from 1, its count and its local time. An empty list prints
  // nothing.
  void PrintPeaks();

  // Sets ViewTime to the time of entry `index` (from 0) and prints it; with
  // no such entry prints "Invalid index" and returns 0.
  int ViewPeak(int32_t index);

  // The peak checks, run on the checker's own session. The forms without a
  // request are the console's: their request is made from CheckMode,
  // CountIPExtToIPExt and ViewTime.

  // Counts one day and finds its peak. Returns 0 (and prints a message)
  // when `dayStart` is 0, else RowsCounted. A day whose statements failed
  // adds 1 to UnreadDays instead of a peak, and adds no rows; once the
  // connection is lost, no further statement runs and every day counts as
  // unread.
  int32_t CheckDay(int32_t dayStart);
  int32_t CheckDay(const CheckRequest& request, int32_t dayStart);
  // Fills FirstDay and LastDay from the record days of CDRMAIN as `rule`
  // says, keeping at most the last 395 days, or the days from
  // rule.startDay on when it is set; a record day after `through` (today
  // when not given) counts as `through`. 0 when a query failed
  // (RangeNotes.failure then says why when a statement failed).
  int GetRecordRange();
  int GetRecordRange(const RecordDay& through, const RecordRangeRule& rule = {});
  // True when the range GetRecordRange found holds at least one day: the
  // table has records and the first day is not after the last.
  bool HasCheckableRange() const;
  // Runs a statement that yields a record day ("YYYYMMDD" or "YYYY-MM-DD")
  // and stores its local midnight in `out`, `latest`'s (today's when not
  // given) for a day after `latest`; no day at all (an empty table) gives
  // the midnight of the zero date, as LocalDateToEpoch(0, 0, 0). 0, with
  // `out` 0, when the statement failed or its text is no calendar date.
  int QueryDay(const char* statement, int32_t* out);
  int QueryDay(const char* statement, int32_t* out, const RecordDay& latest);
  // Reads the record range (the console's rule) and checks its months up to
  // today, under a header; a range of one day checks that day. 0 when the
  // range could not be read, the table holds no record day, or the first
  // day is after the last. Today is read from the clock once, as the check
  // starts: a check that runs past midnight takes the days it began with.
  // Given `through`, the check ends with that day instead of today.
  int CheckRange();
  int CheckRange(const RecordDay& through);
  // Checks the range the last GetRecordRange read as `request` asks, under
  // the same header, through `through`; 0 as CheckRange refuses a range.
  int CheckReadRange(const CheckRequest& request, const RecordDay& through);
  // The days CheckReadRange takes for the range last read.
  RangeDays ReadRangeDays(const RecordDay& through) const;

  // With Sessions above 1 a range check reads its days on that many
  // sessions at once (analysis/range_check.h); DayObserver is then called
  // from their threads, for different days at once.
  static constexpr int32_t kMaxSessions = kMaxRangeSessions;
  int32_t Sessions = 1;
  // Where printed rows go instead of standard output; null for stdout.
  std::string* rowSink = nullptr;
  // Filled by every GetRecordRange.
  RecordRangeNotes RangeNotes;

  // Rows of the days checked since Reset, the ones not counted included.
  int32_t RowsCounted = 0;
  // Days since Reset that could not be read (CheckDay).
  int32_t UnreadDays = 0;
  OSql Session;
  PeakList Peaks;
  // Local midnights of the first and last record day.
  int32_t FirstDay = 0;
  int32_t LastDay = 0;
  // Told about every day checked; null for nobody. Not owned; Reset leaves
  // it.
  CDayObserver* DayObserver = nullptr;

 private:
  // The console's request.
  CheckRequest ConsoleRequest() const;
  // The record days as RecordRangeRule::skipsBadRecordDays reads them,
  // into FirstDay and LastDay before the cap; false when a statement
  // failed.
  bool ReadGoodRecordDays(const RecordDay& latest);
  // The range check's days, taken in order.
  void OnMonth(const RangeMonth& month) override;
  void OnDay(const DayResult& day) override;

  // The data source Session was opened on, and whether it was found lost.
  std::string openedDsn_;
  bool lost_ = false;
  // The last GetRecordRange found no record day (an empty table).
  bool noRecordDay_ = false;
  // RowsCounted when the day opened by StartDay started.
  int32_t dayFirstRow_ = 0;
  // The times of the row last handed to OnCall.
  int32_t lastStart_ = 0;
  int32_t lastEnd_ = 0;
};

// The one peak checker of the process.
extern CCallPeak CallPeak;
