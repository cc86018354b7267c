// OSql's failure paths against a scripted driver manager.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "db/osql.h"
#include "support/fake_odbc/fake_odbc.h"
#include "trace/trace.h"

namespace {

using fake_odbc::Calls;
using fake_odbc::CountCalls;
using fake_odbc::TheScript;

class OsqlSeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_odbc::Reset();
    // Reports go to standard output so their module and line can be checked.
    logPath = ::testing::TempDir() + "osql-seam-trace.log";
    std::remove(logPath.c_str());
    ASSERT_EQ(ProcessTrace.Open(logPath.c_str(), kTraceToConsole), 1);
  }
  void TearDown() override {
    ProcessTrace.Close();
    std::remove(logPath.c_str());
  }
  std::string logPath;
  OSql session;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(OsqlSeamTest, FailedConnectFreesWithoutDisconnecting) {
  TheScript().connect = SQL_ERROR;
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.Connect("Dsn", "", ""), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(Contains(out, ": Failed to connect with database, -1. (OSql-120)\r\n")) << out;
  EXPECT_EQ(CountCalls("SQLDisconnect"), 0);
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_DBC), 1);
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_ENV), 1);
  EXPECT_EQ(session.connectionHandle, nullptr);
  EXPECT_EQ(session.environmentHandle, nullptr);
  EXPECT_EQ(session.connectStage, 0);
}

TEST_F(OsqlSeamTest, FailedStatementAllocationDisconnectsFirst) {
  TheScript().allocStmt = SQL_ERROR;
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.Connect("Dsn", "", ""), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(Contains(out, "Failed to allocate a handle for statement, -1. (OSql-127)")) << out;
  std::vector<std::string> expected{"SQLAllocHandle", "SQLSetEnvAttr",  "SQLAllocHandle", "SQLSetConnectAttr",
                                    "SQLConnect",     "SQLAllocHandle", "SQLDisconnect",  "SQLFreeHandle",
                                    "SQLFreeHandle"};
  EXPECT_EQ(Calls(), expected);
  EXPECT_EQ(session.connectStage, 0);
  EXPECT_EQ(session.statementHandle, nullptr);
}

TEST_F(OsqlSeamTest, EarlyAllocationFailuresReportTheirLines) {
  struct Case {
    SQLRETURN fake_odbc::Script::*field;
    const char* report;
  } cases[] = {
      {&fake_odbc::Script::allocEnv, "Failed to allocate a SQL handle for environment, -2. (OSql-96)"},
      {&fake_odbc::Script::setEnvAttr, "Failed to set SQL version, -2. (OSql-104)"},
      {&fake_odbc::Script::allocDbc, "Failed to allocate a SQL handle for DBC, -2. (OSql-111)"},
  };
  for (const Case& c : cases) {
    fake_odbc::Reset();
    TheScript().*(c.field) = SQL_INVALID_HANDLE;
    testing::internal::CaptureStdout();
    EXPECT_EQ(session.Connect("Dsn", "", ""), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(Contains(out, c.report)) << out;
    EXPECT_EQ(CountCalls("SQLConnect"), 0);
    EXPECT_EQ(session.environmentHandle, nullptr);
    EXPECT_EQ(session.connectionHandle, nullptr);
  }
}

TEST_F(OsqlSeamTest, SecondDisconnectMakesNoCall) {
  testing::internal::CaptureStdout();
  ASSERT_EQ(session.Connect("Dsn", "user", ""), 1);
  session.Disconnect();
  size_t callsAfterFirst = Calls().size();
  session.Disconnect();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(Calls().size(), callsAfterFirst);
  EXPECT_TRUE(Contains(out, "Connected with ODBC Dsn:user. (OSql-132)")) << out;
  EXPECT_TRUE(Contains(out, "Disconnected from ODBC server. (OSql-168)")) << out;
  EXPECT_EQ(out.find("Disconnected", out.find("Disconnected") + 1), std::string::npos);
  EXPECT_EQ(CountCalls("SQLDisconnect"), 1);
}

TEST_F(OsqlSeamTest, DiagnosticsAreNumberedOnceEach) {
  ASSERT_EQ(session.Connect("Dsn", "", ""), 1);
  TheScript().execDirect = SQL_ERROR;
  TheScript().diagnostics = {{"42S02", 7, "no such table"}, {"01000", 0, "second"}};
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.Execute("SELECT 1"), 0);
  std::string out = testing::internal::GetCapturedStdout();
  const std::string first = "SQL Error Message: Diag:1, SQLSTATE:42S02, NativeError:7, ErrMsg:no such table\r\n";
  const std::string second = "SQL Error Message: Diag:2, SQLSTATE:01000, NativeError:0, ErrMsg:second\r\n";
  // Trace line, then the console copy, for each record in order.
  size_t report = out.find("Failed to execute a sql statement, -1. (OSql-252)");
  size_t one = out.find(first);
  size_t two = out.find(second);
  ASSERT_NE(report, std::string::npos) << out;
  ASSERT_NE(one, std::string::npos) << out;
  ASSERT_NE(two, std::string::npos) << out;
  EXPECT_LT(report, one);
  EXPECT_LT(one, two);
  EXPECT_TRUE(Contains(out, first + ". (OSql-458)\r\n" + first)) << out;  // traced, then printed
  EXPECT_EQ(CountCalls("SQLGetDiagRec"), 3);
}

