// nortesk-etp plan --html as its users run it: the page appears whole with
// the answer the report printed, or not at all with the reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/backend.h"
#include "support/tool_runner.h"
#include "tools/cdrgen_runner.h"

namespace {

class PlanPageCommandTest : public BackendTest {};

TEST_P(PlanPageCommandTest, ThePageIsWrittenWholeOrNotAtAllWithTheReason) {
  AddDataSource(kLoggerDsn);
  ToolRun generated = RunCdrgen(
      {"--dsn", kLoggerDsn, "--days", "40", "--calls-per-day", "80", "--end-date", "2026-02-09", "--seed", "4"});
  ASSERT_EQ(generated.status, 0) << generated.err;
  const std::string missing = ScratchDir() + "/missing/plan.html";
  ToolOptions options;
  options.arguments = {"plan", "--lines", "3", "--html", missing};
  ToolRun failed = RunTool("", options);
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("nortesk-etp: cannot create a file beside " + missing + ": No such file or directory\n"),
            std::string::npos)
      << failed.err;
  EXPECT_FALSE(std::filesystem::exists(ScratchDir() + "/missing"));

  const std::string dir = ScratchDir() + "/page";
  std::filesystem::create_directories(dir);
  options.arguments = {"plan", "--lines", "3", "--html", dir + "/plan.html"};
  ToolRun run = RunTool("", options);
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files.push_back(entry.path().filename());
  EXPECT_EQ(files, std::vector<std::string>{"plan.html"});
  const std::string page = ReadWholeFile(dir + "/plan.html");
  const size_t at = run.out.find("Lines needed now: ");
  ASSERT_NE(at, std::string::npos) << run.out;
  EXPECT_NE(page.find(run.out.substr(at, run.out.find('\n', at) - at)), std::string::npos);
  EXPECT_NE(page.find("<dd>Internal Logger Database</dd>"), std::string::npos);
  EXPECT_NE(page.find("<dd>UTC</dd>"), std::string::npos);
  EXPECT_NE(page.find("</html>\n"), std::string::npos);
  EXPECT_EQ(page.find("<?xml"), std::string::npos);
}

INSTANTIATE_BACKENDS(PlanPageCommandTest);

}  // namespace
