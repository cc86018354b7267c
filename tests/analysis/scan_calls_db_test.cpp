// ScanCalls against the real drivers: the same cases on every backend.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "analysis/record_processor.h"
#include "analysis/scan_calls.h"
#include "settings/settings.h"
#include "db/osql.h"
#include "support/backend.h"

namespace {

constexpr char kDsn[] = "Scan Test";
constexpr char kSelect[] =
    "select StartTime,EndTime,SessionID,CallerNum,TargetNum,ExitState from CDRMAIN order by SessionID";

// Records every call it is handed and selects the ones its rule says.
class Recorder : public CRecordProcessor {
 public:
  explicit Recorder(bool selectAll) : selectAll_(selectAll) {}
  int32_t OnCall(int32_t startTime, int32_t endTime) override {
    calls.emplace_back(startTime, endTime);
    return selectAll_ ? 1 : 0;
  }
  std::vector<std::pair<int32_t, int32_t>> calls;

 private:
  bool selectAll_;
};

class ScanCallsTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    AddDataSource(kDsn);
    CreateCdrTable(kDsn);
    ASSERT_EQ(session.Connect(kDsn, "", ""), 1);
  }
  void TearDown() override {
    session.Disconnect();
    BackendTest::TearDown();
  }
  // Runs the scan and returns what it printed.
  std::string Scan(const char* sql, CRecordProcessor* processor, int* result, uint32_t passFlag = 0) {
    testing::internal::CaptureStdout();
    *result = ScanCalls(session, sql, processor, CallColumns::kDetails, passFlag);
    return testing::internal::GetCapturedStdout();
  }
  void InsertRows(int count) {
    std::string sql = "INSERT INTO CDRMAIN (StartTime, EndTime, SessionID, CallerNum, TargetNum, ExitState) VALUES ";
    for (int i = 1; i <= count; ++i) {
      sql += (i > 1 ? "," : "") + std::string("(") + std::to_string(1000 + i) + "," + std::to_string(2000 + i) +
             "," + std::to_string(i) + ",'c" + std::to_string(i) + "','t" + std::to_string(i) + "',8)";
    }
    Exec(kDsn, sql);
  }
  static Call MakeCall(int startTime, int endTime, int sessionId = 1, int exitState = 8,
                       const std::string& callerNum = "100") {
    Call call;
    call.startTime = startTime;
    call.endTime = endTime;
    call.sessionId = sessionId;
    call.exitState = exitState;
    call.callerNum = callerNum;
    return call;
  }
  OSql session;
};

TEST_P(ScanCallsTest, EveryRowReachesTheProcessorAndSelectedRowsPrint) {
  InsertCall(kDsn, MakeCall(100, 200, 1, 37));
  InsertCall(kDsn, MakeCall(300, 400, 2, 38));
  InsertCall(kDsn, MakeCall(500, 600, 3, -1));
  InsertCall(kDsn, MakeCall(700, 800, 4, 255));
  Recorder all(true);
  int result = 0;
  EXPECT_EQ(Scan(kSelect, &all, &result),
            "01, session 1, caller 100, callee 200, exit EXCHANGE_DIVERSION\n"
            "02, session 2, caller 100, callee 200, exit Unknown\n"
            "03, session 3, caller 100, callee 200, exit Unknown\n"
            "04, session 4, caller 100, callee 200, exit Unknown\n");
  EXPECT_EQ(result, 1);
  std::vector<std::pair<int32_t, int32_t>> expected{{100, 200}, {300, 400}, {500, 600}, {700, 800}};
  EXPECT_EQ(all.calls, expected);

  Recorder none(false);
  EXPECT_EQ(Scan(kSelect, &none, &result), "");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(none.calls.size(), 4u);
}

