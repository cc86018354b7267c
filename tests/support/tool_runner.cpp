#include "support/tool_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "support/backend.h"

extern char** environ;

namespace {

constexpr char kFakeTimeLibrary[] = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

std::string TempPath(const char* tag) {
  char pattern[64];
  std::snprintf(pattern, sizeof pattern, "/tmp/nortesk-run-%s-XXXXXX", tag);
  int fd = mkstemp(pattern);
  if (fd >= 0) close(fd);
  return pattern;
}

}  // namespace

ToolRun RunTool(const std::string& input, const ToolOptions& options) {
  std::string inPath = TempPath("in"), outPath = TempPath("out"), errPath = TempPath("err");
  {
    std::ofstream in(inPath, std::ios::binary);
    in << input;
  }

  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "TZ=", 3) == 0 || std::strncmp(*e, "FAKETIME", 8) == 0 ||
        std::strncmp(*e, "LD_PRELOAD=", 11) == 0)
      continue;
    env.emplace_back(*e);
  }
  env.push_back("TZ=" + options.timeZone);
  if (!options.frozenClock.empty()) {
    env.push_back(std::string("LD_PRELOAD=") + kFakeTimeLibrary);
    env.push_back("FAKETIME=" + options.frozenClock);
    env.push_back("FAKETIME_DONT_FAKE_MONOTONIC=1");
    env.push_back("FAKETIME_DONT_RESET=1");
    // The sanitizer runtime would refuse to start behind a preloaded library.
    env.push_back("ASAN_OPTIONS=verify_asan_link_order=0");
  }
  for (const std::string& extra : options.environment) env.push_back(extra);

  std::string program = options.program.empty() ? std::string(NORTESK_ETP_PATH) : options.program;
  std::vector<char*> argv{program.data()};
  std::vector<std::string> arguments = options.arguments;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  ToolRun run;
  int closedPipe[2] = {-1, -1};
  if (options.closedPipeOutput && pipe(closedPipe) == 0) close(closedPipe[0]);
  pid_t child = fork();
  if (child == 0) {
    int in = open(inPath.c_str(), O_RDONLY);
    int out = closedPipe[1] >= 0 ? closedPipe[1]
              : open(options.standardOutput.empty() ? outPath.c_str() : options.standardOutput.c_str(),
                     O_WRONLY | O_TRUNC);
    if (options.closedPipeOutput) signal(SIGPIPE, SIG_DFL);
    int err = open(errPath.c_str(), O_WRONLY | O_TRUNC);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  if (closedPipe[1] >= 0) close(closedPipe[1]);
  if (child > 0 && options.killAfterMicroseconds >= 0) {
    timespec wait{static_cast<time_t>(options.killAfterMicroseconds / 1000000),
                  static_cast<long>(options.killAfterMicroseconds % 1000000) * 1000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
    // A child that already ended stays a zombie until waited for: its pid
    // still names it.
    kill(child, SIGKILL);
  }
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.out = ReadWholeFile(outPath);
  run.err = ReadWholeFile(errPath);
  std::filesystem::remove(inPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return run;
}

std::string Drain(int fd) {
  std::string text;
  char buffer[256];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  return text;
}

std::string MenuText() {
  return "e -> check peak extension calls\n"
         "t -> check peak trunk calls\n"
         "T -> check peak trunk calls without SIP-TIE\n"
         "m -> check trunk minutes\n"
         "M -> check trunk minutes without SIP-TIE\n";
}

std::string StartupText() {
  return std::string("====== Nortesk Extension/Trunk Projection Tool ======\n") + MenuText();
}
