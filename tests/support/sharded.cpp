#include "support/sharded.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

const char* Env(const char* name) {
  const char* value = std::getenv(name);
  return (value != nullptr && value[0] != '\0') ? value : nullptr;
}

// The head's database and the single server's, on the same server.
constexpr char kHeadDatabase[] = "nortesk";
constexpr char kSingleDatabase[] = "nortesk_single";
constexpr char kBareDatabase[] = "nortesk_bare";

std::string Section(const std::string& engine, const char* database) {
  if (engine == "Spider") {
    return std::string("[Internal Logger Database]\nDriver=MariaDB Unicode\nSocket=") + Env("NORTESK_SPIDER_SOCKET") +
           "\nDatabase=" + database + "\nUser=root\n";
  }
  // CommLog=0: no communication log file per session (see backend.cpp).
  return std::string("[Internal Logger Database]\nDriver=PostgreSQL ANSI\nServername=") + Env("NORTESK_PGSHARD_HOST") +
         "\nPort=" + Env("NORTESK_PGSHARD_PORT") + "\nDatabase=" + database + "\nUsername=postgres\nCommLog=0\n";
}

std::string IniPath(const std::string& scratch, Holder holder) {
  return scratch + (holder == kHead ? "/head.ini" : holder == kSingle ? "/single.ini" : "/bare.ini");
}

}  // namespace

void ShardedTest::SetUp() {
  const bool spider = GetParam() == "Spider";
  const bool there = spider ? Env("NORTESK_SPIDER_SOCKET") != nullptr
                            : Env("NORTESK_PGSHARD_HOST") != nullptr && Env("NORTESK_PGSHARD_PORT") != nullptr;
  if (!there) {
    if (Env(spider ? "NORTESK_REQUIRE_SPIDER" : "NORTESK_REQUIRE_PGSHARD") != nullptr) {
      FAIL() << GetParam() << " head required but not given (scripts/test starts it)";
    }
    GTEST_SKIP() << "no " << GetParam() << " head (run through scripts/test)";
  }
  char pattern[] = "/tmp/nortesk-sharded-XXXXXX";
  const char* made = mkdtemp(pattern);
  ASSERT_NE(made, nullptr);
  scratch_ = made;
  std::ofstream(IniPath(scratch_, kHead)) << Section(GetParam(), kHeadDatabase);
  std::ofstream(IniPath(scratch_, kSingle)) << Section(GetParam(), kSingleDatabase);
  if (spider) std::ofstream(IniPath(scratch_, kHeadOfAnUnindexedShard)) << Section(GetParam(), kBareDatabase);
}

void ShardedTest::TearDown() {
  unsetenv("ODBCINI");
  std::error_code ignored;
  if (!scratch_.empty()) std::filesystem::remove_all(scratch_, ignored);
}

ToolRun ShardedTest::RunOn(Holder holder, const std::string& input, ToolOptions options) {
  setenv("ODBCINI", IniPath(scratch_, holder).c_str(), 1);
  return RunTool(input, options);
}
