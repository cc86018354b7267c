#include "analysis/record_day.h"

#include <gtest/gtest.h>

namespace {

bool Reads(const char* text, RecordDay expected) {
  RecordDay day{-1, -1, -1};
  return ParseRecordDay(text, &day) && day.year == expected.year && day.month == expected.month &&
         day.day == expected.day;
}

bool Refuses(const char* text) {
  RecordDay day{-1, -1, -1};
  return !ParseRecordDay(text, &day) && day.year == -1;
}

TEST(RecordDay, ReadsTheCompactAndTheDateColumnForms) {
  EXPECT_TRUE(Reads("20261201", {2026, 12, 1}));
  EXPECT_TRUE(Reads("2026-12-01", {2026, 12, 1}));
  EXPECT_TRUE(Reads("20240229", {2024, 2, 29}));
  EXPECT_TRUE(Reads("20261201  ", {2026, 12, 1}));  // a CHAR column pads with blanks
  EXPECT_TRUE(Reads("99991231", {9999, 12, 31}));
}

TEST(RecordDay, RefusesWhatIsNoCalendarDate) {
  for (const char* text : {"", "2026121", "2026-1201", "2026/12/01", "20261301", "20260230", "20250229",
                           "21000229", "20261200", "19691231", "2026120X", "20261201x", " 20261201",
                           "2026-12-01 10:00:00"}) {
    EXPECT_TRUE(Refuses(text)) << text;
  }
  EXPECT_FALSE(ParseRecordDay(nullptr, nullptr));
}

TEST(RecordDay, OrdersByDate) {
  EXPECT_LT(CompareRecordDays({2026, 12, 31}, {2027, 1, 1}), 0);
  EXPECT_GT(CompareRecordDays({2026, 12, 2}, {2026, 12, 1}), 0);
  EXPECT_EQ(CompareRecordDays({2026, 12, 1}, {2026, 12, 1}), 0);
}

}  // namespace
