// The progress line of the range checks, seen on a terminal: one line for the
// month being checked, out of the way of the rows printed at the view time,
// and gone when the check is done.
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "analysis/call_peak.h"
#include "console/peak_commands.h"
#include "settings/settings.h"
#include "platform/local_time.h"
#include "support/backend.h"
#include "support/tool_runner.h"

namespace {

constexpr char kLogger[] = "Internal Logger Database";
constexpr int64_t kNoonFeb10 = 1770724800000;  // 2026-02-10 12:00:00 UTC, milliseconds

int64_t FrozenClock() { return kNoonFeb10; }

class PeakProgressTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    setenv("TZ", "UTC", 1);
    tzset();
    SetClockForTesting(FrozenClock);
    AddDataSource(kLogger);
    CreateCdrTable(kLogger);
    SetDsnName(kLogger);
    ASSERT_EQ(CallPeak.OpenDatabase(), 1);
    ASSERT_EQ(openpty(&controller, &terminal, nullptr, nullptr, nullptr), 0);
    termios raw{};
    tcgetattr(terminal, &raw);
    cfmakeraw(&raw);
    tcsetattr(terminal, TCSANOW, &raw);
    fcntl(controller, F_SETFL, O_NONBLOCK);
  }
  void TearDown() override {
    CallPeak.CloseDatabase();
    SetClockForTesting(nullptr);
    ViewTime = 0;
    if (controller >= 0) close(controller);
    if (terminal >= 0) close(terminal);
    BackendTest::TearDown();
  }
  // Runs t with standard error on the terminal; returns what it printed
  // there, and its standard output in `out`.
  std::string RunTrunkCheck(std::string* out) {
    int savedError = dup(STDERR_FILENO);
    dup2(terminal, STDERR_FILENO);
    testing::internal::CaptureStdout();
    PeakCallsCommand(kCheckTrunk);
    *out = testing::internal::GetCapturedStdout();
    dup2(savedError, STDERR_FILENO);
    close(savedError);
    return Drain(controller);
  }
  int controller = -1, terminal = -1;
};

std::string Erase(const std::string& shown) { return "\r" + std::string(shown.size(), ' ') + "\r"; }

TEST_P(PeakProgressTest, OneLineForTheMonthErasedWhenDone) {
  InsertCall(kLogger, {1768435200 + 60, 1768435200 + 660, 1, "1", "2", 8, 7, 7, 1, "20260115"});
  InsertCall(kLogger, {1770595200 + 60, 1770595200 + 660, 2, "3", "4", 8, 7, 1, 1, "20260209"});
  std::string out;
  EXPECT_EQ(RunTrunkCheck(&out), "Checking 01/2026 ..." + Erase("Checking 01/2026 ...") + "Checking 02/2026 ..." +
                                     Erase("Checking 02/2026 ..."));
  EXPECT_EQ(out,
            "Checking trunk records from 01/2026 to 02/2026...\n\n"
            "Peak trunk calls\n\t 1: 2 calls at 2026/01/15 00:01:00\n"
            "Checked 3 records, elapsed time 0.000 seconds\n");
}

// Runs the console with `input` on standard input and both output streams on
// one terminal, as a user sees them; returns what the terminal showed.
std::string RunOnTerminal(const std::string& input) {
  int controller = -1, terminal = -1;
  if (openpty(&controller, &terminal, nullptr, nullptr, nullptr) != 0) return "<no terminal>";
  termios raw{};
  tcgetattr(terminal, &raw);
  cfmakeraw(&raw);
  tcsetattr(terminal, TCSANOW, &raw);
  int commands[2];
  if (pipe(commands) != 0) return "<no pipe>";
  pid_t child = fork();
  if (child == 0) {
    dup2(commands[0], STDIN_FILENO);
    dup2(terminal, STDOUT_FILENO);
    dup2(terminal, STDERR_FILENO);
    close(commands[1]);
    close(controller);
    setenv("TZ", "UTC", 1);
    setenv("LD_PRELOAD", "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1", 1);
    setenv("FAKETIME", "2026-02-10 12:00:00", 1);
    setenv("FAKETIME_DONT_FAKE_MONOTONIC", "1", 1);
    setenv("FAKETIME_DONT_RESET", "1", 1);
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0", 1);
    execl(NORTESK_ETP_PATH, NORTESK_ETP_PATH, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(terminal);
  close(commands[0]);
  ssize_t written = write(commands[1], input.data(), input.size());
  (void)written;
  close(commands[1]);
  std::string shown;
  char buffer[1024];
  for (;;) {
    ssize_t n = read(controller, buffer, sizeof buffer);  // EIO once the program has gone
    if (n <= 0) break;
    shown.append(buffer, static_cast<size_t>(n));
  }
  close(controller);
  int status = 0;
  waitpid(child, &status, 0);
  return shown;
}

TEST_P(PeakProgressTest, ARowAtTheViewTimeClearsTheLineFirst) {
  InsertCall(kLogger, {1768435200 + 60, 1768435200 + 660, 1, "1", "2", 8, 7, 7, 1, "20260115"});
  InsertCall(kLogger, {1770595200 + 60, 1770595200 + 660, 2, "3", "4", 8, 7, 1, 1, "20260209"});
  std::string shown = RunOnTerminal("o,1,1,15,2026,0,1,40 t q\n");
  std::string expected = "Checking trunk records from 01/2026 to 02/2026...\n\n"
                         "Checking 01/2026 ..." + Erase("Checking 01/2026 ...") +
                         "01, session 1, caller 1, callee 2, exit CONNECT\n"
                         "01, session 1, caller 1, callee 2, exit CONNECT, Trk2Trk\n"
                         "Checking 02/2026 ..." + Erase("Checking 02/2026 ...") +
                         "Peak trunk calls\n\t 1: 2 calls at 2026/01/15 00:01:00\n"
                         "Checked 3 records, elapsed time 0.000 seconds\n";
  EXPECT_NE(shown.find(expected), std::string::npos) << shown;
}

INSTANTIATE_BACKENDS(PeakProgressTest);

}  // namespace
