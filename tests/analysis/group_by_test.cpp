// --group-by's COLUMNS: its forms, the table's spelling of its columns, and
// the quoting that is the only road by which a name reaches SQL.
#include "analysis/group_by.h"

#include <gtest/gtest.h>

namespace {

TEST(GroupByTest, OnlyPlainNamesPassAndTheTableSpellsThem) {
  std::string reason;
  GroupBy groupBy;
  for (const char* bad : {"", ":", "a:", ":b", "a:b:c", "x; drop table CDRMAIN", "a\"b", "Target Tenant"}) {
    EXPECT_FALSE(ParseGroupBy(bad, &groupBy, &reason)) << bad;
  }
  ASSERT_TRUE(ParseGroupBy("callersitenodeid:CALLEESITENODEID", &groupBy, &reason));
  const std::vector<TableColumn> columns = {{"CallerSiteNodeId"}, {"CalleeSiteNodeId"}, {"TargetTenant"}};
  ASSERT_TRUE(ResolveGroupBy(columns, &groupBy, &reason)) << reason;
  EXPECT_EQ(groupBy.callerColumn, "CallerSiteNodeId");
  EXPECT_EQ(groupBy.targetColumn, "CalleeSiteNodeId");
  ASSERT_TRUE(ParseGroupBy("Tenant", &groupBy, &reason));
  EXPECT_FALSE(groupBy.IsPair());
  EXPECT_FALSE(ResolveGroupBy(columns, &groupBy, &reason));
  EXPECT_EQ(reason, "CDRMAIN has no column Tenant; its columns are CallerSiteNodeId, CalleeSiteNodeId, TargetTenant");
}

TEST(GroupByTest, TheDriversQuoteIsDoubledInside) {
  EXPECT_EQ(QuotedIdentifier("TargetTenant", "\""), "\"TargetTenant\"");
  EXPECT_EQ(QuotedIdentifier("a`b", "`"), "`a``b`");
  EXPECT_EQ(QuotedIdentifier("TargetTenant", " "), "TargetTenant");
}

}  // namespace
