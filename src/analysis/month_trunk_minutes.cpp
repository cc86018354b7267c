#include <cstdio>

#include "analysis/format_thousands.h"
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

constexpr size_t kStatementSize = 260;

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
  FormatBounded(statement, sizeof statement, format, start, end, end);
  return session.QueryMinutes(statement, minutes) != 0;
}

int ReportMonth(OSql& session, int year, int month, const MonthStatements& statements) {
  int32_t start = 0, end = 0;
  MonthWindow(year, month, &start, &end);
  int64_t inbound = 0, outbound = 0;
  if (!SumMinutes(session, statements.inbound, start, end, &inbound)) return 0;
  if (!SumMinutes(session, statements.outbound, start, end, &outbound)) return 0;
  // Each direction is cut to whole minutes before they are added.
  int64_t total = inbound + outbound;

  char inboundText[kThousandsTextMax] = {}, outboundText[kThousandsTextMax] = {}, totalText[kThousandsTextMax] = {};
  std::printf("%04d/%02d: Trunk calls (minutes), inbound %s, outbound %s, total %s\n", year, month,
              FormatThousands(inbound, inboundText), FormatThousands(outbound, outboundText),
              FormatThousands(total, totalText));
  return 1;
}

}  // namespace

int OSql::CheckMonthTrunkMinutes(int year, int month) { return ReportMonth(*this, year, month, kAllTrunks); }

int OSql::CheckMonthTrunkMinutesWithoutSipTie(int year, int month) {
  return ReportMonth(*this, year, month, kTrunksWithoutSipTie);
}
