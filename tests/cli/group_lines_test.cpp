// The lines installed per group: --lines GROUP=N and the CSV of
// --lines-file, whose group names are any text.
#include "cli/group_lines.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(GroupLinesTest, TheLastEqualsSignSplitsAndBadCountsOrTwiceAreRefused) {
  GroupLines lines;
  std::string reason;
  ASSERT_TRUE(AddGroupLines("a=b=24", &lines, &reason));
  EXPECT_EQ(lines.at("a=b"), 24);
  ASSERT_TRUE(AddGroupLines("=3", &lines, &reason));  // the group of no value
  EXPECT_EQ(lines.at(""), 3);
  for (const char* bad : {"site", "site=", "site=0", "site=-1", "site=2x", "site=100001", "a=b=5"}) {
    EXPECT_FALSE(AddGroupLines(bad, &lines, &reason)) << bad;
  }
  EXPECT_EQ(reason, "group \"a=b\" is given twice");
}

TEST(GroupLinesTest, TheFileCarriesQuotedNamesAndNamesTheLineOfABadRow) {
  const std::string path = testing::TempDir() + "group_lines.csv";
  {
    std::ofstream file(path, std::ios::binary);
    file << "group,lines\r\n\"site, \"\"north\"\"\",24\n\"two\nlines\",5\n\nsouth,20\n";
  }
  GroupLines lines;
  std::string reason;
  ASSERT_TRUE(ReadGroupLinesFile(path, &lines, &reason)) << reason;
  EXPECT_EQ(lines, (GroupLines{{"site, \"north\"", 24}, {"two\nlines", 5}, {"south", 20}}));
  {
    std::ofstream file(path, std::ios::binary);
    file << "\"a\nb\",1\nnorth,24,2\n";
  }
  lines.clear();
  EXPECT_FALSE(ReadGroupLinesFile(path, &lines, &reason));
  EXPECT_EQ(reason, path + " line 3: a row \"group,lines\" is needed");
  EXPECT_FALSE(ReadGroupLinesFile(path + ".none", &lines, &reason));
  EXPECT_EQ(reason, "cannot read " + path + ".none: No such file or directory");
}

}  // namespace
