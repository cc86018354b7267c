// The trunk-minutes report (m, M) as a user runs it, on every backend, with
// the zone and the clock pinned.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/backend.h"
#include "support/tool_runner.h"
#include "timeutil/time_conversions.h"

namespace {

constexpr char kLogger[] = "Internal Logger Database";

int32_t Utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return DateToEpochUtc(year, month, day) + hour * 3600 + minute * 60 + second;
}

std::string Header(const char* variant, const char* first, const char* last) {
  return std::string("Checking trunk minutes ") + variant + "from " + first + " to " + last + "...\n\n";
}

std::string Line(const char* month, const char* inbound, const char* outbound, const char* total) {
  return std::string(month) + ": Trunk calls (minutes), inbound " + inbound + ", outbound " + outbound +
         ", total " + total + "\n";
}

class TrunkMinutesTest : public LoggerDatabaseTest {
 protected:
  void AddCall(int32_t start, int32_t seconds, int direction, int callerType = 7, int targetType = 2) {
    Call call;
    call.sessionId = ++sessions_;
    call.startTime = start;
    call.endTime = start + seconds;
    call.direction = direction;
    call.callerType = callerType;
    call.targetType = targetType;
    InsertCall(kLogger, call);
  }

  // What the commands print between the start-up text and the last prompt.
  std::string Report(const std::string& commands, const std::string& clock, const std::string& zone = "UTC") {
    ToolOptions options;
    options.frozenClock = clock;
    options.timeZone = zone;
    ToolRun run = RunTool(commands + "\nq\n", options);
    EXPECT_EQ(run.status, 0);
    std::string head = StartupText() + kPromptText;
    EXPECT_EQ(run.out.substr(0, head.size()), head) << run.out;
    if (run.out.size() < head.size() + sizeof kPromptText - 1) return run.out;
    return run.out.substr(head.size(), run.out.size() - head.size() - (sizeof kPromptText - 1));
  }

 private:
  int sessions_ = 0;
};

TEST_P(TrunkMinutesTest, FourMonthsOldestFirstAcrossTheYear) {
  EXPECT_EQ(Report("m", "2026-02-10 12:00:00"),
            Header("", "11/2025", "02/2026") + Line("2025/11", "0", "0", "0") + Line("2025/12", "0", "0", "0") +
                Line("2026/01", "0", "0", "0") + Line("2026/02", "0", "0", "0") + "\n");
  EXPECT_EQ(Report("M", "2026-01-31 23:59:59"),
            Header("without SIP-TIE ", "10/2025", "01/2026") + Line("2025/10", "0", "0", "0") +
                Line("2025/11", "0", "0", "0") + Line("2025/12", "0", "0", "0") + Line("2026/01", "0", "0", "0") +
                "\n");
}

TEST_P(TrunkMinutesTest, SumsWholeTrunkCallsPerDirection) {
  // November: 2,000,000 s inbound (33,333 min) and 90,000 s outbound.
  AddCall(Utc(2025, 11, 1), 1000000, 1);
  AddCall(Utc(2025, 11, 13), 1000000, 1, 2, 8);
  AddCall(Utc(2025, 11, 29), 90000, 2);
  // December: 59 s each way is 0 minutes each way and 0 in all; an extension
  // call and a call running into January count nowhere.
  AddCall(Utc(2025, 12, 5, 10), 59, 1);
  AddCall(Utc(2025, 12, 5, 11), 59, 2);
  AddCall(Utc(2025, 12, 6), 6000, 1, 1, 2);
  AddCall(Utc(2025, 12, 31, 23, 59), 120, 1);
  // January: a trunk to SIP tie line call stays in M, a call whose only
  // trunk end is a SIP tie line does not.
  AddCall(Utc(2026, 1, 1), 120, 1, 1, 7);
  AddCall(Utc(2026, 1, 9), 600, 2, 7, 9);
  AddCall(Utc(2026, 1, 10), 300, 2, 1, 9);
  // February: SIP tie line at both ends.
  AddCall(Utc(2026, 2, 10, 11), 1800, 1, 9, 9);

  EXPECT_EQ(Report("m\nM", "2026-02-10 12:00:00"),
            Header("", "11/2025", "02/2026") + Line("2025/11", "33,333", "1,500", "34,833") +
                Line("2025/12", "0", "0", "0") + Line("2026/01", "2", "15", "17") + Line("2026/02", "30", "0", "30") +
                "\n" + kPromptText + Header("without SIP-TIE ", "11/2025", "02/2026") +
                Line("2025/11", "33,333", "1,500", "34,833") + Line("2025/12", "0", "0", "0") +
                Line("2026/01", "2", "10", "12") + Line("2026/02", "0", "0", "0") + "\n");
}

