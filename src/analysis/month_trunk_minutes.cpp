#include <cstdio>

#include "analysis/format_thousands.h"
#include "analysis/month_minutes.h"
#include "analysis/trunk_minutes_sql.h"
#include "db/osql.h"
#include "platform/text.h"
#include "timeutil/time_conversions.h"

namespace {

struct MonthStatements {
  const char* inbound;
  const char* outbound;
};

constexpr MonthStatements kAllTrunks = {kInboundTrunkSeconds, kOutboundTrunkSeconds};
constexpr MonthStatements kTrunksWithoutSipTie = {kInboundTrunkSecondsWithoutSipTie,
                                                  kOutboundTrunkSecondsWithoutSipTie};

constexpr size_t kStatementSize = 320;

// The month runs from local midnight of its first day to local midnight of
// the first day of the next month, each with the zone offset of its own
// date; so February has its 29th day in leap years, and a month in which the
// clock changes is neither cut short nor overlapped.
void MonthWindow(int year, int month, int32_t* start, int32_t* end) {
  *start = LocalDateToEpoch(year, month, 1);
  *end = month >= 12 ? LocalDateToEpoch(year + 1, 1, 1) : LocalDateToEpoch(year, month + 1, 1);
}

// The minutes of one sum statement over the window; false when it failed.
bool SumMinutes(OSql& session, const char* format, int32_t start, int32_t end, int64_t* minutes) {
  char statement[kStatementSize] = {};
  FormatBounded(statement, sizeof statement, format, end, start, end);
  return session.QueryMinutes(statement, minutes) != 0;
}

const MonthStatements& StatementsOf(bool withoutSipTie) {
  return withoutSipTie ? kTrunksWithoutSipTie : kAllTrunks;
}

}  // namespace

bool SumMonthTrunkMinutes(OSql& session, int32_t year, int32_t month, bool withoutSipTie, MonthMinutes* out) {
  const MonthStatements& statements = StatementsOf(withoutSipTie);
  int32_t start = 0, end = 0;
  MonthWindow(year, month, &start, &end);
  out->year = year;
  out->month = month;
  if (!SumMinutes(session, statements.inbound, start, end, &out->inbound)) return false;
  if (!SumMinutes(session, statements.outbound, start, end, &out->outbound)) return false;
  // Each direction is cut to whole minutes before they are added.
  out->total = out->inbound + out->outbound;
  return true;
}

void PrintMonthMinutesLine(const MonthMinutes& minutes) {
  char inboundText[kThousandsTextMax] = {}, outboundText[kThousandsTextMax] = {}, totalText[kThousandsTextMax] = {};
  std::printf("%04d/%02d: Trunk calls (minutes), inbound %s, outbound %s, total %s\n", minutes.year, minutes.month,
              FormatThousands(minutes.inbound, inboundText), FormatThousands(minutes.outbound, outboundText),
              FormatThousands(minutes.total, totalText));
}

namespace {

int ReportMonth(OSql& session, int year, int month, bool withoutSipTie) {
  MonthMinutes minutes;
  if (!SumMonthTrunkMinutes(session, year, month, withoutSipTie, &minutes)) return 0;
  PrintMonthMinutesLine(minutes);
  return 1;
}

}  // namespace

int OSql::CheckMonthTrunkMinutes(int year, int month) { return ReportMonth(*this, year, month, false); }

int OSql::CheckMonthTrunkMinutesWithoutSipTie(int year, int month) {
  return ReportMonth(*this, year, month, true);
}
