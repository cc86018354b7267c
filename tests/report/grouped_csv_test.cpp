// The CSV files of a plan by groups: each group's records are those of
// its own plain files after its name as RFC 4180 quotes it, and groups.csv
// holds the summaries in the order given.
#include "report/grouped_csv.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/plan_years.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// `text`'s records after its header row, each with `field` in front.
std::string RecordsAfter(const std::string& field, const std::string& text) {
  std::string records;
  for (size_t at = text.find("\r\n") + 2; at < text.size();) {
    const size_t end = text.find("\r\n", at) + 2;
    records += field + "," + text.substr(at, end - at);
    at = end;
  }
  return records;
}

class GroupedCsvFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::testing::TempDir() + "grouped-csv-" + std::to_string(getpid());
    for (const char* folder : {"/grouped", "/none", "/hostile"}) std::filesystem::create_directories(dir_ + folder);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void WritePlain(const std::string& dir, const std::vector<DayFigures>& days, const CapacityPlan& plan) {
    std::string error;
    ASSERT_TRUE(WriteDaysCsv(dir, days, plan, &error) && WriteMonthsCsv(dir, plan, &error) &&
                WriteProfileCsv(dir, plan, &error) && WriteBacktestCsv(dir, plan, &error))
        << error;
  }

  std::string dir_;
};

TEST_F(GroupedCsvFilesTest, EachGroupsRecordsAreItsPlainOnesAfterItsQuotedName) {
  const std::vector<DayFigures> days = GrowingYear();
  const CapacityPlan none = MakeCapacityPlan(days, GrowingYearRequest(0));
  const CapacityPlan hostile = MakeCapacityPlan(days, GrowingYearRequest(none.linesNeededNow + 1));
  ASSERT_EQ(hostile.verdict.outlook, LinesOutlook::kRunsOut);
  const std::string name = "east, \"wing\"\nB";
  const std::string field = "\"east, \"\"wing\"\"\nB\"";
  std::string error;
  GroupedCsvFiles files;
  ASSERT_TRUE(files.Open(dir_ + "/grouped", &error)) << error;
  ASSERT_TRUE(files.Add("", days, none, &error)) << error;
  ASSERT_TRUE(files.Add(name, days, hostile, &error)) << error;
  ASSERT_TRUE(files.Finish({SummaryOfGroup(name, hostile), SummaryOfGroup("", none)}, &error)) << error;
  WritePlain(dir_ + "/none", days, none);
  WritePlain(dir_ + "/hostile", days, hostile);
  for (const char* file : {kDaysCsvName, kMonthsCsvName, kProfileCsvName, kBacktestCsvName}) {
    const std::string plainNone = ReadFile(dir_ + "/none/" + file);
    const std::string plainHostile = ReadFile(dir_ + "/hostile/" + file);
    ASSERT_NE(plainNone.find("\r\n"), std::string::npos) << file;
    EXPECT_EQ(ReadFile(dir_ + "/grouped/" + file), "group," + plainNone.substr(0, plainNone.find("\r\n") + 2) +
                                                       RecordsAfter("(none)", plainNone) +
                                                       RecordsAfter(field, plainHostile))
        << file;
  }
  const MonthPlan& out = hostile.months[static_cast<size_t>(hostile.verdict.runsOutAt)];
  char runsOut[16], blocking[16];
  std::snprintf(runsOut, sizeof runsOut, "%04d-%02d", static_cast<int>(out.year), static_cast<int>(out.month));
  std::snprintf(blocking, sizeof blocking, "%.4f", hostile.verdict.blockingNow);
  const std::string needed = std::to_string(none.linesNeededNow), calls = std::to_string(none.calls);
  EXPECT_EQ(ReadFile(dir_ + "/grouped/" + kGroupsCsvName),
            "group,lines_needed,lines_installed,verdict,short_by,runs_out_month,blocking_now,blocking_replayed,calls\r\n" +
                field + "," + needed + "," + std::to_string(none.linesNeededNow + 1) + ",runs-out,," + runsOut + "," +
                blocking + ",," + calls + "\r\n(none)," + needed + ",,no-lines,,,,," + calls + "\r\n");

  // A folder that cannot take the files: the reason names the file, and
  // nothing is added after.
  GroupedCsvFiles absent;
  EXPECT_FALSE(absent.Open(dir_ + "/absent", &error));
  EXPECT_NE(error.find(dir_ + "/absent/" + kDaysCsvName), std::string::npos) << error;
  EXPECT_FALSE(absent.Add("", days, none, &error));
}

}  // namespace
