#include "loader/read_file_data.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

class ReadFileDataTest : public ::testing::Test {
 protected:
  void SetUp() override { path = ::testing::TempDir() + "read-file-data-" + std::to_string(getpid()); }
  void TearDown() override { std::remove(path.c_str()); }
  void Write(const std::string& content) { std::ofstream(path, std::ios::binary) << content; }
  std::string path;
};

TEST_F(ReadFileDataTest, ReadsUpToTheLimitAndNoFurther) {
  std::string content;
  for (int i = 0; i < 10000; ++i) content.push_back(static_cast<char>('a' + i % 26));
  Write(content);
  char buffer[4100];
  std::memset(buffer, '#', sizeof buffer);
  int32_t size = 4096;
  EXPECT_EQ(ReadFileData(path.c_str(), buffer, &size), 1);
  EXPECT_EQ(size, 4096);
  EXPECT_EQ(std::string(buffer, 4096), content.substr(0, 4096));
  EXPECT_EQ(std::string(buffer + 4096, 4), "####");
}

TEST_F(ReadFileDataTest, ShortFileGivesItsOwnCount) {
  Write("x");
  char buffer[16] = {};
  int32_t size = sizeof buffer;
  EXPECT_EQ(ReadFileData(path.c_str(), buffer, &size), 1);
  EXPECT_EQ(size, 1);
  EXPECT_STREQ(buffer, "x");
}

TEST_F(ReadFileDataTest, EmptyOrMissingFileReadsNothing) {
  char buffer[16] = {};
  int32_t size = sizeof buffer;
  EXPECT_EQ(ReadFileData(path.c_str(), buffer, &size), 0);  // not there
  EXPECT_EQ(size, 16);
  Write("");
  EXPECT_EQ(ReadFileData(path.c_str(), buffer, &size), 0);
  EXPECT_EQ(size, 0);
  size = sizeof buffer;
  EXPECT_EQ(ReadFileData(::testing::TempDir().c_str(), buffer, &size), 0);  // a folder
}

TEST_F(ReadFileDataTest, RefusedArgumentsChangeNothing) {
  Write("content");
  char buffer[16] = {};
  int32_t size = sizeof buffer;
  EXPECT_EQ(ReadFileData("", buffer, &size), 0);
  EXPECT_EQ(ReadFileData(nullptr, buffer, &size), 0);
  EXPECT_EQ(ReadFileData(path.c_str(), nullptr, &size), 0);
  EXPECT_EQ(ReadFileData(path.c_str(), buffer, nullptr), 0);
  EXPECT_EQ(size, 16);
  for (int32_t refused : {0, -1}) {
    size = refused;
    EXPECT_EQ(ReadFileData(path.c_str(), buffer, &size), 0);
    EXPECT_EQ(size, refused);
  }
  EXPECT_STREQ(buffer, "");
}

}  // namespace
