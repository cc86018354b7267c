#include "timeutil/time_conversions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// Runs the body of a test in a time zone, restoring UTC afterwards.
class ZoneTest : public ::testing::Test {
 protected:
  void UseZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }
  void TearDown() override { UseZone("UTC"); }
};

TEST(DateToEpochUtc, MatchesTheCalendarWithItsCorrections) {
  EXPECT_EQ(DateToEpochUtc(2000, 1, 1), 946684800);
  EXPECT_EQ(DateToEpochUtc(2012, 3, 1) - DateToEpochUtc(2012, 2, 29), 86400);
  EXPECT_EQ(DateToEpochUtc(2014, 4, 11), 1397174400);
  EXPECT_EQ(DateToEpochUtc(14, 4, 11), DateToEpochUtc(2014, 4, 11));
  EXPECT_EQ(DateToEpochUtc(2014, 0, 9), DateToEpochUtc(2014, 1, 9));
  EXPECT_EQ(DateToEpochUtc(2014, 13, 9), DateToEpochUtc(2014, 1, 9));
  EXPECT_EQ(DateToEpochUtc(2014, 5, 0), DateToEpochUtc(2014, 5, 1));
  EXPECT_EQ(DateToEpochUtc(2014, 5, 32), DateToEpochUtc(2014, 5, 1));
  EXPECT_EQ(DateToEpochUtc(2014, 5, -1), DateToEpochUtc(2014, 5, 1) - 2 * 86400);
  EXPECT_EQ(DateToEpochUtc(1970, 1, 1), 86400);
  EXPECT_EQ(DateToEpochUtc(2038, 1, 19), 2147472000);
  EXPECT_LT(DateToEpochUtc(2038, 1, 20), 0);  // wraps, as documented
}

TEST_F(ZoneTest, LocalMidnightUsesTheOffsetOfThatDate) {
  UseZone("UTC");
  EXPECT_EQ(LocalDateToEpoch(2026, 7, 1), DateToEpochUtc(2026, 7, 1));
  UseZone("America/New_York");
  EXPECT_EQ(LocalDateToEpoch(2026, 1, 15), DateToEpochUtc(2026, 1, 15) + 5 * 3600);
  EXPECT_EQ(LocalDateToEpoch(2026, 7, 15), DateToEpochUtc(2026, 7, 15) + 4 * 3600);
  // 8 March 2026 has 23 hours, 1 November 2026 has 25.
  EXPECT_EQ(LocalDateToEpoch(2026, 3, 9) - LocalDateToEpoch(2026, 3, 8), 23 * 3600);
  EXPECT_EQ(LocalDateToEpoch(2026, 11, 2) - LocalDateToEpoch(2026, 11, 1), 25 * 3600);
  EXPECT_EQ(NextLocalMidnight(LocalDateToEpoch(2026, 3, 8)), LocalDateToEpoch(2026, 3, 9));
  EXPECT_EQ(NextLocalMidnight(LocalDateToEpoch(2026, 11, 1)), LocalDateToEpoch(2026, 11, 2));
  UseZone("Europe/Berlin");
  EXPECT_EQ(LocalDateToEpoch(2026, 3, 29), DateToEpochUtc(2026, 3, 29) - 3600);
  EXPECT_EQ(LocalDateToEpoch(2026, 3, 30), DateToEpochUtc(2026, 3, 30) - 7200);
  EXPECT_EQ(LocalDateToEpoch(2026, 10, 25), DateToEpochUtc(2026, 10, 25) - 7200);
  EXPECT_EQ(LocalDateToEpoch(2026, 10, 26), DateToEpochUtc(2026, 10, 26) - 3600);
  EXPECT_EQ(NextLocalMidnight(LocalDateToEpoch(2026, 12, 31)), LocalDateToEpoch(2027, 1, 1));
}

