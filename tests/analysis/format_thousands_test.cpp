#include "analysis/format_thousands.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

std::string Grouped(int64_t value) {
  char out[64];
  std::memset(out, 'Z', sizeof out);  // the text must be terminated by the formatter itself
  const char* text = FormatThousands(value, out);
  EXPECT_EQ(text, out);
  size_t length = strnlen(out, sizeof out);
  EXPECT_LT(length, kThousandsTextMax);
  // Nothing beyond the terminator is touched.
  for (size_t i = length + 1; i < sizeof out; ++i) EXPECT_EQ(out[i], 'Z') << value << " at " << i;
  return std::string(out, length);
}

TEST(FormatThousands, GroupsOfThreeFromTheRight) {
  EXPECT_EQ(Grouped(0), "0");
  EXPECT_EQ(Grouped(12), "12");
  EXPECT_EQ(Grouped(123), "123");
  EXPECT_EQ(Grouped(999), "999");
  EXPECT_EQ(Grouped(1000), "1,000");
  EXPECT_EQ(Grouped(1234), "1,234");
  EXPECT_EQ(Grouped(86400), "86,400");
  EXPECT_EQ(Grouped(345600), "345,600");
  EXPECT_EQ(Grouped(2147483647), "2,147,483,647");
  EXPECT_EQ(Grouped(6000000000), "6,000,000,000");
}

TEST(FormatThousands, NegativeValuesKeepTheirSignOutsideTheGroups) {
  EXPECT_EQ(Grouped(-1), "-1");
  EXPECT_EQ(Grouped(-123), "-123");
  EXPECT_EQ(Grouped(-1234), "-1,234");
  EXPECT_EQ(Grouped(-345600), "-345,600");
  EXPECT_EQ(Grouped(INT32_MIN), "-2,147,483,648");
  EXPECT_EQ(Grouped(INT64_MIN), "-9,223,372,036,854,775,808");
}

}  // namespace
