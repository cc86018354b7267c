// The peak checks of CCallPeak: one day, the record range.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "analysis/call_peak.h"
#include "analysis/call_kinds.h"
#include "analysis/check_progress.h"
#include "analysis/day_reader.h"
#include "analysis/day_statements.h"
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

CheckRequest CCallPeak::ConsoleRequest() const {
  CheckRequest request;
  request.kind = CallKindOfMode(CheckMode);
  request.secondPass = CountIPExtToIPExt >= 1;
  request.viewTime = ViewTime;
  request.dsn = openedDsn_;
  return request;
}

int32_t CCallPeak::CheckDay(int32_t dayStart) {
  if (dayStart == 0) {
    std::printf("Time is not specified\n");
    return 0;
  }
  return CheckDay(ConsoleRequest(), dayStart);
}

int32_t CCallPeak::CheckDay(const CheckRequest& request, int32_t dayStart) {
  DayReader reader(Session, *this);
  const DayRead read = reader.Read(request, dayStart, rowSink, DayObserver);
  DayResult day;
  day.dayStart = dayStart;
  day.read = read == DayRead::kRead;
  day.lost = read == DayRead::kLost;
  day.rows = DayRows;
  day.peakValue = PeakValue;
  day.peakSecond = PeakSecond;
  day.dayLength = DayLength;
  OnDay(day);
  return RowsCounted;
}

void CCallPeak::OnMonth(const RangeMonth& month) {
  RangeProgress.ShowMonth(month.year, month.month);
  if (!month.checkable) std::printf("Invalid year, %d\n", static_cast<int>(month.year));
}

void CCallPeak::OnDay(const DayResult& day) {
  if (!day.printed.empty()) {
    if (rowSink != nullptr) {
      rowSink->append(day.printed);
    } else {
      RangeProgress.Hide();
      std::fputs(day.printed.c_str(), stdout);
    }
  }
  if (!day.read) {
    // Part of a day would give a peak below the real one, and a list that
    // looks complete: the day is left out and counted instead.
    ++UnreadDays;
    PeakValue = 0;
    PeakSecond = 0;
    return;
  }
  RowsCounted += day.rows;
  DayStart = day.dayStart;
  DayLength = day.dayLength;
  PeakValue = day.peakValue;
  PeakSecond = day.peakSecond;
  AddPeak();
  Peaks.Truncate(PeakList::kKept);
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

int CCallPeak::GetRecordRange() { return GetRecordRange(LocalToday(), RecordRangeRule{}); }

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

int CCallPeak::GetRecordRange(const RecordDay& through, const RecordRangeRule& rule) {
  noRecordDay_ = false;
  RangeNotes = RecordRangeNotes{};
  const bool read = rule.skipsBadRecordDays ? ReadGoodRecordDays(through)
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
  if (rule.startDay != 0) {
    FirstDay = std::max(FirstDay, rule.startDay);
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
  // One date for the whole check: a check that runs past midnight must not
  // grow a day under its own feet.
  if (GetRecordRange(through) == 0) {
    std::printf("Failed to get records time range\n");
    return 0;
  }
  return CheckReadRange(ConsoleRequest(), through);
}

RangeDays CCallPeak::ReadRangeDays(const RecordDay& through) const {
  SYSTEMTIME first{};
  SYSTEMTIME last{};
  EpochToLocalFields(FirstDay, &first);
  EpochToLocalFields(LastDay, &last);
  // Months after the last day's (today's) are not checked: they hold no records yet.
  const int32_t end = std::min(MonthCount(last.wYear, last.wMonth), MonthCount(through.year, through.month));
  return ListRangeDays(MonthCount(first.wYear, first.wMonth), end, through);
}

int CCallPeak::CheckReadRange(const CheckRequest& request, const RecordDay& through) {
  if (!HasCheckableRange()) {
    std::printf("Invalid date range, %d - %d\n", static_cast<int>(FirstDay), static_cast<int>(LastDay));
    return 0;
  }
  SYSTEMTIME first{};
  SYSTEMTIME last{};
  EpochToLocalFields(FirstDay, &first);
  EpochToLocalFields(LastDay, &last);
  if (request.kind != nullptr) {
    std::printf("Checking %s from %02d/%04d to %02d/%04d...\n\n", request.kind->records, first.wMonth, first.wYear,
                last.wMonth, last.wYear);
  } else {
    std::printf("...\n");
  }
  if (last.wYear < first.wYear) {
    std::printf("Invalid year, %d, %d\n", first.wYear, last.wYear);
    return 1;
  }
  CheckRangeDays(ReadRangeDays(through), request, RangeReaders{&Session, this, Sessions, DayObserver, rowSink}, *this);
  return 1;
}
