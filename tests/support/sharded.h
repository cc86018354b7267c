// The sharded databases that scripts/test starts (scripts/maria-spider and
// scripts/pg-sharded): for each engine a head whose CDRMAIN lives on two
// shards, and, on the head's server, a single database holding the same
// rows in an ordinary table. The fixture declares each of them as the
// console's data source in an odbc.ini of its own, so that one program run
// reads the head and the next the single server by the same name.
//
// On Spider a third head, over the same shards, holds an empty CDRMAIN whose
// second shard has no index.
//
// Engines: "Spider" (MariaDB; NORTESK_SPIDER_SOCKET, the head's socket) and
// "postgres_fdw" (PostgreSQL; NORTESK_PGSHARD_HOST and NORTESK_PGSHARD_PORT).
// Without them an engine's cases are skipped, unless NORTESK_REQUIRE_SPIDER=1
// or NORTESK_REQUIRE_PGSHARD=1, when they fail. The databases are loaded once
// and only read.
//
//   class MyTest : public ShardedTest {};
//   TEST_P(MyTest, Something) { ToolRun head = RunOn(kHead, "t q"); ... }
//   INSTANTIATE_SHARDED(MyTest);
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/tool_runner.h"

enum class Holder { kHead, kSingle, kHeadOfAnUnindexedShard };
inline constexpr Holder kHead = Holder::kHead;
inline constexpr Holder kSingle = Holder::kSingle;
inline constexpr Holder kHeadOfAnUnindexedShard = Holder::kHeadOfAnUnindexedShard;  // Spider only

class ShardedTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the program as RunTool does, with "Internal Logger Database"
  // standing for the head or for the single server.
  ToolRun RunOn(Holder holder, const std::string& input, ToolOptions options = {});

  // A folder of this test, removed when it ends.
  const std::string& ScratchDir() const { return scratch_; }

 private:
  std::string scratch_;
};

#define INSTANTIATE_SHARDED(Fixture)                                                                       \
  INSTANTIATE_TEST_SUITE_P(Engines, Fixture, ::testing::Values("Spider", "postgres_fdw"),                  \
                           [](const ::testing::TestParamInfo<std::string>& info) {                        \
                             return info.param == "Spider" ? std::string("Spider") : std::string("PostgresFdw"); \
                           })
