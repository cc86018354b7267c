// Erlang B against published reference values.
#include "planning/erlang_b.h"

#include <gtest/gtest.h>

namespace {

TEST(ErlangBTest, BlockingMatchesTheTables) {
  EXPECT_NEAR(ErlangB(10, 10), 0.2146, 5e-5);
  EXPECT_NEAR(ErlangB(10, 18), 0.00714, 5e-6);
  EXPECT_NEAR(ErlangB(10, 17), 0.0129, 5e-5);
  EXPECT_NEAR(ErlangB(24, 30), 0.0401, 5e-5);
  EXPECT_EQ(ErlangB(7.5, 0), 1.0);
}

TEST(ErlangBTest, LinesNeededIsTheFewestThatMeetTheGrade) {
  EXPECT_EQ(LinesNeeded(10, 0.01), 18);
  EXPECT_EQ(LinesNeeded(55, 0.02), 66);
  EXPECT_EQ(LinesNeeded(1000, 0.01), 1029);  // no overflow on the way
  EXPECT_EQ(LinesNeeded(0, 0.01), 0);
  EXPECT_EQ(LinesNeeded(10, 0), -1);
  EXPECT_EQ(LinesNeeded(10, 1), -1);
}

TEST(ErlangBTest, CapacityIsTheMostTrafficAtTheGrade) {
  const struct {
    int lines;
    double erlangs;
  } table[] = {{10, 4.461}, {15, 8.108}, {20, 12.031}, {30, 20.337}, {100, 84.064}};
  for (const auto& row : table) EXPECT_NEAR(LinesCapacity(row.lines, 0.01), row.erlangs, 5e-4) << row.lines;
  EXPECT_EQ(LinesCapacity(0, 0.01), 0.0);
}

}  // namespace
