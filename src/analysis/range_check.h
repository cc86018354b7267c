// The range check: the days of a record range listed once, read on one
// session or on several at once, and handed to a fold in day order, so
// that whatever the fold prints and counts is what one session gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/check_request.h"
#include "analysis/day_counter.h"
#include "analysis/day_observer.h"
#include "analysis/day_results.h"
#include "analysis/record_day.h"
#include "db/osql.h"

// One month of a range: its days are days[firstDay, firstDay + dayCount).
struct RangeMonth {
  int32_t year = 0;
  int32_t month = 0;
  // False for a month before 2000, which holds no day to check.
  bool checkable = true;
  size_t firstDay = 0;
  size_t dayCount = 0;
};

struct RangeDays {
  std::vector<RangeMonth> months;
  std::vector<int32_t> days;  // local midnights, in order
};

// The days a range check takes: every month from month count `firstMonth`
// through `lastMonth` (timeutil/calendar_months.h), each from its first day
// through its last or through `through`, whichever comes first.
RangeDays ListRangeDays(int32_t firstMonth, int32_t lastMonth, const RecordDay& through);

// Takes the days of a range check in day order.
class CRangeFold {
 public:
  // Before the first day of each month (also one without days).
  virtual void OnMonth(const RangeMonth& month) = 0;
  // Each day: read (its peak and rows) or not; once a day finds the
  // connection gone, every day after it comes unread. On several sessions
  // the day's printed text (its listed calls and its session's
  // diagnostics) comes with it, to be shown in its turn; on one session it
  // went out as it came.
  virtual void OnDay(const DayResult& day) = 0;

 protected:
  ~CRangeFold() = default;
};

// What the days are read with.
struct RangeReaders {
  OSql* session;        // open; the first reader's, and the one used alone
  DayCounter* counter;  // the one reader's on one session
  // Sessions to read on: 1, or up to kMaxRangeSessions; the others open on
  // CheckRequest::dsn for the time of the check (one that cannot be opened
  // is done without).
  int32_t sessions = 1;
  // Handed every day read, from the reading threads on several sessions.
  CDayObserver* observer = nullptr;
  // Where the listed calls go as one session reads them; standard output
  // when null.
  std::string* listed = nullptr;
};

inline constexpr int32_t kMaxRangeSessions = 8;

// Reads the days of `range` as `request` asks and hands them to `fold`.
void CheckRangeDays(const RangeDays& range, const CheckRequest& request, const RangeReaders& readers,
                    CRangeFold& fold);

// Sessions for a range check by default: the online processors, at most
// kMaxRangeSessions.
int32_t DefaultRangeSessions();
