// CCallPeak: the long-lived peak checker. For one local day at a time it
// counts, for every second, the calls in progress; when the day's rows are
// in it finds the day's busiest second and offers it to the list of the ten
// busiest days since the last Reset. It also carries the ODBC session on
// which every peak check runs its queries, opened at start-up and closed at
// quit, and the first and last record day of the database.
//
// One day: StartDay, rows through OnCall (from ScanCalls, analysis/scan_calls.h), FindPeak.
// One command: Reset, any number of days, PrintPeaks. Used on the console
// thread only.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/day_observer.h"
#include "analysis/peak_list.h"
#include "analysis/record_day.h"
#include "analysis/record_processor.h"
#include "db/osql.h"
#include "planning/busy_hour.h"
#include "planning/call_replay.h"
#include "timeutil/time_conversions.h"

// What GetRecordRange found besides the range.
struct RecordRangeNotes {
  // Why a statement of the range failed: the driver's message and SQLSTATE;
  // empty when none did.
  std::string failure;
  // With CCallPeak::skipsBadRecordDays, when an end of the range was no day:
  // the first LocalDay value read that is no day, the records holding such
  // values and the records of the table. badRecords 0: every value was a day.
  std::string badDay;
  int64_t badRecords = 0;
  int64_t records = 0;
};

class CCallPeak : public CRecordProcessor {
 public:
  // Seconds of room in Counts: the longest local day.
  static constexpr int32_t kCountSlots = kLongestDaySeconds;
  // Length of the day assumed until StartDay gives one.
  static constexpr int32_t kPlainDaySeconds = 86400;

  CCallPeak() = default;
  // Readers are owned through this type; a test derives from it.
  virtual ~CCallPeak() = default;
  CCallPeak(const CCallPeak&) = delete;
  CCallPeak& operator=(const CCallPeak&) = delete;

  // Open and close Session exactly as OSql::OpenDatabase and
  // OSql::CloseDatabase do. The data source opened is remembered for
  // ReconnectIfLost and for the extra sessions of a range check.
  int OpenDatabase();
  // Opens Session on data source `dsn` silently (OSql::Connect with an
  // empty user and password), remembering it as OpenDatabase does.
  int OpenOn(const char* dsn);
  void CloseDatabase() { Session.Disconnect(); }

  // When a statement of Session found the connection gone (and no reconnect
  // has succeeded since), opens Session again on the data source of the last
  // OpenDatabase, silently. Returns 0 only when that open failed; a session
  // that never opened is left alone.
  int ReconnectIfLost();

  // Clears the counts, the list, RowsCounted, UnreadDays, the peak and the
  // day; FirstDay, LastDay and Session stay.
  void Reset();

  // Opens the day from `dayStart` (a local midnight) to `dayEnd` (the next
  // one) and clears its counts. A span that is not a day of 1 to 25 hours
  // (a date beyond 2038 wraps) is taken as 86400 seconds.
  void StartDay(int32_t dayStart, int32_t dayEnd);

  // Rows printed by the scans go to standard output, or to `rowSink` when
  // it is set.
  void PrintRow(const char* line) override;

  // One call row. Every row adds 1 to RowsCounted. A call that starts and
  // ends inside the day and lasts 2 seconds or more occupies the seconds
  // from its start up to, not including, its end; the others count nowhere.
  // Returns 1 when the call was counted and ViewTime lies in
  // [startTime, endTime], else 0. Constant cost whatever the duration.
  int32_t OnCall(int32_t startTime, int32_t endTime) override;

  // Counts a row of the day's first statement (no pass flag in CheckMode)
  // whose exit state is ALL_TRK_BUSY into DayBlockedRows, and every row of
  // that statement into the attempts of the quarter hour it starts in.
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

  // The peak checks, run on the checker's own session.

  // Counts one day in the mode of CheckMode and finds its peak. Returns 0
  // (and prints a message) when `dayStart` is 0, else RowsCounted. A day
  // whose statements failed adds 1 to UnreadDays instead of a peak, and its
  // rows leave RowsCounted again; once the connection is lost, no further
  // statement runs and every day counts as unread.
  int32_t CheckDay(int32_t dayStart);
  // Checks every day of a month up to today. 0 when refused.
  int CheckMonth(int32_t year, int32_t month);
  // Fills FirstDay and LastDay from the record days of CDRMAIN, keeping at
  // most the last 395 days, or the days from RangeStartDay on when it is
  // set; a record day after `through` (today when not given) counts as
  // `through`. 0 when a query failed (RangeNotes.failure then says why
  // when a statement failed). See skipsBadRecordDays for a LocalDay value
  // that is no day.
  int GetRecordRange();
  int GetRecordRange(const RecordDay& through);
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
  // Checks the months of the record range up to today, under a header; a
  // range of one day checks that day. 0 when the range could not be read,
  // the table holds no record day, or the first day is after the last.
  // Today is read from the clock once, as the check starts: a check that
  // runs past midnight takes the days it began with. Given `through`, the
  // check ends with that day instead of today.
  //
  // With Sessions above 1 the days are read on that many sessions at once,
  // each on a thread of its own with its own occupancy (Session, and extra
  // sessions opened on the same data source for the time of the check; one
  // that cannot be opened is done without). The days are then taken in day
  // order, so that everything printed and counted, and the peak list, is
  // what one session gives. DayObserver is then called from those threads,
  // for different days at once.
  int CheckRange();
  int CheckRange(const RecordDay& through);

