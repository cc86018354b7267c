// The parameters of a Spider comment, as Spider reads them.
#include "db/spider_comment.h"

#include <gtest/gtest.h>

namespace {

TEST(SpiderParameter, FindsAParameterUnderEitherSpellingAndEitherQuote) {
  const char* comment = "wrapper \"mysql\", srv \"shard1\",table 'CDR\\'s'";
  EXPECT_EQ(SpiderParameter(comment, "srv"), "shard1");
  EXPECT_EQ(SpiderParameter(comment, "server"), "shard1");
  EXPECT_EQ(SpiderParameter(comment, "tbl"), "CDR's");
  EXPECT_EQ(SpiderParameter(comment, "database"), std::nullopt);
  EXPECT_EQ(SpiderParameter("SRV \"a\", srv \"b\"", "srv"), "b");
}

TEST(SpiderParameter, TextThatIsNoParameterListGivesNothing) {
  EXPECT_EQ(SpiderParameter("", "srv"), std::nullopt);
  EXPECT_EQ(SpiderParameter("the shard of 2025", "srv"), std::nullopt);
  EXPECT_EQ(SpiderParameter("srv \"shard1", "srv"), std::nullopt);
  EXPECT_EQ(SpiderParameter("srv \"shard1\" table \"x\"", "srv"), std::nullopt);
}

}  // namespace
