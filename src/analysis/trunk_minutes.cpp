#include "analysis/trunk_minutes.h"

#include <cstdio>

#include "analysis/month_minutes.h"
#include "db/osql.h"
#include "platform/local_time.h"
#include "timeutil/calendar_months.h"

namespace {

constexpr int kMonthsReported = 4;

}  // namespace

void TrunkMinutesCommand(int withoutSipTie) {
  OSql session;
  // A failed open has printed its line; the report still runs, and each of
  // its sums then fails at once and silently.
  session.OpenDatabase();
  ReportTrunkMinutes(session, withoutSipTie);
  session.CloseDatabase();
}

int ReportTrunkMinutes(OSql& session, int withoutSipTie) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  int current = MonthCount(now.wYear, now.wMonth);
  int first = current - (kMonthsReported - 1);

  std::printf(withoutSipTie != 0 ? "Checking trunk minutes without SIP-TIE from %02d/%04d to %02d/%04d...\n\n"
                                 : "Checking trunk minutes from %02d/%04d to %02d/%04d...\n\n",
              MonthOfMonthCount(first), YearOfMonthCount(first), MonthOfMonthCount(current), YearOfMonthCount(current));
  for (int number = first; number <= current; ++number) {
    // A month whose sums fail prints nothing; the others are still reported.
    ReportMonthTrunkMinutes(session, YearOfMonthCount(number), MonthOfMonthCount(number), withoutSipTie != 0);
  }
  std::printf("\n");
  return 1;
}
