// The sample loader (y): the record it inserts, where it goes, and the
// sample data file beside the program, on every backend.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "analysis/call_peak.h"
#include "settings/settings.h"
#include "loader/load_sample_cdr.h"
#include "loader/sample_cdr_sql.h"
#include "support/backend.h"
#include "support/tool_runner.h"

namespace {

namespace fs = std::filesystem;

constexpr char kLogger[] = "Internal Logger Database";

// The record as the database gives it back, column by column.
const std::vector<std::pair<const char*, const char*>> kSampleRecord = {
    {"EndTime", "1397230109"}, {"SessionID", "1396986210"}, {"ConfSessionID", "0"},
    {"TrunkCall", "2"},        {"OutGoingWG", "0"},         {"HoldDuration", "0"},
    {"AbnTargetType", "0"},    {"CallerSiteNodeId", "0"},   {"EndSKLR", "0"},
    {"CallerDepart", ""},      {"TargetTenant", ""},        {"TargetWGNum", "7800"},
    {"DNIS", "5550100101"},    {"CallerType", "7"},         {"CallerPad", "030721"},
    {"TargetPad", "030147"},   {"AccountCode", ""},         {"AADuration", "27"},
    {"AnswerWithinSLT", "1"},  {"ExitState", "8"},          {"StartPriority", "5"},
    {"TargetType", "2"},       {"CalleeSiteNodeId", "24"},  {"DayOfWeek", "5"},
    {"SequenceID", "1"},       {"CallerName", "Caller,Sample"}, {"MMCallType", "0"},
    {"AdvQAppType", "0"},      {"IVRData", ""},             {"StartTime", "1397229474"},
    {"TargetName", "Target Sample"}, {"CallerNum", "5550100202"}, {"CallerProject", "0"},
    {"TargetNum", "7856"},     {"TargetProject", "0"},      {"UserData", "DDR"},
    {"LocalDay", kNullText},   {"Direction", kNullText},
};

TEST(SampleCdrSql, DoubleQuotesAndMixedCaseGiveTheClassicStatement) {
  EXPECT_EQ(SampleCdrSql("\"", SQL_IC_SENSITIVE),
            "INSERT INTO CDRMAIN ("
            "\"EndTime\",\"SessionID\",\"ConfSessionID\",\"TrunkCall\",\"OutGoingWG\",\"HoldDuration\","
            "\"AbnTargetType\",\"CallerSiteNodeId\",\"EndSKLR\",\"CallerDepart\",\"TargetTenant\",\"TargetWGNum\","
            "\"DNIS\",\"CallerType\",\"CallerPad\",\"TargetPad\",\"AccountCode\",\"AADuration\","
            "\"AnswerWithinSLT\",\"ExitState\",\"StartPriority\",\"TargetType\",\"CalleeSiteNodeId\",\"DayOfWeek\","
            "\"SequenceID\",\"CallerName\",\"MMCallType\",\"AdvQAppType\",\"IVRData\",\"StartTime\","
            "\"TargetName\",\"CallerNum\",\"CallerProject\",\"TargetNum\",\"TargetProject\",\"UserData\""
            ") VALUES ("
            "1397230109,1396986210,0,2,0,0,0,0,0,'','',7800,'5550100101',7,'030721','030147','',27,"
            "1,8,5,2,24,5,1,'Caller,Sample',0,0,'',1397229474,'Target Sample','5550100202',0,'7856',0,'DDR')");
}

TEST(SampleCdrSql, NamesFollowTheDatabasesQuoteAndCase) {
  EXPECT_EQ(SampleCdrSql("`", SQL_IC_MIXED).rfind("INSERT INTO CDRMAIN (`EndTime`,`SessionID`,", 0), 0u);
  EXPECT_EQ(SampleCdrSql("\"", SQL_IC_LOWER).rfind("INSERT INTO CDRMAIN (\"endtime\",\"sessionid\",", 0), 0u);
  EXPECT_EQ(SampleCdrSql(" ", SQL_IC_UPPER).rfind("INSERT INTO CDRMAIN (ENDTIME,SESSIONID,", 0), 0u);
  // Values are data, not names: they keep their case.
  EXPECT_NE(SampleCdrSql("\"", SQL_IC_UPPER).find("'Caller,Sample'"), std::string::npos);
}

class SampleLoaderTest : public LoggerDatabaseTest {
 protected:
  // A copy of the program in a folder of its own, so that the sample data
  // file beside it is this test's.
  std::string ProgramIn(const std::string& folder) {
    fs::create_directories(folder);
    std::string program = folder + "/nortesk-etp";
    fs::copy_file(NORTESK_ETP_PATH, program, fs::copy_options::overwrite_existing);
    fs::permissions(program, fs::perms::owner_all);
    return program;
  }

  ToolRun RunProgram(const std::string& program, const std::string& input) {
    ToolOptions options;
    options.program = program;
    return RunTool(input, options);
  }

  std::string RowCount(const std::string& dsn) { return Query(dsn, "SELECT count(*) FROM CDRMAIN")[0][0]; }

  std::string SampleColumns() {
    std::string list;
    for (const auto& [column, value] : kSampleRecord) list += (list.empty() ? "" : ", ") + std::string(column);
    return list;
  }

