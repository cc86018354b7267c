// --trace on the command line: the console, run with it and no command,
// is the console of old with its driver failures written to the file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "support/backend.h"
#include "support/tool_runner.h"

namespace {

TEST(TraceOption, ConsoleWritesTheDriversFailureIntoTheTrace) {
  const std::string dir = ::testing::TempDir() + "trace-" + std::to_string(::getpid());
  const std::string ini = dir + ".ini", trace = dir + ".log";
  std::ofstream(ini) << "";
  ToolOptions options;
  options.environment = {"ODBCINI=" + ini};
  const ToolRun plain = RunTool("q", options);
  options.arguments = {"--trace", trace};
  const ToolRun traced = RunTool("q", options);
  EXPECT_EQ(traced.status, 0);
  EXPECT_EQ(traced.out, plain.out);
  EXPECT_NE(ReadWholeFile(trace).find("Data source name not found"), std::string::npos) << ReadWholeFile(trace);
  std::remove(ini.c_str());
  std::remove(trace.c_str());
}

}  // namespace
