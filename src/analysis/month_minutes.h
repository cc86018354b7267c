// The trunk minutes of one calendar month, as the commands m and M and the
// minutes command report them: the sums of EndTime - StartTime of the trunk
// calls lying wholly inside the month's local window, one sum per direction,
// each cut to whole minutes before the total is formed.
#pragma once

#include <cstdint>

class OSql;

struct MonthMinutes {
  int32_t year = 0;
  int32_t month = 0;  // 1..12
  int64_t inbound = 0;
  int64_t outbound = 0;
  int64_t total = 0;  // inbound + outbound, each already whole minutes
};

// Runs the inbound and the outbound sum of `year`/`month` on `session`;
// withoutSipTie leaves out calls whose only trunk end is a SIP tie line.
// False when either statement failed (reported by the session); `out` is
// then incomplete.
bool SumMonthTrunkMinutes(OSql& session, int32_t year, int32_t month, bool withoutSipTie, MonthMinutes* out);

// The line that m and M print for a month, ending in "\n".
void PrintMonthMinutesLine(const MonthMinutes& minutes);

// SumMonthTrunkMinutes, then its line; nothing printed and false when a
// sum failed.
bool ReportMonthTrunkMinutes(OSql& session, int32_t year, int32_t month, bool withoutSipTie);
