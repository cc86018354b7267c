#include "console/peak_commands.h"

#include <unistd.h>

#include <cstdio>

#include "analysis/call_peak.h"
#include "analysis/check_progress.h"
#include "analysis/index_hint.h"
#include "settings/settings.h"
#include "console/date_tokens.h"
#include "platform/local_time.h"
#include "timeutil/time_conversions.h"

namespace {

// Elapsed milliseconds as "seconds.milliseconds", both truncated toward zero.
struct SecondsAndMillis {
  int seconds;
  int millis;
};

SecondsAndMillis Split(int32_t milliseconds) {
  return {static_cast<int>(milliseconds / 1000), static_cast<int>(milliseconds % 1000)};
}

// Days that failed are missing from the list; without this line it would
// look complete.
void WarnOfUnreadDays(const CCallPeak& checker) {
  if (checker.UnreadDays > 0) {
    std::printf("Warning: %d days could not be read; the list leaves them out\n",
                static_cast<int>(checker.UnreadDays));
  }
}

}  // namespace

void PeakCallsCommand(uint32_t mode) { PeakCallsCommand(mode, CallPeak); }

void PeakCallsCommand(uint32_t mode, CCallPeak& checker) {
  // A session lost to a server restart is opened again before the check.
  checker.ReconnectIfLost();
  HintWhenStartTimeIsUnindexed(checker.Session);
  SYSTEMTIME start{};
  GetLocalTime(&start);
  CheckMode = mode;
  checker.Reset();
  RangeProgress.Begin(STDERR_FILENO);
  checker.CheckRange();
  RangeProgress.End();
  SecondsAndMillis elapsed = Split(ElapsedMilliseconds(start));
  checker.PrintPeaks();
  std::printf("Checked %d records, elapsed time %d.%03d seconds\n", static_cast<int>(checker.RowsCounted),
              elapsed.seconds, elapsed.millis);
  WarnOfUnreadDays(checker);
}

void PeakDayCommand() {
  CallPeak.ReconnectIfLost();
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const auto [month, day, year] = DateTokensOrToday(CommandTokens, 1, now);
  std::printf("Check peak calls at %02d/%02d/%04d\n", static_cast<int>(month), static_cast<int>(day),
              static_cast<int>(year));
  if ((CheckMode & kCheckModeMask) == 0) {
    // No kind of call chosen yet: the day counts none. The lines on
    // standard output stay as they are; the reason goes beside them.
    std::fflush(stdout);
    std::fputs("d checks the calls of the last e, t or T; run one of them first\n", stderr);
  }
  CallPeak.Reset();
  CallPeak.CheckDay(LocalDateToEpoch(year, month, day));
  SecondsAndMillis elapsed = Split(ElapsedMilliseconds(now));
  CallPeak.PrintPeaks();
  std::printf("Checked %d calls, elapsed time %d.%03d seconds\n", static_cast<int>(CallPeak.RowsCounted),
              elapsed.seconds, elapsed.millis);
  WarnOfUnreadDays(CallPeak);
}
