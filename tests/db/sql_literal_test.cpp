#include "db/sql_literal.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlStringLiteral, QuotesAreDoubledSoTheTextNeverEndsTheLiteral) {
  EXPECT_EQ(SqlStringLiteral(""), "''");
  EXPECT_EQ(SqlStringLiteral("/var/lib/ivr/new.db"), "'/var/lib/ivr/new.db'");
  EXPECT_EQ(SqlStringLiteral("x' AS a; DROP TABLE IVRCALL; --"), "'x'' AS a; DROP TABLE IVRCALL; --'");
}

}  // namespace
