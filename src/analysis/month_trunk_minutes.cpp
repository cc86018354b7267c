#include <cstdio>
#include <string>
#include <vector>

#include "analysis/format_thousands.h"
#include "analysis/month_minutes.h"
#include "analysis/trunk_minutes_sql.h"
#include "db/osql.h"
#include "db/table_shards.h"
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

// Room for a partition's qualified, quoted name in place of CDRMAIN.
constexpr size_t kStatementSize = 640;

// The month runs from local midnight of its first day to local midnight of
// the first day of the next month, each with the zone offset of its own
// date; so February has its 29th day in leap years, and a month in which the
// clock changes is neither cut short nor overlapped.
void MonthWindow(int year, int month, int32_t* start, int32_t* end) {
  *start = LocalDateToEpoch(year, month, 1);
  *end = month >= 12 ? LocalDateToEpoch(year + 1, 1, 1) : LocalDateToEpoch(year, month + 1, 1);
}

// The tables a month is summed over: CDRMAIN; on a head over postgres_fdw
// partitions each partition instead, because PostgreSQL sends no sum over
// the partitioned table to the shards but pulls the month's rows to the
// head, while each partition's sum is answered on its shard.
std::vector<std::string> SummedTables(OSql& session) {
  TableShards shards;
  if (ReadTableShards(session, "CDRMAIN", &shards) != 0 && shards.kind == ShardKind::kForeignPartitions &&
      !shards.partitions.empty()) {
    return shards.partitions;
  }
  return {"CDRMAIN"};
}

// The minutes of one sum statement over the window, its seconds added up
// over `tables` before they are cut to minutes; false when one failed.
bool SumMinutes(OSql& session, const char* format, const std::vector<std::string>& tables, int32_t start,
                int32_t end, int64_t* minutes) {
  int64_t seconds = 0;
  for (const std::string& table : tables) {
    char statement[kStatementSize] = {};
    FormatBounded(statement, sizeof statement, format, end, table.c_str(), start, end);
    int64_t part = 0;
    if (session.QueryInteger(statement, &part) == 0) return false;
    seconds += part;
  }
  *minutes = seconds / 60;
  return true;
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
  const std::vector<std::string> tables = SummedTables(session);
  if (!SumMinutes(session, statements.inbound, tables, start, end, &out->inbound)) return false;
  if (!SumMinutes(session, statements.outbound, tables, start, end, &out->outbound)) return false;
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

bool ReportMonthTrunkMinutes(OSql& session, int32_t year, int32_t month, bool withoutSipTie) {
  MonthMinutes minutes;
  if (!SumMonthTrunkMinutes(session, year, month, withoutSipTie, &minutes)) return false;
  PrintMonthMinutesLine(minutes);
  return true;
}
