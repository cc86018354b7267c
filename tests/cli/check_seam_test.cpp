// nortesk-etp check when the connection is lost in the middle of the day's
// statements, against a scripted driver manager: UNKNOWN with the reason,
// never a state of the trunks.
#include <gtest/gtest.h>

#include <string>

#include "cli/check_command.h"
#include "support/fake_odbc/fake_odbc.h"

namespace {

TEST(CheckSeamTest, ALostConnectionIsUnknownAndSaysSo) {
  setenv("TZ", "UTC", 1);
  tzset();
  fake_odbc::Reset();
  fake_odbc::Script& script = fake_odbc::TheScript();
  script.failingText = "StartTime>=";
  script.diagnostics = {{"08S01", 2013, "Lost connection to server during query"}};
  CheckOptions options;
  options.dsn = "Logger";
  options.warningPeak = "10";
  testing::internal::CaptureStdout();
  const int status = RunCheck(options);
  const std::string line = testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, kCheckUnknown);
  EXPECT_EQ(line.rfind("TRUNKS UNKNOWN - lost the connection to data source \"Logger\": ", 0), 0u) << line;
}

}  // namespace
