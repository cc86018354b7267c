// The console as a user drives it: words on standard input, exact output.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/backend.h"
#include "support/tool_runner.h"

namespace {

constexpr char kLogger[] = "Internal Logger Database";
constexpr char kBanner[] = "====== Nortesk Extension/Trunk Projection Tool ======\n";
constexpr char kOpenFailed[] = "Failed to open database Internal Logger Database\n";

std::string Prompts(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += kPromptText;
  return text;
}

class ConsoleTest : public BackendTest {};

TEST_P(ConsoleTest, StartsMenusAndQuits) {
  AddDataSource(kLogger);
  CreateCdrTable(kLogger);
  ToolRun run = RunTool("?\nx\nQ\nE\n1\n,e\nq\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, StartupText() + kPromptText + MenuText() + Prompts(6));
}

TEST_P(ConsoleTest, UnreachableSourceIsReportedAndTheLoopRuns) {
  AddUnreachableDataSource(kLogger);
  ToolRun run = RunTool("?\nquit\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string(kBanner) + kOpenFailed + MenuText() + kPromptText + MenuText() + kPromptText);
}

TEST_P(ConsoleTest, EveryWordBeginningWithQEndsTheLoop) {
  AddDataSource(kLogger);
  for (const char* word : {"q", "quit", "q,5"}) {
    ToolRun run = RunTool(std::string(word) + "\n?\n");
    EXPECT_EQ(run.status, 0) << word;
    EXPECT_EQ(run.out, StartupText() + kPromptText) << word;
  }
}

TEST_P(ConsoleTest, WordsSplitAtBlanksAndEndOfInputQuits) {
  AddDataSource(kLogger);
  ToolRun run = RunTool("? \t?\n\n   ");  // two words on one line, then the input ends
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, StartupText() + kPromptText + MenuText() + kPromptText + MenuText() + Prompts(1));
}

TEST_P(ConsoleTest, AWordOfAnyLengthIsReadWhole) {
  AddDataSource(kLogger);
  std::string longWord = "x" + std::string(4999, ',') + "?";  // one word: 'x' and thousands of commas
  ToolRun run = RunTool(longWord + "\n" + std::string(5000, '?') + "\nq\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, StartupText() + kPromptText + kPromptText + MenuText() + kPromptText);
}

INSTANTIATE_BACKENDS(ConsoleTest);

TEST(ConsoleWithoutSources, NoDataSourceDefined) {
  std::string ini = ::testing::TempDir() + "empty-odbc-" + std::to_string(::getpid()) + ".ini";
  std::ofstream(ini) << "";
  ToolOptions options;
  options.environment = {"ODBCINI=" + ini};
  ToolRun run = RunTool("?\nx\nq\n", options);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string(kBanner) + kOpenFailed + MenuText() + kPromptText + MenuText() + kPromptText +
                         kPromptText);
  // Why, on standard error: the driver manager's reason and the file it read.
  EXPECT_EQ(run.err, "[unixODBC][Driver Manager]Data source name not found and no default driver specified "
                     "(SQLSTATE IM002)\nData source names are looked up in " + ini + " (ODBCINI) and /etc/odbc.ini.\n");
  // The report's own session on another source says why as well.
  ToolRun report = RunTool("o,3,No_Such_Source\nm\nq\n", options);
  EXPECT_EQ(report.err, run.err + run.err);
  std::remove(ini.c_str());
}

TEST(ConsoleWithoutSources, WithoutOdbciniTheDefaultFilesAreNamed) {
  ToolOptions options;
  options.environment = {"HOME=" + ::testing::TempDir()};
  ToolRun run = RunTool("q\n", options);
  EXPECT_NE(run.err.find("ODBCINI is not set: data source names are looked up in ~/.odbc.ini and /etc/odbc.ini.\n"),
            std::string::npos) << run.err;
}

}  // namespace
