// The texts of the peak checks: day selects, printed call lines, exit-state
// names, and the progress line on a terminal.
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "analysis/call_kinds.h"
#include "analysis/call_line_format.h"
#include "analysis/check_progress.h"
#include "analysis/day_statements.h"
#include "analysis/exit_state_names.h"
#include "settings/settings.h"
#include "support/tool_runner.h"

namespace {

std::string Select(uint32_t mode, bool second, int32_t start, int32_t end) {
  const DaySelects* selects = DaySelectsFor(mode);
  if (selects == nullptr) return "<none>";
  char out[kStatementSize] = {};
  FormatDaySelect(out, sizeof out, second ? selects->second : selects->first, start, end);
  return out;
}

TEST(DaySelects, BoundTheStartFromBothSidesAndTheEndFromAbove) {
  const std::string head =
      "select StartTime,EndTime,SessionID,CallerNum,TargetNum,ExitState from CDRMAIN where "
      "StartTime>=1770595200 and StartTime<1770681600 and EndTime<1770681600 and ";
  EXPECT_EQ(Select(kCheckExtension, false, 1770595200, 1770681600),
            head + "((CallerType=1 or CallerType=2) or (TargetType=1 or TargetType=2))");
  EXPECT_EQ(Select(kCheckExtension, true, 1770595200, 1770681600),
            head + "((CallerType=1 or CallerType=2) and (TargetType=1 or TargetType=2))");
  EXPECT_EQ(Select(kCheckTrunk, false, 1770595200, 1770681600), head + "(CallerType>=7 or TargetType>=7)");
  EXPECT_EQ(Select(kCheckTrunk, true, 1770595200, 1770681600), head + "(CallerType>=7 and TargetType>=7)");
  EXPECT_EQ(Select(kCheckTrunkWithoutSipTie, false, 1770595200, 1770681600),
            head + "((CallerType>=7 and CallerType<>9) or (TargetType>=7 and TargetType<>9))");
  EXPECT_EQ(Select(kCheckTrunkWithoutSipTie, true, 1770595200, 1770681600),
            head + "((CallerType>=7 and CallerType<>9) and (TargetType>=7 and TargetType<>9))");
}

TEST(DaySelects, TheFirstModeFlagDecidesAndTheLongestFits) {
  EXPECT_EQ(DaySelectsFor(0), nullptr);
  EXPECT_EQ(DaySelectsFor(kPassExtToExt | kPassTrunkToTrunk | 0x8), nullptr);
  EXPECT_EQ(DaySelectsFor(kCheckExtension | kCheckTrunk)->mode, kCheckExtension);
  EXPECT_EQ(DaySelectsFor(kCheckTrunk | kCheckTrunkWithoutSipTie)->mode, kCheckTrunk);
  EXPECT_EQ(DaySelectsFor(kCheckExtension)->passFlag, kPassExtToExt);
  EXPECT_EQ(DaySelectsFor(kCheckTrunk)->passFlag, kPassTrunkToTrunk);
  EXPECT_EQ(DaySelectsFor(kCheckTrunkWithoutSipTie)->passFlag, kPassTrunkToTrunk);
  std::string longest = Select(kCheckTrunkWithoutSipTie, true, INT32_MIN, INT32_MIN);
  EXPECT_LT(longest.size(), kStatementSize - 1);
  EXPECT_EQ(longest.substr(longest.size() - 9), "Type<>9))");
}

TEST(CallLines, ThePassFlagsChooseTheLabelTrunkFirst) {
  EXPECT_STREQ(CallLineFormat(kCheckTrunk), "%02d, session %d, caller %s, callee %s, exit %s\n");
  EXPECT_STREQ(CallLineFormat(kCheckExtension | kPassExtToExt),
               "%02d, session %d, caller %s, callee %s, exit %s, Ext2Ext\n");
  EXPECT_STREQ(CallLineFormat(kCheckTrunk | kPassTrunkToTrunk),
               "%02d, session %d, caller %s, callee %s, exit %s, Trk2Trk\n");
  EXPECT_STREQ(CallLineFormat(kPassExtToExt | kPassTrunkToTrunk),
               "%02d, session %d, caller %s, callee %s, exit %s, Trk2Trk\n");
}

TEST(ExitStates, CodesOutsideTheTableAreUnknown) {
  EXPECT_STREQ(ExitStateName(0), "Unknown");
  EXPECT_STREQ(ExitStateName(8), "CONNECT");
  EXPECT_STREQ(ExitStateName(13), "XFER_DEST_UNAVAIL");
  EXPECT_STREQ(ExitStateName(37), "EXCHANGE_DIVERSION");
  EXPECT_STREQ(ExitStateName(38), "Unknown");
  EXPECT_STREQ(ExitStateName(255), "Unknown");
  EXPECT_STREQ(ExitStateName(-1), "Unknown");
  EXPECT_STREQ(ExitStateName(INT32_MIN), "Unknown");
  for (int i = 0; i < kExitStateCount; ++i) EXPECT_LT(std::strlen(ExitStateNames[i]), size_t{kExitStateNameSize});
}

TEST(ProgressLine, ShownOnATerminalAndErasedWhenDone) {
  int controller = -1, terminal = -1;
  ASSERT_EQ(openpty(&controller, &terminal, nullptr, nullptr, nullptr), 0);
  termios raw{};
  tcgetattr(terminal, &raw);
  cfmakeraw(&raw);  // bytes pass as written
  tcsetattr(terminal, TCSANOW, &raw);
  fcntl(controller, F_SETFL, O_NONBLOCK);
  CheckProgress progress;
  progress.Begin(terminal);
  progress.ShowMonth(2026, 3);
  progress.ShowMonth(2026, 4);
  progress.Hide();
  progress.Hide();  // nothing shown: nothing to erase
  progress.End();
  progress.ShowMonth(2026, 5);  // after End: silent
  const std::string shown = "Checking 03/2026 ...";
  const std::string erase = "\r" + std::string(shown.size(), ' ') + "\r";
  EXPECT_EQ(Drain(controller), shown + erase + "Checking 04/2026 ..." + erase);
  close(controller);
  close(terminal);
}

TEST(ProgressLine, SilentWhenNotATerminal) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
  CheckProgress progress;
  progress.Begin(pipeEnds[1]);
  progress.ShowMonth(2026, 3);
  progress.Hide();
  progress.End();
  close(pipeEnds[1]);
  EXPECT_EQ(Drain(pipeEnds[0]), "");
  close(pipeEnds[0]);
}

}  // namespace
