// The peak checks of CCallPeak: one day, one month, the record range.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "analysis/call_peak.h"
#include "analysis/call_kinds.h"
#include "analysis/check_progress.h"
#include "analysis/day_results.h"
#include "analysis/day_statements.h"
#include "analysis/scan_calls.h"
#include "analysis/record_day.h"
#include "settings/settings.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "timeutil/calendar_months.h"
#include "timeutil/time_conversions.h"

namespace {

// The most days a range check goes back from the last record day.
constexpr int32_t kRangeCapDays = 395;

}  // namespace

int32_t CCallPeak::CheckDay(int32_t dayStart) {
  if (dayMode_ == DayMode::kCollect) {
    results_->Collect(dayStart);
    return RowsCounted;
  }
  if (dayMode_ == DayMode::kJoin) return JoinDay();
  if (dayStart == 0) {
    std::printf("Time is not specified\n");
    return 0;
  }
  // With the connection gone no day can be read; asking again for each would
  // only repeat the same diagnostics.
  if (Session.connectionLost != 0) {
    ++UnreadDays;
    return RowsCounted;
  }
  int32_t dayEnd = NextLocalMidnight(dayStart);
  StartDay(dayStart, dayEnd);
  dayEnd = static_cast<int32_t>(static_cast<uint32_t>(DayStart) + static_cast<uint32_t>(DayLength));
  CheckMode &= kCheckModeMask;
  int32_t rowsBefore = RowsCounted;
  bool read = true;
  if (const DaySelects* selects = DaySelectsFor(CheckMode); selects != nullptr) {
    char statement[kStatementSize] = {};
    const CallColumns columns = readsCallDetails ? CallColumns::kDetails : CallColumns::kTimes;
    FormatDaySelect(statement, sizeof statement, readsCallDetails ? selects->first : selects->firstTimes, DayStart,
                    dayEnd);
    ScanCalls(Session, statement, this, columns);
    read = Session.lastStatementFailed == 0;
    if (read && CountIPExtToIPExt >= 1) {
      CheckMode |= selects->passFlag;
      FormatDaySelect(statement, sizeof statement, readsCallDetails ? selects->second : selects->secondTimes,
                      DayStart, dayEnd);
      ScanCalls(Session, statement, this, columns);
      read = Session.lastStatementFailed == 0;
    }
  }
  if (!read) {
    // Part of a day would give a peak below the real one, and a list that
    // looks complete: the day is left out and counted instead.
    ++UnreadDays;
    RowsCounted = rowsBefore;
    PeakValue = 0;
    PeakSecond = 0;
    return RowsCounted;
  }
  return FindPeak();
}

int CCallPeak::CheckMonth(int32_t year, int32_t month) { return CheckMonthThrough(year, month, LocalToday()); }

int CCallPeak::CheckMonthThrough(int32_t year, int32_t month, const RecordDay& through) {
  // Noting the days of a range prints nothing: the walk that takes them
  // prints.
  const bool quiet = dayMode_ == DayMode::kCollect;
  if (year < 2000) {
    if (!quiet) std::printf("Invalid year, %d\n", static_cast<int>(year));
    return 0;
  }
  if (month < 1 || month > 12) {
    if (!quiet) std::printf("Invalid month, %d\n", static_cast<int>(month));
    return 0;
  }
  if (year > through.year || (year == through.year && month > through.month)) return 0;
  bool lastMonth = year == through.year && month == through.month;
  int32_t days = DaysInMonth(year, month);
  for (int32_t day = 1; day <= days; ++day) {
    if (lastMonth && day > through.day) break;
    CheckDay(LocalDateToEpoch(year, month, day));
  }
  return 1;
}

int CCallPeak::QueryDay(const char* statement, int32_t* out) { return QueryDay(statement, out, LocalToday()); }

int CCallPeak::QueryDay(const char* statement, int32_t* out, const RecordDay& latest) {
  *out = 0;
  if (IsEmptyText(statement)) return 0;
  char text[32] = {};
  if (Session.QueryFirstText(statement, text, sizeof text) == 0) return 0;
  if (text[0] == '\0') {
    // No record at all: the range that follows is empty and refused.
    *out = LocalDateToEpoch(0, 0, 0);
    noRecordDay_ = true;
    return 1;
  }
  RecordDay day{};
  if (!ParseRecordDay(text, &day)) return 0;
  // A day after today (a clock set wrong, a typing error) would move the
  // range, and its 395 days, past the days that hold the records.
  if (CompareRecordDays(day, latest) > 0) day = latest;
  *out = LocalDateToEpoch(day.year, day.month, day.day);
  return 1;
}

int CCallPeak::GetRecordRange() { return GetRecordRange(LocalToday()); }

