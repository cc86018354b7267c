// nortesk-etp minutes against the console's m on the same generated records,
// on every backend; and a failing month leaves no CSV behind.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/backend.h"
#include "support/tool_runner.h"
#include "tools/cdrgen_runner.h"

namespace {

// The month lines of a report, in order.
std::vector<std::string> MonthLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.find(": Trunk calls (minutes), ") != std::string::npos) lines.push_back(line);
  }
  return lines;
}

// "2025/11: Trunk calls (minutes), inbound 1,234, outbound 5, total 1,239"
// as the CSV row "2025-11,1234,5,1239".
std::string AsCsvRow(std::string line) {
  std::string row = line.substr(0, 4) + "-" + line.substr(5, 2);
  for (const char* label : {"inbound ", "outbound ", "total "}) {
    size_t at = line.find(label) + std::string(label).size();
    size_t end = line.find(", ", at);
    std::string number = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
    row += ",";
    for (char c : number) {
      if (c != ',') row += c;
    }
  }
  return row;
}

class MinutesTest : public LoggerDatabaseTest {};

TEST_P(MinutesTest, CsvAgreesWithTheConsoleOnTheMonthsTheyShare) {
  ToolRun generated = RunCdrgen({"--dsn", kLoggerDsn, "--days", "400", "--calls-per-day", "40", "--end-date",
                                 "2026-02-10", "--seed", "3"});
  ASSERT_EQ(generated.status, 0) << generated.err;
  for (bool withoutSipTie : {false, true}) {
    const std::string csv = ScratchDir() + "/minutes.csv";
    ToolOptions options;
    options.arguments = {"minutes", "--months", "12", "--csv", csv};
    if (withoutSipTie) options.arguments.push_back("--without-sip-tie");
    ToolRun minutes = RunTool("", options);
    ASSERT_EQ(minutes.status, 0) << minutes.err;
    ToolRun console = RunTool(withoutSipTie ? "M q" : "m q");
    const std::vector<std::string> shared = MonthLines(console.out);
    ASSERT_EQ(shared.size(), 4u) << console.out;

    const std::vector<std::string> lines = MonthLines(minutes.out);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines.front().substr(0, 7), "2025/03");
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()), shared);
    std::string expected = "month,inbound_minutes,outbound_minutes,total_minutes\r\n";
    for (const std::string& line : lines) expected += AsCsvRow(line) + "\r\n";
    EXPECT_EQ(ReadWholeFile(csv), expected);
    EXPECT_NE(AsCsvRow(shared[2]), "2025-12,0,0,0");  // the months hold calls
  }
}

TEST_P(MinutesTest, AFailingStatementExitsWith1AndLeavesTheCsvAsItWas) {
  Exec(kLoggerDsn, "DROP TABLE CDRMAIN");
  const std::string csv = ScratchDir() + "/minutes.csv";
  { std::ofstream(csv) << "earlier"; }
  ToolOptions options;
  options.arguments = {"minutes", "--csv", csv};
  ToolRun run = RunTool("", options);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadWholeFile(csv), "earlier");
  EXPECT_NE(run.err.find("nortesk-etp: a trunk-minutes statement failed"), std::string::npos) << run.err;
}

TEST_P(MinutesTest, OutputThatCannotBeWrittenExitsWith1AndWritesNoCsv) {
  const std::string csv = ScratchDir() + "/minutes.csv";
  ToolOptions options;
  options.arguments = {"minutes", "--csv", csv};
  options.standardOutput = "/dev/full";
  ToolRun run = RunTool("", options);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "nortesk-etp: cannot write to standard output: No space left on device\n");
  EXPECT_EQ(ReadWholeFile(csv), "");
}

INSTANTIATE_BACKENDS(MinutesTest);

}  // namespace