  // The insert went in whole, silently.
  void ExpectInserted(const std::string& printed) {
    EXPECT_EQ(printed, "");
    std::vector<Row> rows = Query(kLogger, "SELECT " + SampleColumns() + " FROM CDRMAIN");
    ASSERT_EQ(rows.size(), 1u);
    for (size_t i = 0; i < kSampleRecord.size(); ++i) {
      EXPECT_EQ(rows[0][i], kSampleRecord[i].second) << kSampleRecord[i].first;
    }
  }
};

TEST_P(SampleLoaderTest, LongSampleFileLoadsTheFixedRecord) {
  std::string folder = ScratchDir() + "/long-file";
  std::string program = ProgramIn(folder);
  std::ofstream(folder + "/CdrMain.txt", std::ios::binary) << std::string(10000, 'x');
  ToolRun run = RunProgram(program, "y\n?\nq\n");
  EXPECT_EQ(run.status, 0);
  std::string head = StartupText() + kPromptText, tail = kPromptText + MenuText() + kPromptText;
  ASSERT_GE(run.out.size(), head.size() + tail.size()) << run.out;
  EXPECT_EQ(run.out.substr(0, head.size()), head);
  EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail);  // the tool goes on
  ExpectInserted(run.out.substr(head.size(), run.out.size() - head.size() - tail.size()));
}

TEST_P(SampleLoaderTest, MissingOrEmptySampleFileLoadsNothing) {
  std::string folder = ScratchDir() + "/no-file";
  std::string program = ProgramIn(folder);
  std::string expected = StartupText() + kPromptText + "Failed to load SQL data\n" + kPromptText;
  ToolRun missing = RunProgram(program, "y\nq\n");
  EXPECT_EQ(missing.status, 0);
  EXPECT_EQ(missing.out, expected);
  std::ofstream(folder + "/CdrMain.txt", std::ios::binary).close();
  ToolRun empty = RunProgram(program, "y\nq\n");
  EXPECT_EQ(empty.out, expected);
  EXPECT_EQ(RowCount(kLogger), "0");
}

// Needs the options command (o,3).
TEST_P(SampleLoaderTest, WritesToTheLoggerWhateverSourceIsInForce) {
  AddUnreachableDataSource("Other Dsn");
  std::string folder = ScratchDir() + "/other-source";
  std::string program = ProgramIn(folder);
  std::ofstream(folder + "/CdrMain.txt") << "not SQL at all";
  ToolRun run = RunProgram(program, "o,3,Other_Dsn\ny\nq\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.find("Failed to connect with CDR"), std::string::npos) << run.out;
  // What y printed lies between the last two prompts.
  const size_t prompt = sizeof kPromptText - 1;
  ASSERT_GT(run.out.size(), 2 * prompt);
  size_t last = run.out.size() - prompt;
  size_t before = run.out.rfind(kPromptText, last - 1);
  ASSERT_NE(before, std::string::npos);
  ExpectInserted(run.out.substr(before + prompt, last - before - prompt));
}

TEST_P(SampleLoaderTest, LeavesThePeakCheckerSessionAsItWas) {
  // The program lives in a folder whose path is longer than any fixed
  // buffer of the past; the peak checker is open on the logger and DsnName
  // names a source that does not open.
  std::string folder = ScratchDir() + "/" + std::string(100, 'a') + "/" + std::string(100, 'b') + "/" +
                       std::string(100, 'c');
  fs::create_directories(folder);
  std::ofstream(folder + "/CdrMain.txt") << "x";
  ExeDirectory = folder + "/";
  AddUnreachableDataSource("Other Dsn");
  SetDsnName(kLogger);
  ASSERT_EQ(CallPeak.OpenDatabase(), 1);
  SetDsnName("Other Dsn");
  SQLHENV environment = CallPeak.Session.environmentHandle;
  SQLHDBC connection = CallPeak.Session.connectionHandle;
  SQLHSTMT statement = CallPeak.Session.statementHandle;

  testing::internal::CaptureStdout();
  LoadSampleCdr();
  std::string printed = testing::internal::GetCapturedStdout();

  EXPECT_EQ(CallPeak.Session.environmentHandle, environment);
  EXPECT_EQ(CallPeak.Session.connectionHandle, connection);
  EXPECT_EQ(CallPeak.Session.statementHandle, statement);
  EXPECT_EQ(CallPeak.Session.connectStage, 2);
  char count[32] = {};
  EXPECT_EQ(CallPeak.Session.QueryText("SELECT count(*) FROM CDRMAIN", count), 1);
  EXPECT_STREQ(count, "1");
  CallPeak.CloseDatabase();
  ExpectInserted(printed);
  ExeDirectory.clear();
}

TEST_P(SampleLoaderTest, WithoutAProgramDirectoryTheWorkingDirectoryServes) {
  std::string folder = ScratchDir() + "/working";
  fs::create_directories(folder);
  std::ofstream(folder + "/CdrMain.txt") << "x";
  fs::path previous = fs::current_path();
  fs::current_path(folder);
  ExeDirectory.clear();
  testing::internal::CaptureStdout();
  LoadSampleCdr();
  std::string printed = testing::internal::GetCapturedStdout();
  fs::current_path(previous);
  ExpectInserted(printed);
}

INSTANTIATE_BACKENDS(SampleLoaderTest);

TEST(SampleLoaderWithoutLogger, ConnectFailureIsReported) {
  std::string folder = ::testing::TempDir() + "nortesk-no-logger-" + std::to_string(getpid());
  fs::create_directories(folder);
  std::string program = folder + "/nortesk-etp";
  fs::copy_file(NORTESK_ETP_PATH, program, fs::copy_options::overwrite_existing);
  std::ofstream(folder + "/CdrMain.txt") << "x";
  std::ofstream(folder + "/odbc.ini").close();  // no data source at all
  ToolOptions options;
  options.program = program;
  options.environment = {"ODBCINI=" + folder + "/odbc.ini"};
  ToolRun run = RunTool("y\nq\n", options);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "====== Nortesk Extension/Trunk Projection Tool ======\n"
                     "Failed to open database Internal Logger Database\n" +
                         MenuText() + kPromptText + "Failed to connect with CDR\n" + kPromptText);
  fs::remove_all(folder);
}

}  // namespace