TEST_F(ZoneTest, TypedTimesRollOverLikeACalendar) {
  UseZone("Europe/Berlin");
  EXPECT_EQ(LocalDateTimeToEpoch(2014, 4, 11, 25, 0, 0), LocalDateTimeToEpoch(2014, 4, 12, 1, 0, 0));
  EXPECT_EQ(LocalDateTimeToEpoch(2014, 4, 11, 13, 5, 20), DateToEpochUtc(2014, 4, 11) + 11 * 3600 + 5 * 60 + 20);
  EXPECT_EQ(LocalDateTimeToEpoch(2014, 4, 11, 0, -1, 0), LocalDateTimeToEpoch(2014, 4, 10, 23, 59, 0));
}

TEST_F(ZoneTest, SkippedAndRepeatedReadingsOfTheClock) {
  // Santiago jumps from 24:00 on 5 September 2026 to 01:00 on the 6th: that
  // day begins at its 01:00 and ends at the next midnight, 23 hours later,
  // and no hour falls between two days.
  UseZone("America/Santiago");
  EXPECT_EQ(LocalDateToEpoch(2026, 9, 6), 1788667200);
  EXPECT_EQ(NextLocalMidnight(LocalDateToEpoch(2026, 9, 5)), 1788667200);
  EXPECT_EQ(NextLocalMidnight(1788667200), LocalDateToEpoch(2026, 9, 7));
  EXPECT_EQ(LocalDateToEpoch(2026, 9, 7) - LocalDateToEpoch(2026, 9, 6), 23 * 3600);
  // New York skips 02:00-03:00 on 8 March and shows 01:00-02:00 twice on
  // 1 November 2026.
  UseZone("America/New_York");
  EXPECT_EQ(LocalDateTimeToEpoch(2026, 3, 8, 2, 30, 0), 1772953200);  // 03:00 EDT
  EXPECT_EQ(LocalDateTimeToEpoch(2026, 3, 8, 3, 0, 0), 1772953200);
  EXPECT_EQ(LocalDateTimeToEpoch(2026, 3, 8, 1, 59, 59), 1772953199);
  EXPECT_EQ(LocalDateTimeToEpoch(2026, 11, 1, 1, 30, 0), 1793511000);  // the first 01:30, EDT
  EXPECT_EQ(LocalDateTimeToEpoch(2026, 11, 1, 2, 0, 0), 1793516400);   // 02:00 EST
}

TEST_F(ZoneTest, FormatsLocalTime) {
  char text[32] = {};
  UseZone("UTC");
  FormatEpochLocal(0, text, sizeof text);
  EXPECT_STREQ(text, "1970/01/01 00:00:00");
  UseZone("America/New_York");
  FormatEpochLocal(1397229474, text, sizeof text);
  EXPECT_STREQ(text, "2014/04/11 11:17:54");
  char small[8];
  FormatEpochLocal(0, small, sizeof small);
  EXPECT_EQ(std::string(small), "1969/12");  // cut to fit, terminated
}

TEST(EpochToSystemTime, GivesUtcFields) {
  SYSTEMTIME t{};
  EpochToSystemTime(1397230109, &t);
  EXPECT_EQ(t.wYear, 2014);
  EXPECT_EQ(t.wMonth, 4);
  EXPECT_EQ(t.wDay, 11);
  EXPECT_EQ(t.wHour, 15);
  EXPECT_EQ(t.wMinute, 28);
  EXPECT_EQ(t.wSecond, 29);
}

int64_t fakeNowMs = 0;
int64_t FakeNow() { return fakeNowMs; }

TEST_F(ZoneTest, ElapsedAcrossMidnight) {
  UseZone("UTC");
  SetClockForTesting(FakeNow);
  fakeNowMs = static_cast<int64_t>(DateToEpochUtc(2026, 2, 10)) * 1000 - 500;  // 23:59:59.500
  SYSTEMTIME start{};
  GetLocalTime(&start);
  fakeNowMs += 750;
  EXPECT_EQ(ElapsedMilliseconds(start), 750);
  SetClockForTesting(nullptr);
}

}  // namespace
