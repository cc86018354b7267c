#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// A directory opens for reading but fails every read: the copy must fail
// rather than take the failure for the end of the file.
TEST(CopyFilePath, FailedReadFailsTheCopyAndLeavesNoTarget) {
  char pattern[] = "/tmp/nortesk-files-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::string folder = pattern;
  std::string target = folder + "/copy";
  EXPECT_FALSE(CopyFilePath(folder.c_str(), target.c_str(), true));
  EXPECT_FALSE(std::filesystem::exists(target));
  std::filesystem::remove_all(folder);
}

}  // namespace
