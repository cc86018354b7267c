// --group-by's SPEC: its forms, the table's spelling of its columns, and
// the quoting that is the only road by which a name reaches SQL.
#include "analysis/group_spec.h"

#include <gtest/gtest.h>

namespace {

TEST(GroupSpecTest, OnlyPlainNamesPassAndTheTableSpellsThem) {
  std::string reason;
  GroupSpec spec;
  for (const char* bad : {"", ":", "a:", ":b", "a:b:c", "x; drop table CDRMAIN", "a\"b", "Target Tenant"}) {
    EXPECT_FALSE(ParseGroupSpec(bad, &spec, &reason)) << bad;
  }
  ASSERT_TRUE(ParseGroupSpec("callersitenodeid:CALLEESITENODEID", &spec, &reason));
  const std::vector<TableColumn> columns = {{"CallerSiteNodeId"}, {"CalleeSiteNodeId"}, {"TargetTenant"}};
  ASSERT_TRUE(ResolveGroupSpec(columns, &spec, &reason)) << reason;
  EXPECT_EQ(spec.callerColumn, "CallerSiteNodeId");
  EXPECT_EQ(spec.targetColumn, "CalleeSiteNodeId");
  ASSERT_TRUE(ParseGroupSpec("Tenant", &spec, &reason));
  EXPECT_FALSE(spec.IsPair());
  EXPECT_FALSE(ResolveGroupSpec(columns, &spec, &reason));
  EXPECT_EQ(reason, "CDRMAIN has no column Tenant; its columns are CallerSiteNodeId, CalleeSiteNodeId, TargetTenant");
}

TEST(GroupSpecTest, TheDriversQuoteIsDoubledInside) {
  EXPECT_EQ(QuotedIdentifier("TargetTenant", "\""), "\"TargetTenant\"");
  EXPECT_EQ(QuotedIdentifier("a`b", "`"), "`a``b`");
  EXPECT_EQ(QuotedIdentifier("TargetTenant", " "), "TargetTenant");
}

}  // namespace
