#include "platform/text.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(ParseLeadingInt, ReadsLikeAtoiWithoutOverflowFaults) {
  EXPECT_EQ(ParseLeadingInt(nullptr), 0);
  EXPECT_EQ(ParseLeadingInt("  -12x"), -12);
  EXPECT_EQ(ParseLeadingInt("abc"), 0);
  EXPECT_EQ(ParseLeadingInt("-2147483648"), INT_MIN);
}

TEST(ParseLeadingInt, FieldsOfAFixedWidth) {
  const char day[] = "20140411";
  EXPECT_EQ(ParseLeadingIntOf(day, 4), 2014);
  EXPECT_EQ(ParseLeadingIntOf(day + 4, 2), 4);
  EXPECT_EQ(ParseLeadingIntOf(day + 6, 2), 11);
  EXPECT_EQ(ParseLeadingIntOf("2014", 8), 2014);  // a NUL ends the text first
  EXPECT_EQ(ParseLeadingIntOf(" 7x", 2), 7);
  EXPECT_EQ(ParseLeadingIntOf(nullptr, 4), 0);
  EXPECT_EQ(ParseLeadingIntOf("12345678901234567890", 40), ParseLeadingInt("123456789012345"));
}

}  // namespace
