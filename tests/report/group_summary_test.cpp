// The summary of a plan by groups: the order of urgency, and the table the
// report prints before the groups' blocks.
#include "report/group_summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

GroupSummary Group(const std::string& name, LinesOutlook outlook, int32_t linesNeeded) {
  GroupSummary group;
  group.name = name;
  group.outlook = outlook;
  group.linesKnown = true;
  group.linesNeeded = linesNeeded;
  return group;
}

GroupSummary Short(const std::string& name, int32_t shortBy, int32_t linesNeeded) {
  GroupSummary group = Group(name, LinesOutlook::kAlreadyShort, linesNeeded);
  group.shortBy = shortBy;
  return group;
}

GroupSummary RunsOut(const std::string& name, int32_t year, int32_t month, int32_t linesNeeded) {
  GroupSummary group = Group(name, LinesOutlook::kRunsOut, linesNeeded);
  group.runsOutYear = year;
  group.runsOutMonth = month;
  return group;
}

TEST(GroupSummaryTest, TheMostUrgentComeFirstAndEqualsGoByTheirBytes) {
  GroupSummary unknown = Group("unknown", LinesOutlook::kNotAsked, 0);
  unknown.linesKnown = false;
  std::vector<GroupSummary> groups = {
      unknown,
      Group("zero", LinesOutlook::kNotAsked, 0),
      Group("\xc3\xa9", LinesOutlook::kNoProjection, 20),
      Group("needs 40", LinesOutlook::kNotAsked, 40),
      RunsOut("2027/05", 2027, 5, 40),
      Short("short by 2", 2, 50),
      Group("a", LinesOutlook::kLasts, 20),
      RunsOut("2026/11", 2026, 11, 8),
      Group("lasts 30", LinesOutlook::kLasts, 30),
      Short("short by 5", 5, 12),
      RunsOut("2027/02", 2027, 2, 60),
      Group("B", LinesOutlook::kNotAsked, 20),
  };
  SortByUrgency(&groups);
  std::vector<std::string> names;
  for (const GroupSummary& group : groups) names.push_back(group.name);
  EXPECT_EQ(names, (std::vector<std::string>{"short by 5", "short by 2", "2026/11", "2027/02", "2027/05", "needs 40",
                                             "lasts 30", "B", "a", "\xc3\xa9", "zero", "unknown"}));
}

TEST(GroupSummaryTest, TheTableShowsEveryVerdictAndNoNameBreaksItsLines) {
  GroupSummary zurich = Short("Z\xc3\xbcrich", 4, 28);
  zurich.linesInstalled = 24;
  zurich.blockingKnown = zurich.replayed = true;
  zurich.blockingNow = 0.0303;
  zurich.blockingReplayed = 0.0234;
  GroupSummary newline = RunsOut("a\nb", 2027, 5, 17);
  newline.linesInstalled = 20;
  newline.blockingKnown = true;
  newline.blockingNow = 0.0012;
  const GroupSummary none = Group("", LinesOutlook::kNotAsked, 3);
  const std::string wide(45, 'w');
  GroupSummary lasts = Group(wide, LinesOutlook::kLasts, 5);
  lasts.lastYear = 2027;
  lasts.lastMonth = 2;
  lasts.linesInstalled = 9;
  lasts.blockingKnown = lasts.replayed = true;
  lasts.blockingNow = 0.00001;
  GroupSummary bell = Group("t\x07", LinesOutlook::kNoProjection, 0);
  bell.linesKnown = false;
  bell.linesInstalled = 6;
  PlanReportHeader header;
  header.dataSource = "Logger";
  header.callsCounted = "Trunk calls";
  const auto spaces = [](size_t count) { return std::string(count, ' '); };
  // The group column stops growing at 40 characters, counted as a terminal
  // shows UTF-8.
  EXPECT_EQ(GroupSummaryLines({zurich, newline, none, lasts, bell}, header, "CallerSiteNodeId:CalleeSiteNodeId"),
            (std::vector<std::string>{
                "Capacity plan for data source \"Logger\" by CallerSiteNodeId:CalleeSiteNodeId",
                "Trunk calls in 5 groups, the most urgent first; grade of service 1% blocking (7% at high load)",
                "  group" + spaces(37) + "lines needed now  installed  verdict" + spaces(19) + "blocking now",
                "  Z\xc3\xbcrich" + spaces(36) + "28" + spaces(16) + "24" + spaces(9) + "already short by 4 lines  " +
                    "3.03% (2.34% replayed)",
                "  a\\nb" + spaces(38) + "17" + spaces(16) + "20" + spaces(9) + "runs out in 2027/05" + spaces(7) +
                    "0.12%",
                "  (none)" + spaces(36) + "3" + spaces(17) + "-" + spaces(10) + "no lines given" + spaces(12) + "-",
                "  " + wide + "  5" + spaces(17) + "9" + spaces(10) + "lasts beyond 2027/02" + spaces(6) +
                    "below 0.01% (0% replayed)",
                "  t\\x07" + spaces(37) + "unknown" + spaces(11) + "6" + spaces(10) + "no projection" + spaces(13) +
                    "-",
            }));
}

}  // namespace
