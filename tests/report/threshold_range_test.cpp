// Threshold ranges of the monitoring-plugins guidelines: every example of
// their table judged as the guidelines judge it, the forms they refuse, and
// the ranges written back into performance data.
#include "report/threshold_range.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Example {
  std::string range;
  std::vector<double> alerts;  // values that raise an alert
  std::vector<double> quiet;   // values that do not
};

TEST(ThresholdRange, TheGuidelinesExamplesAlertWhereTheTableSays) {
  const std::vector<Example> examples = {
      {"10", {-0.5, 10.5, 11}, {0, 5, 10}},             // < 0 or > 10
      {"10:", {9.99, -1}, {10, 11, 1e9}},                // < 10
      {"~:10", {10.01, 11}, {10, -1e9, 0}},              // > 10
      {"10:20", {9, 21, 20.5}, {10, 15, 20}},            // < 10 or > 20
      {"@10:20", {10, 15, 20}, {9.99, 20.01}},           // >= 10 and <= 20
      {"@~:20", {-1e9, 20}, {20.5}},                     // inside -inf..20
      {":", {-1}, {0, 1e9}},                             // 0 up to infinity
      {"-10:-5", {-4, -11}, {-10, -7.5, -5}},            // negative ends
      {"1.5:2.5", {1.49, 2.51}, {1.5, 2.5}},             // decimals
  };
  for (const Example& example : examples) {
    ThresholdRange range;
    std::string error;
    ASSERT_TRUE(ParseThresholdRange(example.range, &range, &error)) << example.range << ": " << error;
    for (double value : example.alerts) EXPECT_TRUE(RangeAlerts(range, value)) << example.range << " at " << value;
    for (double value : example.quiet) EXPECT_FALSE(RangeAlerts(range, value)) << example.range << " at " << value;
  }
}

TEST(ThresholdRange, FormsOutsideTheSyntaxAreRefusedWithTheirText) {
  for (const char* text : {"", "@", "abc", "10:20:30", "1e3", "inf", "~", "10:~", " 10", "10 ", "--1", "1..2",
                           "-10", "20:10", "0x10"}) {
    ThresholdRange range;
    std::string error;
    EXPECT_FALSE(ParseThresholdRange(text, &range, &error)) << text;
    EXPECT_NE(error.find('"' + std::string(text) + '"'), std::string::npos) << error;
  }
}

TEST(ThresholdRange, ARangeIsWrittenBackPlainAndScaledIntoAnotherUnit) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"10", "10"}, {"0:10", "10"}, {"10:", "10:"}, {"~:10", "~:10"}, {"@10:20", "@10:20"},
      {"@~:", "@~:"}, {"-1.25:3", "-1.25:3"}, {"0.0001", "0"}};
  for (const auto& [text, written] : cases) {
    ThresholdRange range;
    std::string error;
    ASSERT_TRUE(ParseThresholdRange(text, &range, &error)) << text;
    EXPECT_EQ(FormatThresholdRange(range), written) << text;
  }
  // 80% and 95% of 30 lines, in calls; never an exponent.
  ThresholdRange percent;
  std::string error;
  ASSERT_TRUE(ParseThresholdRange("80:95", &percent, &error));
  EXPECT_EQ(FormatThresholdRange(ScaleRange(percent, 0.3)), "24:28.5");
  EXPECT_EQ(PlainNumber(123456789.0, 3), "123456789");
  EXPECT_EQ(PlainNumber(-0.0001, 3), "0");
  // Every digit of a number longer than any fixed buffer; a start written
  // as 0 goes as 0 does.
  EXPECT_EQ(PlainNumber(8.9e80, 0).size(), 81u);
  EXPECT_EQ(PlainNumber(8.9e80, 0).substr(0, 2), "89");
  ThresholdRange tiny;
  ASSERT_TRUE(ParseThresholdRange("0.000000004:2.5", &tiny, &error));
  EXPECT_EQ(FormatThresholdRange(tiny), "2.5");
  // The reason stays on one line whatever the text held.
  EXPECT_FALSE(ParseThresholdRange("10\n:5", &tiny, &error));
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

}  // namespace
