// The same generated calls give the same console output on every backend:
// the peak checks, the view time, a single day and the trunk minutes, byte
// for byte, against the generator's own SQLite file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/backend.h"
#include "support/tool_runner.h"
#include "tools/cdrgen_runner.h"

namespace {

constexpr char kZone[] = "Europe/Berlin";
constexpr char kClock[] = "2025-11-05 12:00:00";
// Forty days across the end of summer time, and every command that reads.
const std::vector<std::string> kPlan = {"--days", "40", "--calls-per-day", "300", "--end-date", "2025-11-05",
                                        "--seed", "5"};
constexpr char kCommands[] = "e\nt\nT\nd,10,26,2025\no,4,1\nt\nm\nM\nq\n";

class BackendsAgreeTest : public BackendTest {
 protected:
  ToolRun Console() {
    ToolOptions options;
    options.timeZone = kZone;
    options.frozenClock = kClock;
    return RunTool(kCommands, options);
  }
};

TEST_P(BackendsAgreeTest, ConsoleOutputEqualsTheGeneratorsSqliteFile) {
  AddDataSource(kLoggerDsn);
  std::vector<std::string> viaDsn = {"--dsn", kLoggerDsn};
  viaDsn.insert(viaDsn.end(), kPlan.begin(), kPlan.end());
  ToolRun generated = RunCdrgen(viaDsn, kZone);
  ASSERT_EQ(generated.status, 0) << generated.err;
  ToolRun onBackend = Console();

  std::string file = ScratchDir() + "/reference.sqlite";
  std::vector<std::string> viaFile = {"--sqlite", file};
  viaFile.insert(viaFile.end(), kPlan.begin(), kPlan.end());
  ASSERT_EQ(RunCdrgen(viaFile, kZone).status, 0);
  std::string ini = ScratchDir() + "/reference.ini";
  std::ofstream(ini) << "[" << kLoggerDsn << "]\nDriver=SQLite3\nDatabase=" << file << "\n";
  setenv("ODBCINI", ini.c_str(), 1);
  ToolRun reference = Console();

  ASSERT_EQ(reference.status, 0);
  ASSERT_NE(reference.out.find("Peak trunk calls without SIP-TIE\n\t 1: "), std::string::npos) << reference.out;
  ASSERT_NE(reference.out.find("\n01, session "), std::string::npos) << reference.out;  // rows at the view time
  EXPECT_EQ(onBackend.status, 0);
  EXPECT_EQ(onBackend.out, reference.out);
}

INSTANTIATE_BACKENDS(BackendsAgreeTest);

}  // namespace