  // Sessions a range check reads its days on: 1, or up to kMaxSessions.
  static constexpr int32_t kMaxSessions = 8;
  int32_t Sessions = 1;
  // Where printed rows go instead of standard output; null for stdout.
  std::string* rowSink = nullptr;
  // False: the day statements leave out the session and the numbers of the
  // calls (DaySelects::firstTimes), for a caller that lists no calls (the
  // planner). Reset leaves it.
  bool readsCallDetails = true;
  // True: every row of the day is also kept for the replay of its attempts
  // (planning/call_replay.h), which the day observer is handed as
  // DayOccupancy::replay (the planner). Reset leaves it.
  bool replaysCalls = false;
  // False: GetRecordRange takes the least and the greatest LocalDay as they
  // are, and one that is no day fails it (the console's checks). True: when
  // either is no day, every LocalDay value is read, the range runs from the
  // least to the greatest of those that are days, and the others are noted
  // in RangeNotes; no day at all is an empty table (the planner, whose
  // history one mistyped record must not cost). Reset leaves it.
  bool skipsBadRecordDays = false;
  // Filled by every GetRecordRange.
  RecordRangeNotes RangeNotes;

  // Rows handed to OnCall since Reset, the ones not counted included.
  int32_t RowsCounted = 0;
  // Days since Reset that could not be read (CheckDay).
  int32_t UnreadDays = 0;
  // The busiest second of the last day found: its count, and its offset
  // from DayStart.
  int32_t PeakValue = 0;
  int32_t PeakSecond = 0;
  OSql Session;
  // Calls in progress at each second of the day, index = seconds since
  // DayStart, valid below DayLength once FindPeak has run; zero beyond.
  int32_t Counts[kCountSlots] = {};
  // The local midnight that opens the day under check, 0 when none; the
  // day's length in seconds.
  int32_t DayStart = 0;
  int32_t DayLength = kPlainDaySeconds;
  PeakList Peaks;
  // Local midnights of the first and last record day.
  int32_t FirstDay = 0;
  int32_t LastDay = 0;
  // When not 0: the local midnight before which a range check reads no day,
  // in place of its cap of 395 days (the planner reads years). Reset
  // leaves it.
  int32_t RangeStartDay = 0;
  // Rows of the day under check whose call was turned away because every
  // trunk was busy, counted in the first pass only; cleared by StartDay.
  int32_t DayBlockedRows = 0;
  // The rows of the first pass by the quarter hour of the day they start
  // in, carried and turned away (ALL_TRK_BUSY); cleared by StartDay.
  int32_t QuarterCarried[kMaxQuarterHours] = {};
  int32_t QuarterBlocked[kMaxQuarterHours] = {};
  // Told about every day that FindPeak completes; null for nobody. Not
  // owned; Reset leaves it.
  CDayObserver* DayObserver = nullptr;

 private:
  // How CheckDay takes a day: reads it, notes it for the readers of a check
  // on several sessions, or takes their result in its turn.
  enum class DayMode { kRead, kCollect, kJoin };

  // CheckMonth with the days up to `through` in place of today's.
  int CheckMonthThrough(int32_t year, int32_t month, const RecordDay& through);
  // Walks the months from month count `first` through `last` as the range
  // check does: progress, CheckMonthThrough, each day through CheckDay.
  void WalkMonths(int32_t first, int32_t last, const RecordDay& through);
  // The record days as skipsBadRecordDays reads them, into FirstDay and
  // LastDay before the cap; false when a statement failed.
  bool ReadGoodRecordDays(const RecordDay& latest);
  // The walk on Sessions sessions (peak_sessions.cpp).
  void WalkMonthsOnSessions(int32_t first, int32_t last, const RecordDay& through);
  // A day read by one of those sessions, taken in its turn; a day beyond
  // the ones noted counts as unread.
  int32_t JoinDay();

  DayMode dayMode_ = DayMode::kRead;
  class CDayResults* results_ = nullptr;
  size_t joinNext_ = 0;
  bool joinedLoss_ = false;

  // Counters that may hold values: Counts is zero from here on.
  int32_t dirtyLength_ = 0;
  // The data source Session was opened on, and whether it was found lost.
  std::string openedDsn_;
  bool lost_ = false;
  // The last GetRecordRange found no record day (an empty table).
  bool noRecordDay_ = false;
  // RowsCounted when the day under check started.
  int32_t dayFirstRow_ = 0;
  // The start of the row last handed to OnCall, from DayStart.
  int64_t lastStart_ = -1;
  int64_t lastEnd_ = -1;
  CallReplay replay_;
};

// Sessions for a range check by default: the online processors, at most
// CCallPeak::kMaxSessions.
int32_t DefaultRangeSessions();

// The one peak checker of the process.
extern CCallPeak CallPeak;