TEST_P(TrunkMinutesTest, FebruaryOfALeapYearHasItsTwentyNinthDay) {
  AddCall(Utc(2028, 2, 29, 12), 600, 1);
  AddCall(Utc(2028, 2, 29, 23, 59), 120, 1);  // into March: in neither month
  AddCall(Utc(2028, 3, 1), 120, 1);
  EXPECT_EQ(Report("m", "2028-03-10 08:00:00"),
            Header("", "12/2027", "03/2028") + Line("2027/12", "0", "0", "0") + Line("2028/01", "0", "0", "0") +
                Line("2028/02", "10", "0", "10") + Line("2028/03", "2", "0", "2") + "\n");
}

TEST_P(TrunkMinutesTest, MonthsBeginAtLocalMidnightWithTheOffsetOfTheirDate) {
  // Berlin: UTC+1 in winter, UTC+2 from 29 March 2026; the run is in April.
  AddCall(Utc(2026, 2, 28, 22, 30), 60, 2);   // 28 Feb 23:30 local
  AddCall(Utc(2026, 2, 28, 23, 30), 120, 2);  // 1 Mar 00:30 local
  AddCall(Utc(2026, 3, 31, 21, 30), 180, 2);  // 31 Mar 23:30 local
  AddCall(Utc(2026, 3, 31, 22, 30), 240, 2);  // 1 Apr 00:30 local
  EXPECT_EQ(Report("m", "2026-04-15 12:00:00", "Europe/Berlin"),
            Header("", "01/2026", "04/2026") + Line("2026/01", "0", "0", "0") + Line("2026/02", "0", "1", "1") +
                Line("2026/03", "0", "5", "5") + Line("2026/04", "0", "4", "4") + "\n");
}

TEST_P(TrunkMinutesTest, ACallNeverClosedCountsInNoMonth) {
  Call unclosed;  // EndTime 0: the phone system never wrote the end
  unclosed.startTime = Utc(2026, 12, 1, 1);
  unclosed.endTime = 0;
  unclosed.callerType = 7;
  unclosed.direction = 1;
  InsertCall(kLogger, unclosed);
  AddCall(Utc(2026, 10, 20), 600, 1);
  EXPECT_EQ(Report("m", "2026-12-15 12:00:00"),
            Header("", "09/2026", "12/2026") + Line("2026/09", "0", "0", "0") + Line("2026/10", "10", "0", "10") +
                Line("2026/11", "0", "0", "0") + Line("2026/12", "0", "0", "0") + "\n");
}

TEST_P(TrunkMinutesTest, AMonthBeyondTwoToTheThirtyFirstSecondsPrintsRight) {
  // 4096 inbound calls of 1,500,000 seconds each: 6,144,000,000 seconds.
  AddCall(Utc(2026, 1, 2), 1500000, 1);
  for (int doubling = 0; doubling < 12; ++doubling) Exec(kLogger, "INSERT INTO CDRMAIN SELECT * FROM CDRMAIN");
  EXPECT_EQ(Report("m", "2026-01-31 12:00:00"),
            Header("", "10/2025", "01/2026") + Line("2025/10", "0", "0", "0") + Line("2025/11", "0", "0", "0") +
                Line("2025/12", "0", "0", "0") + Line("2026/01", "102,400,000", "0", "102,400,000") + "\n");
}

// Needs the options command (o,3).
TEST_P(TrunkMinutesTest, ReportRunsOnTheSourceInForce) {
  AddDataSource("Other Dsn");
  CreateCdrTable("Other Dsn");
  Call call;
  call.startTime = Utc(2026, 2, 3);
  call.endTime = call.startTime + 6000;
  call.callerType = 8;
  InsertCall("Other Dsn", call);
  ToolRun run = RunTool("m\no,3,Other_Dsn\nm\nq\n");
  EXPECT_EQ(run.status, 0);
  std::string before = Line("2026/02", "0", "0", "0"), after = Line("2026/02", "100", "0", "100");
  size_t first = run.out.find(before);
  EXPECT_NE(first, std::string::npos) << run.out;
  EXPECT_NE(run.out.find(after, first), std::string::npos) << run.out;
}

INSTANTIATE_BACKENDS(TrunkMinutesTest);

TEST(TrunkMinutesWithoutSource, DefaultSourceUnreachable) {
  std::string ini = ::testing::TempDir() + "no-sources-" + std::to_string(::getpid()) + ".ini";
  std::FILE* file = std::fopen(ini.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  ToolOptions options;
  options.environment = {"ODBCINI=" + ini};
  ToolRun run = RunTool("M\nq\n", options);
  EXPECT_EQ(run.status, 0);
  const std::string failed = "Failed to open database Internal Logger Database\n";
  EXPECT_EQ(run.out, "====== Nortesk Extension/Trunk Projection Tool ======\n" + failed + MenuText() + kPromptText +
                         failed + Header("without SIP-TIE ", "11/2025", "02/2026") + "\n" + kPromptText);
  std::remove(ini.c_str());
}

}  // namespace