TEST_P(ScanCallsTest, ThePassFlagsLabelTheLines) {
  InsertCall(kDsn, MakeCall(100, 200, 7, 12));
  Recorder all(true);
  int result = 0;
  EXPECT_EQ(Scan(kSelect, &all, &result, kPassExtToExt), "01, session 7, caller 100, callee 200, exit XFER, Ext2Ext\n");
  EXPECT_EQ(Scan(kSelect, &all, &result, kPassTrunkToTrunk | kPassExtToExt),
            "01, session 7, caller 100, callee 200, exit XFER, Trk2Trk\n");
}

TEST_P(ScanCallsTest, NoRowsNoProcessorOrAFailedSelectGiveZero) {
  Recorder all(true);
  int result = 1;
  EXPECT_EQ(Scan(kSelect, &all, &result), "");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Scan(kSelect, nullptr, &result), "No call back processor specified\n");
  EXPECT_EQ(result, 0);
  std::string printed = Scan("select StartTime from NoSuchTable", &all, &result);
  EXPECT_EQ(result, 0);
  EXPECT_NE(printed.find("SQL Error Message: Diag:1, SQLSTATE:"), std::string::npos) << printed;
  EXPECT_TRUE(all.calls.empty());
  // The session is idle again: the next statement runs.
  InsertCall(kDsn, MakeCall(1, 5));
  EXPECT_EQ(Scan(kSelect, &all, &result), "01, session 1, caller 100, callee 200, exit CONNECT\n");
  EXPECT_EQ(result, 1);
}

TEST_P(ScanCallsTest, LinesAreNumberedPerScanWithTwoDigitsAtLeast) {
  InsertRows(100);
  Recorder all(true);
  int result = 0;
  std::string printed = Scan(kSelect, &all, &result);
  EXPECT_EQ(printed.rfind("01, session 1, caller c1, callee t1, exit CONNECT\n", 0), 0u);
  EXPECT_NE(printed.find("\n09, session 9, caller c9, callee t9, exit CONNECT\n"), std::string::npos);
  EXPECT_NE(printed.find("\n99, session 99, "), std::string::npos);
  EXPECT_NE(printed.find("\n100, session 100, caller c100, callee t100, exit CONNECT\n"), std::string::npos);
  EXPECT_EQ(all.calls.size(), 100u);
  // A second scan starts again at 01.
  EXPECT_EQ(Scan(kSelect, &all, &result).rfind("01, session 1, ", 0), 0u);
}

TEST_P(ScanCallsTest, LongNumbersAreCutAndNullsPrintAsEmptyOrZero) {
  const std::string longNumber = "123456789012345678901234567890123456789012345";  // 45 characters
  Exec(kDsn,
       "INSERT INTO CDRMAIN (StartTime, EndTime, SessionID, CallerNum, TargetNum, ExitState, Direction) VALUES "
       "(10, 20, 1, '" + longNumber + "', '200', 5, 1),"
       "(30, 40, 2, NULL, 'x2', NULL, 2),"
       "(50, 60, NULL, 'c3', NULL, 4, 3),"
       "(NULL, NULL, 4, 'c4', 't4', 8, 4)");
  Recorder all(true);
  int result = 0;
  // Whatever a driver leaves in the buffer of a NULL, no line shows another
  // call's values.
  EXPECT_EQ(Scan("select StartTime,EndTime,SessionID,CallerNum,TargetNum,ExitState from CDRMAIN order by Direction",
                 &all, &result),
            "01, session 1, caller " + longNumber.substr(0, 39) + ", callee 200, exit BUSY\n" +
                "02, session 2, caller , callee x2, exit Unknown\n" + "03, session 0, caller c3, callee , exit RNA\n" +
                "04, session 4, caller c4, callee t4, exit CONNECT\n");
  EXPECT_EQ(result, 1);
  std::vector<std::pair<int32_t, int32_t>> expected{{10, 20}, {30, 40}, {50, 60}, {0, 0}};
  EXPECT_EQ(all.calls, expected);
}

INSTANTIATE_BACKENDS(ScanCallsTest);

}  // namespace
