// The tool on a head whose CDRMAIN lives on two shards (Spider, postgres_fdw)
// against a single server holding the same rows: the answers are the same
// byte for byte, and what the head says of indexes is true of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "support/backend.h"
#include "support/sharded.h"

namespace {

// Every file of a folder by name, with its content.
std::map<std::string, std::string> FilesOf(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    files[entry.path().filename()] = ReadWholeFile(entry.path());
  }
  return files;
}

// `text` without its last line.
std::string AllButLastLine(const std::string& text) {
  const size_t end = text.rfind('\n', text.size() >= 2 ? text.size() - 2 : 0);
  return end == std::string::npos ? "" : text.substr(0, end + 1);
}

std::string LastLine(const std::string& text) { return text.substr(AllButLastLine(text).size()); }

class ShardedHeadTest : public ShardedTest {
 protected:
  ToolRun Run(Holder holder, const std::vector<std::string>& arguments) {
    ToolOptions options;
    options.arguments = arguments;
    return RunOn(holder, "", options);
  }
};

// The rows span 2025-01-01 to 2026-02-09 with the shards split on 2025-12-15,
// so that December's sums read both shards; every inbound call from a trunk
// to an extension shares its month with one from an extension to a trunk.
TEST_P(ShardedHeadTest, AnswersAsASingleServerHoldingTheSameRows) {
  for (const char* sessions : {"1", "4"}) {
    const std::string headDir = ScratchDir() + "/head-" + sessions, singleDir = ScratchDir() + "/single-" + sessions;
    ToolRun head = Run(kHead, {"plan", "--csv", headDir, "--sessions", sessions});
    ToolRun single = Run(kSingle, {"plan", "--csv", singleDir, "--sessions", sessions});
    ASSERT_EQ(single.status, 0) << single.err;
    EXPECT_EQ(head.status, 0) << head.err;
    EXPECT_EQ(head.out, single.out);
    EXPECT_EQ(FilesOf(headDir), FilesOf(singleDir));
    EXPECT_EQ(FilesOf(singleDir).size(), 4u);
  }
  // The console's range check and month sums, standard error (a hint) too.
  ToolRun headConsole = RunOn(kHead, "t m M q");
  ToolRun singleConsole = RunOn(kSingle, "t m M q");
  EXPECT_EQ(headConsole.out, singleConsole.out);
  EXPECT_EQ(headConsole.err, singleConsole.err);
  EXPECT_NE(singleConsole.out.find("2025/12: Trunk calls (minutes), inbound 6,070, "), std::string::npos)
      << singleConsole.out;

  ToolRun headMinutes = Run(kHead, {"minutes", "--months", "14"});
  ToolRun singleMinutes = Run(kSingle, {"minutes", "--months", "14"});
  EXPECT_EQ(headMinutes.status, 0) << headMinutes.err;
  EXPECT_EQ(headMinutes.out, singleMinutes.out);

  // doctor: the same findings but the index's, which on the head says where
  // the index must be instead of failing or passing on the head's own list.
  ToolRun headDoctor = Run(kHead, {"doctor"});
  ToolRun singleDoctor = Run(kSingle, {"doctor"});
  EXPECT_EQ(headDoctor.status, 0) << headDoctor.out;
  EXPECT_EQ(AllButLastLine(headDoctor.out), AllButLastLine(singleDoctor.out));
  EXPECT_NE(singleDoctor.out.find("ok    4,860 records from 2025-01-01 to 2026-02-09, 8 of them end before they start"),
            std::string::npos)
      << singleDoctor.out;
  EXPECT_EQ(LastLine(singleDoctor.out), "ok    an index led by StartTime serves the day checks\n");
  // Spider's head asks its shards; postgres_fdw's cannot.
  const std::string shardLine =
      GetParam() == "Spider"
          ? "ok    CDRMAIN is a Spider table, and the CDRMAIN of each of its shards (servers shard1, shard2) has an "
            "index led by StartTime, which serves the day checks there\n"
          : "skip  CDRMAIN is partitioned over postgres_fdw foreign tables (servers shard1, shard2): the day "
            "checks read the index led by StartTime of each server's CDRMAIN, which postgres_fdw does not show "
            "to the head; check it with nortesk-etp doctor --dsn SHARD on each server, SHARD a data source of its "
            "database, and create it there with nortesk-etp index --dsn SHARD\n";
  EXPECT_EQ(LastLine(headDoctor.out), shardLine);
}

TEST_P(ShardedHeadTest, IndexRefusesAndSendsTheUserToEachShard) {
  ToolRun run = Run(kHead, {"index"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  const std::string kind = GetParam() == "Spider" ? "a Spider table" : "partitioned over postgres_fdw foreign tables";
  EXPECT_EQ(run.err, "nortesk-etp: CDRMAIN in \"Internal Logger Database\" is " + kind +
                         ", whose rows are on its shards: an index made here would reach none of them. Run "
                         "\"nortesk-etp index --dsn SHARD\" on each shard, SHARD a data source of that shard's "
                         "database (README, \"Records on a sharded database\")\n");
}

TEST_P(ShardedHeadTest, DoctorNamesTheShardWithoutTheIndex) {
  // postgres_fdw shows the head no remote index: its line is the same
  // whatever the shards hold (above).
  if (GetParam() != "Spider") GTEST_SKIP() << "only a Spider head can ask its shards";
  ToolRun run = Run(kHeadOfAnUnindexedShard, {"doctor"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(LastLine(run.out),
            "FAIL  CDRMAIN is a Spider table, and the CDRMAIN of its shards on servers shard2 has no index led by "
            "StartTime, so every day checked there reads the whole table: create one on each with nortesk-etp "
            "index --dsn SHARD, SHARD a data source of that shard's database\n");
}

INSTANTIATE_SHARDED(ShardedHeadTest);

}  // namespace
