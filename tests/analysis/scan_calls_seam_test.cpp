// ScanCalls on its failure paths against a scripted driver manager.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/record_processor.h"
#include "analysis/scan_calls.h"
#include "db/osql.h"
#include "support/fake_odbc/fake_odbc.h"

namespace {

using fake_odbc::CountCalls;
using fake_odbc::TheScript;

class Counter : public CRecordProcessor {
 public:
  int32_t OnCall(int32_t, int32_t) override {
    ++calls;
    return 0;
  }
  int calls = 0;
};

class ScanCallsSeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_odbc::Reset();
    ASSERT_EQ(session.Connect("Dsn", "", ""), 1);
  }
  void TearDown() override { session.Disconnect(); }
  OSql session;
  Counter counter;
};

TEST_F(ScanCallsSeamTest, AFailedBindClosesTheCursorAndDropsTheBindings) {
  TheScript().bindCol = SQL_ERROR;
  TheScript().failBindAtColumn = 4;
  TheScript().rows = 3;
  testing::internal::CaptureStdout();
  EXPECT_EQ(ScanCalls(session, "select ...", &counter), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // no report
  EXPECT_EQ(CountCalls("SQLBindCol"), 4);
  EXPECT_EQ(CountCalls("SQLFetch"), 0);
  EXPECT_EQ(CountCalls("SQLCloseCursor"), 1);
  EXPECT_EQ(CountCalls("SQLFreeStmt"), 1);
  EXPECT_EQ(counter.calls, 0);
}

TEST_F(ScanCallsSeamTest, BindsOnceFetchesToTheEndAndLeavesTheStatementIdle) {
  TheScript().rows = 5;
  TheScript().rowText = {"n"};
  EXPECT_EQ(ScanCalls(session, "select ...", &counter), 1);
  EXPECT_EQ(counter.calls, 5);
  EXPECT_EQ(CountCalls("SQLBindCol"), 6);
  EXPECT_EQ(CountCalls("SQLFetch"), 6);
  EXPECT_EQ(CountCalls("SQLCloseCursor"), 1);
  EXPECT_EQ(CountCalls("SQLFreeStmt"), 1);  // the bindings to the scan's row go
  // A bound row that no longer exists must not be written by later fetches.
  TheScript().rows = 1;
  EXPECT_EQ(session.Execute("select 1"), 1);
  EXPECT_EQ(session.Fetch(), 1);
}

TEST_F(ScanCallsSeamTest, AFetchErrorEndsTheScanAsAReportedFailure) {
  TheScript().rows = 2;
  TheScript().endResult = SQL_ERROR;
  TheScript().diagnostics = {{"08S01", 0, "connection lost"}};
  testing::internal::CaptureStdout();
  EXPECT_EQ(ScanCalls(session, "select ...", &counter), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "SQL Error Message: Diag:1, SQLSTATE:08S01, NativeError:0, ErrMsg:connection lost\r\n");
  EXPECT_EQ(counter.calls, 2);
  EXPECT_EQ(session.lastStatementFailed, 1);
  EXPECT_STREQ(session.lastErrorState, "08S01");
  EXPECT_EQ(session.connectionLost, 1);
  EXPECT_EQ(CountCalls("SQLCloseCursor"), 1);
  fake_odbc::Reset();
  TheScript().execDirect = SQL_ERROR;
  testing::internal::CaptureStdout();
  EXPECT_EQ(ScanCalls(session, "select ...", &counter), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(CountCalls("SQLBindCol"), 0);
}

}  // namespace
