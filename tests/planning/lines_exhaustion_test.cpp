// The months until the installed lines run out, read from a plan's verdict.
#include "planning/lines_exhaustion.h"

#include <gtest/gtest.h>

namespace {

CapacityPlan PlanWith(LinesOutlook outlook) {
  CapacityPlan plan;
  for (int month = 11; month <= 12; ++month) plan.months.push_back({.year = 2025, .month = month});
  plan.months.push_back({.year = 2026, .month = 1});
  plan.measuredMonths = 3;
  for (int month = 2; month <= 13; ++month) {
    plan.months.push_back({.year = month <= 12 ? 2026 : 2027, .month = month <= 12 ? month : 1,
                           .kind = MonthKind::kProjected});
  }
  plan.verdict.outlook = outlook;
  return plan;
}

TEST(LinesExhaustion, MonthsAreCountedFromTheCurrentMonthAcrossTheYearsEnd) {
  CapacityPlan plan = PlanWith(LinesOutlook::kRunsOut);
  plan.verdict.runsOutAt = 14;  // January 2027
  const LinesExhaustion found = FindLinesExhaustion(plan, 2026, 1);
  EXPECT_EQ(found.kind, ExhaustionKind::kAhead);
  EXPECT_EQ(found.months, 12);
  EXPECT_EQ(found.year, 2027);
  EXPECT_EQ(found.month, 1);
}

TEST(LinesExhaustion, ShortNowIsZeroMonthsAndLastingIsTheMonthsProjected) {
  const LinesExhaustion now = FindLinesExhaustion(PlanWith(LinesOutlook::kAlreadyShort), 2026, 1);
  EXPECT_EQ(now.kind, ExhaustionKind::kNow);
  EXPECT_EQ(now.months, 0);
  EXPECT_EQ(now.month, 1);
  const LinesExhaustion lasts = FindLinesExhaustion(PlanWith(LinesOutlook::kLasts), 2026, 1);
  EXPECT_EQ(lasts.kind, ExhaustionKind::kBeyond);
  EXPECT_EQ(lasts.months, 12);
  EXPECT_EQ(FindLinesExhaustion(PlanWith(LinesOutlook::kNoProjection), 2026, 1).kind, ExhaustionKind::kUnknown);
}

TEST(LinesExhaustion, StaleRecordsCountFromTheCurrentMonthNeverBelowNow) {
  // The plan ends in January 2027; it is made in October 2026.
  CapacityPlan plan = PlanWith(LinesOutlook::kRunsOut);
  plan.verdict.runsOutAt = 5;  // April 2026, already past
  const LinesExhaustion past = FindLinesExhaustion(plan, 2026, 10);
  EXPECT_EQ(past.kind, ExhaustionKind::kNow);
  EXPECT_EQ(past.months, 0);
  EXPECT_EQ(FindLinesExhaustion(PlanWith(LinesOutlook::kLasts), 2026, 10).months, 3);
}

}  // namespace
