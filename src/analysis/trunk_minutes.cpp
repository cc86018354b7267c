#include "analysis/trunk_minutes.h"

#include <cstdio>

#include "db/osql.h"
#include "platform/local_time.h"

namespace {

// Months counted from January of year 0, so that stepping back across a
// year boundary is plain subtraction.
int MonthNumber(int year, int month) { return year * 12 + (month - 1); }
int YearOf(int monthNumber) { return monthNumber / 12; }
int MonthOf(int monthNumber) { return monthNumber % 12 + 1; }

constexpr int kMonthsReported = 4;

}  // namespace

void TrunkMinutesCommand(int withoutSipTie) {
  OSql session;
  // A failed open has printed its line; the report still runs, and each of
  // its sums then fails at once and silently.
  session.OpenDatabase();
  session.CheckTrunkMinutes(withoutSipTie);
  session.CloseDatabase();
}

int OSql::CheckTrunkMinutes(int withoutSipTie) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  int current = MonthNumber(now.wYear, now.wMonth);
  int first = current - (kMonthsReported - 1);

  std::printf(withoutSipTie != 0 ? "Checking trunk minutes without SIP-TIE from %02d/%04d to %02d/%04d...\n\n"
                                 : "Checking trunk minutes from %02d/%04d to %02d/%04d...\n\n",
              MonthOf(first), YearOf(first), MonthOf(current), YearOf(current));
  for (int number = first; number <= current; ++number) {
    // A month whose sums fail prints nothing; the others are still reported.
    if (withoutSipTie != 0) {
      CheckMonthTrunkMinutesWithoutSipTie(YearOf(number), MonthOf(number));
    } else {
      CheckMonthTrunkMinutes(YearOf(number), MonthOf(number));
    }
  }
  std::printf("\n");
  return 1;
}
