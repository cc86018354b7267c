// nortesk-etp plan against a scripted driver manager: a statement of the
// record range that fails (a database locked by a writer) is named as the
// reason, never taken for a table without records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cli/exit_status.h"
#include "cli/plan_command.h"
#include "support/fake_odbc/fake_odbc.h"

namespace {

TEST(PlanSeamTest, AFailedRangeStatementIsTheReasonGiven) {
  setenv("TZ", "UTC", 1);
  tzset();
  fake_odbc::Reset();
  fake_odbc::Script& script = fake_odbc::TheScript();
  script.failingText = "Min(LocalDay)";
  script.diagnostics = {{"HY000", 5, "database is locked"}};
  PlanOptions options;
  options.dsn = "Logger";
  testing::internal::CaptureStderr();
  const int status = RunPlan(options);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, kExitFailed);
  const std::string reason =
      "nortesk-etp: cannot read the record days of data source \"Logger\": database is locked (SQLSTATE HY000)\n";
  ASSERT_GE(err.size(), reason.size()) << err;
  EXPECT_EQ(err.substr(err.size() - reason.size()), reason) << err;
}

}  // namespace
