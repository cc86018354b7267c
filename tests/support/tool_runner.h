// Runs the console program as a user would: words on standard input,
// standard output captured whole, the zone and the clock pinned.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ToolRun {
  std::string out;  // standard output
  std::string err;  // standard error
  int status = -1;  // exit status; -1 when the program did not exit normally (killed)
};

struct ToolOptions {
  std::string timeZone = "UTC";
  // Local time at which the program's clock stands still, "YYYY-MM-DD hh:mm:ss";
  // empty for the real clock.
  std::string frozenClock = "2026-02-10 12:00:00";
  // Program to run instead of the console (for the tools).
  std::string program;
  std::vector<std::string> arguments;
  // Extra environment entries "NAME=value".
  std::vector<std::string> environment;
  // A file standard output goes to instead of ToolRun::out ("/dev/full").
  std::string standardOutput;
  // Standard output a pipe that nobody reads any more (the reading end closed
  // before the program starts, as after `| true`), with SIGPIPE at its
  // default action, as a shell leaves it.
  bool closedPipeOutput = false;
  // When not negative, the program is killed with SIGKILL this many
  // microseconds after it was started, unless it ended before.
  int64_t killAfterMicroseconds = -1;
};

// Starts the program with the environment of this process (ODBCINI included)
// and `input` on standard input; waits for it to end.
ToolRun RunTool(const std::string& input, const ToolOptions& options = {});

// The text that the console prints from start-up through the first prompt
// when the data source opens.
std::string StartupText();

// Menu lines as the console prints them.
std::string MenuText();

// Everything that can be read from `fd` until its end or an error.
std::string Drain(int fd);

// The prompt printed before each word is read.
inline constexpr char kPromptText[] = "\nq->Quit\n";