TEST_F(OsqlSeamTest, NoDataFromExecuteIsQuiet) {
  ASSERT_EQ(session.Connect("Dsn", "", ""), 1);
  TheScript().execDirect = SQL_NO_DATA;
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.Execute("DELETE FROM T"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// The values reach the driver bound to the markers, in order, and the text
// goes as it is: a quote in a value is no concern of the statement's.
TEST_F(OsqlSeamTest, ParametersAreBoundNeverPartOfTheText) {
  ASSERT_EQ(session.Connect("Dsn", "", ""), 1);
  const char sql[] = "select A from T where B=? or C=?";
  EXPECT_EQ(session.ExecuteWith(sql, {{"O'Hare", SQL_VARCHAR}, {"12", SQL_INTEGER}}), 1);
  EXPECT_EQ(fake_odbc::PreparedTexts(), std::vector<std::string>{sql});
  EXPECT_TRUE(fake_odbc::ExecutedTexts().empty());
  const std::vector<fake_odbc::BoundParameter>& bound = fake_odbc::BoundParameters();
  ASSERT_EQ(bound.size(), 2u);
  EXPECT_EQ(bound[0].number, 1);
  EXPECT_EQ(bound[0].value, "O'Hare");
  EXPECT_EQ(bound[0].parameterType, SQL_VARCHAR);
  EXPECT_EQ(bound[1].number, 2);
  EXPECT_EQ(bound[1].value, "12");
  EXPECT_EQ(bound[1].parameterType, SQL_INTEGER);
  EXPECT_EQ(CountCalls("SQLExecute"), 1);
}

TEST_F(OsqlSeamTest, FreshStatementIsAlwaysFreed) {
  ASSERT_EQ(session.Connect("Dsn", "", ""), 1);
  const char text[] = "UPDATE T SET A=1 trailing bytes";
  EXPECT_EQ(session.ExecuteOnNewStatement(text, 16), 0);
  EXPECT_EQ(fake_odbc::ExecutedTexts().back(), "UPDATE T SET A=1");
  EXPECT_EQ(fake_odbc::ExecutedLengths().back(), 16);

  TheScript().execDirect = SQL_NO_DATA;
  EXPECT_EQ(session.ExecuteOnNewStatement(text, 16), 1);

  TheScript().execDirect = SQL_ERROR;
  TheScript().diagnostics = {{"HY000", 1, "boom"}};
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.ExecuteOnNewStatement(text, 16), 1);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(Contains(out, "Failed to execute a sql statement, -1. (OSql-213)")) << out;
  EXPECT_TRUE(Contains(out, "Diag:1, SQLSTATE:HY000, NativeError:1, ErrMsg:boom\r\n. (OSql-217)")) << out;
  // Only the trace shows these records; nothing else reaches the console.
  EXPECT_EQ(out.find("SQL Error Message", out.find("OSql-217")), std::string::npos) << out;
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_STMT), 3);

  TheScript().allocStmt = SQL_ERROR;
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.ExecuteOnNewStatement(text, 16), -1);
  EXPECT_TRUE(Contains(testing::internal::GetCapturedStdout(), "Fail to Alloc STMT handle. (OSql-194)"));
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_STMT), 3);
}

TEST_F(OsqlSeamTest, BindFailureKeepsTheColumnCount) {
  ASSERT_EQ(session.Connect("Dsn", "", ""), 1);
  TheScript().resultColumns = 5;
  TheScript().bindCol = SQL_ERROR;
  TheScript().failBindAtColumn = 3;
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.BindAllColumns(), 0);
  EXPECT_TRUE(Contains(testing::internal::GetCapturedStdout(), "Failed to bind column 2. (OSql-289)"));
  EXPECT_EQ(session.columnCount, 5);

  TheScript().resultColumns = 0;
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.BindAllColumns(), 0);
  EXPECT_TRUE(Contains(testing::internal::GetCapturedStdout(), "No column is selected. (OSql-277)"));
  EXPECT_EQ(session.columnCount, 0);
}

TEST_F(OsqlSeamTest, QueryTextClosesTheCursorOnEveryFailure) {
  ASSERT_EQ(session.Connect("Dsn", "", ""), 1);
  char out[32] = {};
  TheScript().bindCol = SQL_ERROR;
  EXPECT_EQ(session.QueryText("SELECT 1", out), 0);
  EXPECT_EQ(CountCalls("SQLCloseCursor"), 1);

  TheScript().bindCol = SQL_SUCCESS;
  TheScript().rows = 1;
  TheScript().rowResult = SQL_SUCCESS_WITH_INFO;  // a cut value is not taken
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.QueryText("SELECT 1", out), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(CountCalls("SQLCloseCursor"), 2);

  TheScript().rowResult = SQL_SUCCESS;
  TheScript().rowText = {"20140411"};
  EXPECT_EQ(session.QueryText("SELECT 1", out), 1);
  EXPECT_STREQ(out, "20140411");
  EXPECT_EQ(CountCalls("SQLCloseCursor"), 3);
}

TEST_F(OsqlSeamTest, QueryMinutesKeepsTheLastRow) {
  ASSERT_EQ(session.Connect("Dsn", "", ""), 1);
  int64_t minutes = 0;
  TheScript().rows = 3;
  TheScript().rowLong = 600;
  EXPECT_EQ(session.QueryMinutes("SELECT 1", &minutes), 1);
  EXPECT_EQ(minutes, 10);
  TheScript().execDirect = SQL_ERROR;
  testing::internal::CaptureStdout();
  EXPECT_EQ(session.QueryMinutes("SELECT 1", &minutes), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(minutes, 0);
}

}  // namespace
