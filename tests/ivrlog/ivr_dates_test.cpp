// The worker's date rules: retention months back across year ends, the
// backup range, date texts and the once-a-month rule, on a pinned clock.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ivrlog/ivr_log.h"
#include "ivrlog/ivr_time.h"

namespace ivr_test {
namespace {

class IvrDatesTest : public ::testing::Test {
 protected:
  // Runs `call` with standard output captured into `printed`.
  template <typename Call>
  int Printing(Call call) {
    testing::internal::CaptureStdout();
    int result = call();
    printed = testing::internal::GetCapturedStdout();
    return result;
  }
  PinnedTime time{"Europe/Berlin"};
  CIvrLog worker;
  std::string printed;
};

std::string Ymd(const SYSTEMTIME& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%d-%02d-%02d", date.wYear, date.wMonth, date.wDay);
  return text;
}

TEST_F(IvrDatesTest, RetentionReachesBackAcrossYearEnds) {
  SYSTEMTIME begin{};
  SetLocalClock(2026, 5, 10, 2, 0);
  EXPECT_EQ(Printing([&] { return worker.RetainBeginDate(&begin, 3); }), 1);
  EXPECT_EQ(Ymd(begin), "2026-02-01");
  EXPECT_EQ(printed, "Today is 2026/05/10\nRetain 3 month, begin date is 2026/02/01\n");

  SetLocalClock(2026, 3, 10, 2, 0);
  EXPECT_EQ(Printing([&] { return worker.RetainBeginDate(&begin, 3); }), 1);
  EXPECT_EQ(Ymd(begin), "2025-12-01");

  SetLocalClock(2026, 5, 31, 23, 59);
  EXPECT_EQ(Printing([&] { return worker.RetainBeginDate(&begin, 9); }), 1);
  EXPECT_EQ(Ymd(begin), "2025-08-01");

  SetLocalClock(2026, 1, 1, 0, 0);
  EXPECT_EQ(Printing([&] { return worker.RetainBeginDate(&begin, 24); }), 1);
  EXPECT_EQ(Ymd(begin), "2024-01-01");
  EXPECT_EQ(Printing([&] { return worker.RetainBeginDate(&begin, 0); }), 1);
  EXPECT_EQ(Ymd(begin), "2026-01-01");
  EXPECT_EQ(printed, "Today is 2026/01/01\nRetain 0 month, begin date is 2026/01/01\n");
}

TEST_F(IvrDatesTest, RetentionRefusals) {
  SetLocalClock(2026, 5, 10, 2, 0);
  SYSTEMTIME begin{};
  for (int months : {-1, 25}) {
    std::memset(&begin, 0x55, sizeof begin);
    EXPECT_EQ(Printing([&] { return worker.RetainBeginDate(&begin, months); }), 0);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(Ymd(begin), "0-00-00");
  }
  // A clock before 2000 says what day it is and refuses.
  SetLocalClock(1999, 12, 31, 2, 0);
  EXPECT_EQ(Printing([&] { return worker.RetainBeginDate(&begin, 3); }), 0);
  EXPECT_EQ(printed, "Today is 1999/12/31\n");
}

TEST_F(IvrDatesTest, BackupRangeAndItsRefusals) {
  SetLocalClock(2026, 3, 10, 2, 0);
  SYSTEMTIME begin{}, end{};
  EXPECT_EQ(Printing([&] { return worker.BackupRetainRange(&begin, &end, 3, 6); }), 1);
  EXPECT_EQ(Ymd(begin), "2025-06-01");
  EXPECT_EQ(Ymd(end), "2025-12-01");
  EXPECT_EQ(printed,
            "Today is 2026/03/10\n"
            "Retain 9 month, begin date is 2025/06/01\n"
            "Backup retain 6 month, end date is 2025/12/01\n");

  SetLocalClock(2026, 1, 15, 2, 0);
  EXPECT_EQ(Printing([&] { return worker.BackupRetainRange(&begin, &end, 12, 12); }), 1);
  EXPECT_EQ(Ymd(begin), "2024-01-01");
  EXPECT_EQ(Ymd(end), "2025-01-01");

  for (auto [live, backup] : {std::pair{20, 6}, std::pair{-1, 3}, std::pair{3, 25}, std::pair{25, 0}}) {
    std::memset(&begin, 0x55, sizeof begin);
    std::memset(&end, 0x55, sizeof end);
    EXPECT_EQ(Printing([&] { return worker.BackupRetainRange(&begin, &end, live, backup); }), 0);
    EXPECT_EQ(printed, "") << live << "," << backup;
    EXPECT_EQ(Ymd(begin), "0-00-00");
    EXPECT_EQ(Ymd(end), "0-00-00");
  }
}

TEST_F(IvrDatesTest, DateTexts) {
  SYSTEMTIME date{};
  date.wHour = 7;
  EXPECT_EQ(worker.ParseDateText("2025123", &date), 0);
  EXPECT_EQ(worker.ParseDateText("", &date), 0);
  EXPECT_EQ(worker.ParseDateText(nullptr, &date), 0);
  EXPECT_EQ(Ymd(date), "0-00-00");
  EXPECT_EQ(worker.ParseDateText("20251231235959", &date), 1);
  EXPECT_EQ(Ymd(date), "2025-12-31");
  EXPECT_EQ(date.wHour, 7);  // only the date is taken
  EXPECT_EQ(worker.ParseDateText("abcd1x 5", &date), 1);
  EXPECT_EQ(Ymd(date), "0-01-05");
}

TEST_F(IvrDatesTest, NewMonthAfterTheLastRun) {
  SetLocalClock(2026, 5, 31, 23, 0);
  EXPECT_EQ(worker.IsNewMonth(), 1);  // no run kept yet
  std::strcpy(worker.lastRunDate, "20260510");
  EXPECT_EQ(worker.IsNewMonth(), 0);
  SetLocalClock(2026, 6, 1, 0, 0);
  EXPECT_EQ(worker.IsNewMonth(), 1);
  std::strcpy(worker.lastRunDate, "20251215");
  SetLocalClock(2026, 1, 2, 2, 0);
  EXPECT_EQ(worker.IsNewMonth(), 1);
  std::strcpy(worker.lastRunDate, "20260201");
  EXPECT_EQ(worker.IsNewMonth(), 0);  // a date ahead of the clock
}

TEST_F(IvrDatesTest, BackupRunsOncePerMonth) {
  worker.backupDataSource = "";  // nothing to connect to: the run stops there
  SetLocalClock(2026, 5, 10, 2, 0);
  std::strcpy(worker.lastRunDate, "20260501");
  EXPECT_EQ(Printing([&] { return worker.BackupOldRows(); }), 0);
  EXPECT_EQ(printed, "");
  std::strcpy(worker.lastRunDate, "20260430");
  EXPECT_EQ(Printing([&] { return worker.BackupOldRows(); }), 0);
  EXPECT_EQ(printed, "Today is 2026/05/10\nRetain 3 month, begin date is 2026/02/01\n");
  EXPECT_STREQ(worker.lastRunDate, "20260430");  // not completed, not kept
}

}  // namespace
}  // namespace ivr_test
