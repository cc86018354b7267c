// The peak checks and the options command as a user drives them: words on
// standard input, exact output, the zone and the clock pinned.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "support/backend.h"
#include "support/tool_runner.h"

namespace {

constexpr char kLogger[] = "Internal Logger Database";
constexpr int kFeb8 = 1770508800;  // 2026-02-08 00:00:00 UTC
constexpr int kFeb9 = 1770595200;

struct CdrRow {
  int start, end, session;
  const char* caller;
  const char* target;
  int exitState, callerType, targetType;
  const char* localDay;
};

// The calls of 8 and 9 February 2026 (UTC) that most cases below use.
const std::vector<CdrRow> kTwoDays = {
    {kFeb8 + 100, kFeb8 + 200, 16, "102", "9001", 8, 2, 8, "20260208"},
    {kFeb9 + 3600, kFeb9 + 7200, 11, "100", "5551234", 37, 1, 7, "20260209"},
    {kFeb9 + 3650, kFeb9 + 5000, 14, "100", "101", 12, 1, 2, "20260209"},
    {kFeb9 + 3700, kFeb9 + 7300, 12, "5550001", "5550002", 38, 7, 8, "20260209"},
    {kFeb9 + 3800, kFeb9 + 7400, 13, "5550003", "6001", 8, 7, 9, "20260209"},
    {kFeb9 + 3900, kFeb9 + 4000, 15, "6002", "6003", -1, 9, 9, "20260209"},
};

// What the console prints for a run whose commands printed `outputs`, one
// per word before the final q.
std::string Expected(std::initializer_list<std::string> outputs) {
  std::string text = StartupText() + kPromptText;
  for (const std::string& output : outputs) text += output + kPromptText;
  return text;
}

std::string Checked(int records) {
  return "Checked " + std::to_string(records) + " records, elapsed time 0.000 seconds\n";
}

std::string CheckedCalls(int calls) {
  return "Checked " + std::to_string(calls) + " calls, elapsed time 0.000 seconds\n";
}

class PeakConsoleTest : public LoggerDatabaseTest {
 protected:
  void Insert(const std::vector<CdrRow>& rows) {
    std::string sql =
        "INSERT INTO CDRMAIN (StartTime, EndTime, SessionID, CallerNum, TargetNum, ExitState, CallerType, "
        "TargetType, LocalDay) VALUES ";
    for (size_t i = 0; i < rows.size(); ++i) {
      const CdrRow& r = rows[i];
      sql += (i > 0 ? "," : "") + std::string("(") + std::to_string(r.start) + "," + std::to_string(r.end) + "," +
             std::to_string(r.session) + ",'" + r.caller + "','" + r.target + "'," + std::to_string(r.exitState) +
             "," + std::to_string(r.callerType) + "," + std::to_string(r.targetType) + ",'" + r.localDay + "')";
    }
    Exec(kLogger, sql);
  }
  // `count` trunk calls of 10 minutes from `start`, on local day `localDay`.
  void InsertPeak(int start, int count, const char* localDay) {
    std::vector<CdrRow> rows;
    for (int i = 0; i < count; ++i) rows.push_back({start, start + 600, 100 + i, "1", "2", 8, 1, 7, localDay});
    Insert(rows);
  }
  ToolRun Run(const std::string& input, const std::string& clock = "2026-02-10 12:00:00",
              const std::string& zone = "UTC") {
    ToolOptions options;
    options.frozenClock = clock;
    options.timeZone = zone;
    return RunTool(input, options);
  }
};

TEST_P(PeakConsoleTest, RangeChecksPrintTheCallsAtTheViewTimeAndTheBusiestDays) {
  Insert(kTwoDays);
  ToolRun run = Run("o,1,2,9,2026,1,10 t T e o,2,0 t T e q");
  EXPECT_EQ(run.status, 0);
  const std::string c1 = "session 11, caller 100, callee 5551234, exit EXCHANGE_DIVERSION";
  const std::string c2 = "session 12, caller 5550001, callee 5550002, exit Unknown";
  const std::string c3 = "session 13, caller 5550003, callee 6001, exit CONNECT";
  const std::string c4 = "session 14, caller 100, callee 101, exit XFER";
  const std::string trunkRows = "01, " + c1 + "\n02, " + c2 + "\n03, " + c3 + "\n";
  EXPECT_EQ(run.out,
            Expected({
                "View record time is 02/09/2026 01:10:00 = 1770599400\n",
                // t: trunk-to-trunk calls, the SIP tie ones included, count twice.
                "Checking trunk records from 02/2026 to 02/2026...\n\n" + trunkRows + "01, " + c2 +
                    ", Trk2Trk\n02, " + c3 + ", Trk2Trk\nPeak trunk calls\n\t 1: 7 calls at 2026/02/09 01:05:00\n" +
                    Checked(8),
                // T: a call to a SIP tie line counts once, one between tie lines not at all.
                "Checking trunk records without SIP-TIE from 02/2026 to 02/2026...\n\n" + trunkRows + "01, " + c2 +
                    ", Trk2Trk\nPeak trunk calls without SIP-TIE\n\t 1: 4 calls at 2026/02/09 01:03:20\n" + Checked(5),
                "Checking extension records from 02/2026 to 02/2026...\n\n01, " + c1 + "\n02, " + c4 + "\n01, " + c4 +
                    ", Ext2Ext\nPeak extension calls\n\t 1: 3 calls at 2026/02/09 01:00:50\n" + Checked(4),
                "Count IPExt to IPExt 0\n",
                "Checking trunk records from 02/2026 to 02/2026...\n\n" + trunkRows +
                    "Peak trunk calls\n\t 1: 4 calls at 2026/02/09 01:05:00\n" + Checked(5),
                "Checking trunk records without SIP-TIE from 02/2026 to 02/2026...\n\n" + trunkRows +
                    "Peak trunk calls without SIP-TIE\n\t 1: 3 calls at 2026/02/09 01:03:20\n" + Checked(4),
                "Checking extension records from 02/2026 to 02/2026...\n\n01, " + c1 + "\n02, " + c4 +
                    "\nPeak extension calls\n\t 1: 2 calls at 2026/02/09 01:00:50\n" + Checked(3),
            }));
  EXPECT_EQ(run.err, "");  // no progress line when standard error is no terminal
}

TEST_P(PeakConsoleTest, DayChecksAndViewTimesFromTheList) {
  Insert(kTwoDays);
  ToolRun run = Run("d o,4,1 t o,4,1 o,4,2 o,4,0 o,4 d,2,9,2026 d d,2,8 d,2,9,26 d,13,5 q");
  EXPECT_EQ(run.status, 0);
  const std::string day9 =
      "01, session 11, caller 100, callee 5551234, exit EXCHANGE_DIVERSION\n"
      "02, session 12, caller 5550001, callee 5550002, exit Unknown\n"
      "03, session 13, caller 5550003, callee 6001, exit CONNECT\n"
      "04, session 15, caller 6002, callee 6003, exit Unknown\n"
      "01, session 12, caller 5550001, callee 5550002, exit Unknown, Trk2Trk\n"
      "02, session 13, caller 5550003, callee 6001, exit CONNECT, Trk2Trk\n"
      "03, session 15, caller 6002, callee 6003, exit Unknown, Trk2Trk\n"
      "Peak trunk calls\n\t 1: 7 calls at 2026/02/09 01:05:00\n" +
      CheckedCalls(7);
  EXPECT_EQ(run.out,
            Expected({
                // Straight after start-up no mode is chosen: nothing runs.
                "Check peak calls at 02/10/2026\n" + CheckedCalls(0),
                "Invalid index\n",
                "Checking trunk records from 02/2026 to 02/2026...\n\n"
                "Peak trunk calls\n\t 1: 7 calls at 2026/02/09 01:05:00\n" +
                    Checked(8),
                "View record for calls at 2026/02/09 01:05:00 = 1770599100\n",
                "Invalid index\n",
                "Invalid index\n",
                "Invalid index\n",
                "Check peak calls at 02/09/2026\n" + day9,
                "Check peak calls at 02/10/2026\n" + CheckedCalls(0),
                "Check peak calls at 02/08/2026\n" + CheckedCalls(1),
                "Check peak calls at 02/09/0026\n" + day9,
                "Check peak calls at 13/05/2026\n" + CheckedCalls(0),
            }));
  // Only the first d came before a range check, and only it says why it
  // found nothing.
  EXPECT_EQ(run.err, "d checks the calls of the last e, t or T; run one of them first\n");
}

TEST_P(PeakConsoleTest, RecordRangeMessages) {
  // No records: both record days read as empty text, which is 1 January 2000.
  EXPECT_EQ(Run("t q").out, Expected({"Invalid date range, 946684800 - 946684800\n" + Checked(0)}));
  // All records on one day: a range of that day.
  InsertPeak(kFeb9 + 60, 2, "20260209");
  EXPECT_EQ(Run("e q").out, Expected({"Checking extension records from 02/2026 to 02/2026...\n\n"
                                      "Peak extension calls\n\t 1: 2 calls at 2026/02/09 00:01:00\n" +
                                      Checked(2)}));
  // No table at all: the driver's diagnostics, then the message.
  Exec(kLogger, "DROP TABLE CDRMAIN");
  std::string out = Run("T q").out;
  std::string tail = "Failed to get records time range\n" + Checked(0) + kPromptText;
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
  EXPECT_EQ(out.find(StartupText() + kPromptText + "SQL Error Message: Diag:1, SQLSTATE:"), 0u) << out;
}

TEST_P(PeakConsoleTest, DaysAndMonthsAfterTodayAreNotChecked) {
  InsertPeak(kFeb9 + 60, 2, "20260209");
  InsertPeak(kFeb9 + 2 * 86400 + 60, 5, "20260211");
  InsertPeak(1772668800 + 60, 6, "20260305");  // 5 March 2026
  // A last record day after today counts as today.
  EXPECT_EQ(Run("t q").out, Expected({"Checking trunk records from 02/2026 to 02/2026...\n\n"
                                      "Peak trunk calls\n\t 1: 2 calls at 2026/02/09 00:01:00\n" +
                                      Checked(2)}));
}

TEST_P(PeakConsoleTest, ARecordDayFarAfterTodayDoesNotMoveTheRange) {
  InsertPeak(kFeb9 + 60, 3, "20260209");
  InsertPeak(kFeb8 + 60, 1, "20271231");  // a row the phone system dated wrong
  EXPECT_EQ(Run("t q").out, Expected({"Checking trunk records from 02/2026 to 02/2026...\n\n"
                                      "Peak trunk calls\n\t 1: 3 calls at 2026/02/09 00:01:00\n" +
                                      Checked(4)}));
}

TEST_P(PeakConsoleTest, RecordDaysOfADateColumnAreReadAndNoDateFailsTheRange) {
  Exec(kLogger, "DROP TABLE CDRMAIN");
  Exec(kLogger, "CREATE TABLE CDRMAIN (StartTime INTEGER, EndTime INTEGER, SessionID INTEGER, CallerNum VARCHAR(64), "
                "TargetNum VARCHAR(64), ExitState INTEGER, CallerType INTEGER, TargetType INTEGER, LocalDay DATE)");
  InsertPeak(kFeb8 + 60, 2, "2026-02-08");
  InsertPeak(kFeb9 + 60, 3, "2026-02-09");
  EXPECT_EQ(Run("t q").out, Expected({"Checking trunk records from 02/2026 to 02/2026...\n\n"
                                      "Peak trunk calls\n\t 1: 3 calls at 2026/02/09 00:01:00\n"
                                      "\t 2: 2 calls at 2026/02/08 00:01:00\n" +
                                      Checked(5)}));
  Exec(kLogger, "DROP TABLE CDRMAIN");
  Exec(kLogger, "CREATE TABLE CDRMAIN (StartTime INTEGER, EndTime INTEGER, SessionID INTEGER, CallerNum VARCHAR(64), "
                "TargetNum VARCHAR(64), ExitState INTEGER, CallerType INTEGER, TargetType INTEGER, LocalDay VARCHAR(8))");
  InsertPeak(kFeb9 + 60, 3, "20260209");
  InsertPeak(kFeb8 + 60, 1, "20260230");
  EXPECT_EQ(Run("t q").out, Expected({"Failed to get records time range\n" + Checked(0)}));
}

TEST_P(PeakConsoleTest, TheRangeKeepsTheLast395DaysFromTheFirstOfTheirMonth) {
  InsertPeak(1262649600 + 60, 9, "20100105");   // far before the range
  InsertPeak(1354233600 + 60, 5, "20121130");   // the month before the range
  InsertPeak(1354320000 + 60, 3, "20121201");   // range starts 21 Dec, its month from day 1
  InsertPeak(1390176000 + 120, 2, "20140120");  // the last record day
  EXPECT_EQ(Run("t q", "2014-02-10 12:00:00").out,
            Expected({"Checking trunk records from 12/2012 to 01/2014...\n\n"
                      "Peak trunk calls\n"
                      "\t 1: 3 calls at 2012/12/01 00:01:00\n"
                      "\t 2: 2 calls at 2014/01/20 00:02:00\n" +
                      Checked(5)}));
}

TEST_P(PeakConsoleTest, TheCapCountsCalendarDaysAcrossAClockChange) {
  // New York: 31 March 2014 is summer time, 1 March 2013 winter time. 395
  // days back from the last day is 1 March 2013, whose February stays out.
  InsertPeak(1361336400 + 60, 6, "20130220");  // 20 Feb 2013 00:01 EST
  InsertPeak(1362114000 + 60, 3, "20130301");  // 1 Mar 2013 00:01 EST
  InsertPeak(1396238400 + 60, 2, "20140331");  // 31 Mar 2014 00:01 EDT
  EXPECT_EQ(Run("t q", "2014-04-05 12:00:00", "America/New_York").out,
            Expected({"Checking trunk records from 03/2013 to 03/2014...\n\n"
                      "Peak trunk calls\n"
                      "\t 1: 3 calls at 2013/03/01 00:01:00\n"
                      "\t 2: 2 calls at 2014/03/31 00:01:00\n" +
                      Checked(5)}));
}

TEST_P(PeakConsoleTest, YearsBefore2000AreRefusedMonthByMonth) {
  InsertPeak(945216000 + 60, 4, "19991215");  // 15 Dec 1999
  InsertPeak(947894400 + 60, 2, "20000115");  // 15 Jan 2000
  EXPECT_EQ(Run("t q", "2000-02-01 12:00:00").out,
            Expected({"Checking trunk records from 12/1999 to 01/2000...\n\nInvalid year, 1999\n"
                      "Peak trunk calls\n\t 1: 2 calls at 2000/01/15 00:01:00\n" +
                      Checked(2)}));
}

TEST_P(PeakConsoleTest, LeapDaysAreChecked) {
  InsertPeak(1707955200 + 60, 2, "20240215");
  InsertPeak(1709164800 + 60, 4, "20240229");
  InsertPeak(1709251200 + 60, 3, "20240301");
  EXPECT_EQ(Run("T q", "2024-03-10 12:00:00").out,
            Expected({"Checking trunk records without SIP-TIE from 02/2024 to 03/2024...\n\n"
                      "Peak trunk calls without SIP-TIE\n"
                      "\t 1: 4 calls at 2024/02/29 00:01:00\n"
                      "\t 2: 3 calls at 2024/03/01 00:01:00\n"
                      "\t 3: 2 calls at 2024/02/15 00:01:00\n" +
                      Checked(9)}));
}

TEST_P(PeakConsoleTest, OptionsInAllTheirForms) {
  Insert(kTwoDays);
  const std::string fortyChars = "A_Data_Source_Name_Of_Forty_Characters__";
  ToolRun run = Run("o o,0 o,9 o,-1 o,x o,1 o,1,4,11,2014,13,5,20 o,1,4,11,2014,25 o,1,4,12,2014,1 o,1,13,1,2014 "
                    "o,1,2,9,2026,0,-1 o,2 o,2,3 o,3,My_Dsn o,3 o,3," +
                    fortyChars + " o,4 t q");
  EXPECT_EQ(run.status, 0);
  const std::string help =
      "1: specify view record time, 2: count IPExt calls, 3: DSN, 4: view record time from peak calls\n";
  EXPECT_EQ(run.out,
            Expected({
                help,
                help,
                "",
                "",
                help,
                "View record time is 02/10/2026 00:00:00 = 1770681600\n",
                "View record time is 04/11/2014 13:05:20 = 1397221520\n",
                "View record time is 04/11/2014 25:00:00 = 1397264400\n",
                "View record time is 04/12/2014 01:00:00 = 1397264400\n",
                "View record time is 13/01/2014 00:00:00 = 1388534400\n",
                "View record time is 02/09/2026 00:-1:00 = 1770595140\n",
                "Count IPExt to IPExt 0\n",
                "Count IPExt to IPExt 3\n",
                "DSN Internal Logger Database\nDSN is changed to My Dsn\n",
                "DSN My Dsn\nNo DSN is specified\n",
                "DSN My Dsn\nDSN is changed to A Data Source Name Of Forty Cha\n",
                "Invalid index\n",
                // The checker's session stays on the source it was opened on.
                "Checking trunk records from 02/2026 to 02/2026...\n\n"
                "Peak trunk calls\n\t 1: 7 calls at 2026/02/09 01:05:00\n" +
                    Checked(8),
            }));
}

TEST_P(PeakConsoleTest, TypedViewTimesUseTheOffsetOfTheirOwnDate) {
  // The clock stands in winter; a summer date still means its own summer time.
  ToolRun run = Run("o,1,7,1,2026,12 o,1,1,15,2026 o,1 q", "2026-02-10 12:00:00", "America/New_York");
  EXPECT_EQ(run.out, Expected({
                         "View record time is 07/01/2026 12:00:00 = 1782921600\n",
                         "View record time is 01/15/2026 00:00:00 = 1768453200\n",
                         "View record time is 02/10/2026 00:00:00 = 1770699600\n",
                     }));
}

INSTANTIATE_BACKENDS(PeakConsoleTest);

// Without a database the checks report their failures and go on.
class PeakWithoutDatabaseTest : public BackendTest {};

TEST_P(PeakWithoutDatabaseTest, ChecksOnAClosedSessionReportAndGoOn) {
  AddUnreachableDataSource(kLogger);
  ToolRun run = RunTool("t d,2,9,2026 o,4,1 q");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "====== Nortesk Extension/Trunk Projection Tool ======\n"
                     "Failed to open database Internal Logger Database\n" +
                         MenuText() + kPromptText + "Failed to get records time range\n" + Checked(0) + kPromptText +
                         "Check peak calls at 02/09/2026\n" + CheckedCalls(0) + kPromptText + "Invalid index\n" +
                         kPromptText);
}

INSTANTIATE_BACKENDS(PeakWithoutDatabaseTest);


}  // namespace