bool CCallPeak::ReadGoodRecordDays(const RecordDay& latest) {
  // The two ends first, as the console reads them: only a table that holds
  // a value that is no day at one of them is read whole.
  char first[32] = {};
  char last[32] = {};
  if (Session.QueryFirstText(kFirstRecordDayStatement, first, sizeof first) == 0 ||
      Session.QueryFirstText(kLastRecordDayStatement, last, sizeof last) == 0) {
    return false;
  }
  RecordDay least{};
  RecordDay greatest{};
  bool any = ParseRecordDay(first, &least) && ParseRecordDay(last, &greatest);
  if (!any) {
    if (Session.Execute(kRecordDayCountsStatement) == 0) return false;
    if (Session.BindAllColumns() == 0 || Session.columnCount < 2) {
      Session.FinishLocalRead();
      return false;
    }
    SQLRETURN result = SQL_SUCCESS;
    while (SqlSucceeded(result = SQLFetch(Session.statementHandle))) {
      for (int32_t c = 0; c < 2; ++c) {
        EndBoundText(Session.columnText[c], Session.columnIndicator[c], OSql::kColumnTextSize);
      }
      const int64_t records = std::atoll(Session.columnText[1]);
      RangeNotes.records += records;
      // Min and Max pass over NULL; so does the range.
      if (Session.columnIndicator[0] == SQL_NULL_DATA) continue;
      RecordDay day{};
      if (!ParseRecordDay(Session.columnText[0], &day)) {
        if (RangeNotes.badRecords == 0) RangeNotes.badDay = Session.columnText[0];
        RangeNotes.badRecords += records;
        continue;
      }
      if (!any || CompareRecordDays(day, least) < 0) least = day;
      if (!any || CompareRecordDays(day, greatest) > 0) greatest = day;
      any = true;
    }
    if (result != SQL_NO_DATA) Session.ReportDiagnostics();
    Session.FinishLocalRead();
    if (result != SQL_NO_DATA) return false;
  }
  if (!any) {
    // No day at all: the range that follows is empty and refused.
    FirstDay = LastDay = LocalDateToEpoch(0, 0, 0);
    noRecordDay_ = true;
    return true;
  }
  if (CompareRecordDays(least, latest) > 0) least = latest;
  if (CompareRecordDays(greatest, latest) > 0) greatest = latest;
  FirstDay = LocalDateToEpoch(least.year, least.month, least.day);
  LastDay = LocalDateToEpoch(greatest.year, greatest.month, greatest.day);
  return true;
}

int CCallPeak::GetRecordRange(const RecordDay& through) {
  noRecordDay_ = false;
  RangeNotes = RecordRangeNotes{};
  const bool read = skipsBadRecordDays ? ReadGoodRecordDays(through)
                                       : QueryDay(kFirstRecordDayStatement, &FirstDay, through) != 0 &&
                                             QueryDay(kLastRecordDayStatement, &LastDay, through) != 0;
  if (!read) {
    if (Session.lastStatementFailed != 0) {
      RangeNotes.failure =
          Session.lastErrorMessage.empty() ? std::string("the driver gave no reason") : Session.lastErrorMessage;
      if (Session.lastErrorState[0] != '\0') {
        RangeNotes.failure += std::string(" (SQLSTATE ") + Session.lastErrorState + ")";
      }
    }
    return 0;
  }
  if (RangeStartDay != 0) {
    FirstDay = std::max(FirstDay, RangeStartDay);
    return 1;
  }
  // The cap counts calendar days back from the last day's local date, so a
  // clock change between the two ends cannot move the start into the day
  // (or month) before.
  SYSTEMTIME last{};
  int64_t earliest = static_cast<int64_t>(LastDay) - static_cast<int64_t>(kRangeCapDays) * 86400;
  if (EpochToLocalFields(LastDay, &last)) {
    earliest = LocalDateTimeToEpoch(last.wYear, last.wMonth, last.wDay, -kRangeCapDays * 24, 0, 0);
  }
  if (FirstDay < earliest) FirstDay = static_cast<int32_t>(earliest);
  return 1;
}

bool CCallPeak::HasCheckableRange() const {
  // A range of one day is a range: its day is checked. A table without
  // records has no range at all.
  return FirstDay != 0 && LastDay != 0 && FirstDay <= LastDay && !noRecordDay_;
}

int CCallPeak::CheckRange() { return CheckRange(LocalToday()); }

int CCallPeak::CheckRange(const RecordDay& through) {
  // One date for the whole check: the walk that notes the days for several
  // sessions and the walk that takes them must see the same days, and a
  // check that runs past midnight must not grow a day under its own feet.
  if (GetRecordRange(through) == 0) {
    std::printf("Failed to get records time range\n");
    return 0;
  }
  if (!HasCheckableRange()) {
    std::printf("Invalid date range, %d - %d\n", static_cast<int>(FirstDay), static_cast<int>(LastDay));
    return 0;
  }
  SYSTEMTIME first{};
  SYSTEMTIME last{};
  EpochToLocalFields(FirstDay, &first);
  EpochToLocalFields(LastDay, &last);
  if (const CallKind* kind = CallKindOfMode(CheckMode); kind != nullptr) {
    std::printf("Checking %s from %02d/%04d to %02d/%04d...\n\n", kind->records, first.wMonth, first.wYear, last.wMonth,
                last.wYear);
  } else {
    std::printf("...\n");
  }
  if (last.wYear < first.wYear) {
    std::printf("Invalid year, %d, %d\n", first.wYear, last.wYear);
    return 1;
  }
  // Months after the last day's (today's) are not checked: they hold no records yet.
  int32_t end = MonthCount(last.wYear, last.wMonth);
  int32_t lastMonth = MonthCount(through.year, through.month);
  if (lastMonth < end) end = lastMonth;
  if (Sessions > 1) {
    WalkMonthsOnSessions(MonthCount(first.wYear, first.wMonth), end, through);
  } else {
    WalkMonths(MonthCount(first.wYear, first.wMonth), end, through);
  }
  return 1;
}

void CCallPeak::WalkMonths(int32_t first, int32_t last, const RecordDay& through) {
  for (int32_t count = first; count <= last; ++count) {
    if (dayMode_ != DayMode::kCollect) RangeProgress.ShowMonth(YearOfMonthCount(count), MonthOfMonthCount(count));
    CheckMonthThrough(YearOfMonthCount(count), MonthOfMonthCount(count), through);
  }
}
