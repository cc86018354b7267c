// The sample loader against a scripted driver manager: what it asks of the
// driver on each path, and that it leaves no handle behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "settings/settings.h"
#include "loader/load_sample_cdr.h"
#include "loader/sample_cdr_sql.h"
#include "support/fake_odbc/fake_odbc.h"

namespace {

using fake_odbc::CountCalls;
using fake_odbc::TheScript;

class SampleLoaderSeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_odbc::Reset();
    folder = ::testing::TempDir() + "sample-seam-" + std::to_string(getpid()) + "/";
    std::string command = "mkdir -p '" + folder + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ofstream(folder + kSampleDataFile) << "sample";
    ExeDirectory = folder;
    SetDsnName("Another Source");
  }
  void TearDown() override {
    std::remove((folder + kSampleDataFile).c_str());
    rmdir(folder.c_str());
    ExeDirectory.clear();
  }
  std::string Run() {
    testing::internal::CaptureStdout();
    LoadSampleCdr();
    return testing::internal::GetCapturedStdout();
  }
  std::string folder;
};

TEST_F(SampleLoaderSeamTest, InsertsTheFixedRecordAndDisconnects) {
  EXPECT_EQ(Run(), "");
  ASSERT_EQ(fake_odbc::ExecutedTexts().size(), 1u);
  EXPECT_EQ(fake_odbc::ExecutedTexts()[0], SampleCdrSql("\"", SQL_IC_SENSITIVE));
  EXPECT_EQ(CountCalls("SQLDisconnect"), 1);
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_STMT), 1);
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_DBC), 1);
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_ENV), 1);
}

TEST_F(SampleLoaderSeamTest, NamesTheColumnsAsTheDriverSays) {
  TheScript().identifierQuote = "`";
  TheScript().identifierCase = SQL_IC_UPPER;
  EXPECT_EQ(Run(), "");
  ASSERT_EQ(fake_odbc::ExecutedTexts().size(), 1u);
  EXPECT_EQ(fake_odbc::ExecutedTexts()[0], SampleCdrSql("`", SQL_IC_UPPER));
}

TEST_F(SampleLoaderSeamTest, ADriverThatCannotTellGetsTheClassicStatement) {
  TheScript().getInfo = SQL_ERROR;
  TheScript().identifierQuote = "`";
  EXPECT_EQ(Run(), "");
  ASSERT_EQ(fake_odbc::ExecutedTexts().size(), 1u);
  EXPECT_EQ(fake_odbc::ExecutedTexts()[0], SampleCdrSql("\"", SQL_IC_SENSITIVE));
}

TEST_F(SampleLoaderSeamTest, RefusedInsertShowsOnlyTheDiagnosticsAndDisconnects) {
  TheScript().execDirect = SQL_ERROR;
  TheScript().diagnostics = {{"42703", 7, "column \"EndTime\" of relation \"cdrmain\" does not exist"}};
  EXPECT_EQ(Run(),
            "SQL Error Message: Diag:1, SQLSTATE:42703, NativeError:7, ErrMsg:column \"EndTime\" of relation "
            "\"cdrmain\" does not exist\r\n");
  EXPECT_EQ(CountCalls("SQLDisconnect"), 1);
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_ENV), 1);
}

TEST_F(SampleLoaderSeamTest, ConnectFailureIsReportedAndReleasesEverything) {
  TheScript().connect = SQL_ERROR;
  EXPECT_EQ(Run(), "Failed to connect with CDR\n");
  EXPECT_EQ(CountCalls("SQLExecDirect"), 0);
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_DBC), 1);
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_ENV), 1);
}

TEST_F(SampleLoaderSeamTest, WithoutTheSampleFileNoConnectionIsTried) {
  std::remove((folder + kSampleDataFile).c_str());
  EXPECT_EQ(Run(), "Failed to load SQL data\n");
  EXPECT_TRUE(fake_odbc::Calls().empty());
}

}  // namespace
