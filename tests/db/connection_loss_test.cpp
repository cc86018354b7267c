#include "db/connection_loss.h"

#include <gtest/gtest.h>

namespace {

TEST(ConnectionLoss, ConnectionStatesAndServerShutdownsMeanTheSessionIsGone) {
  for (const char* state : {"08S01", "08001", "08003", "08004", "08006", "08007", "HYT01", "57P01", "57P02", "57P03"}) {
    EXPECT_TRUE(IsConnectionLost(state, 0)) << state;
  }
  EXPECT_TRUE(IsConnectionLost("HY000", 2006));  // server has gone away
  EXPECT_TRUE(IsConnectionLost("HY000", 2013));  // lost connection during query
}

TEST(ConnectionLoss, FailuresOfTheStatementLeaveTheSessionUsable) {
  for (const char* state : {"42703", "42S02", "22003", "40001", "57014", "HY000", "HYT00", "01004", ""}) {
    EXPECT_FALSE(IsConnectionLost(state, 0)) << state;
  }
  EXPECT_FALSE(IsConnectionLost("42000", 2006));
  EXPECT_FALSE(IsConnectionLost(nullptr, 2013));
}

}  // namespace
