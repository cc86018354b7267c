// The twelve-step night of the worker, driven through CheckSchedule with a
// pinned clock; the backup data source is left unnamed, so the maintenance
// steps stop at once.
#include <gtest/gtest.h>

#include <string>

#include "ivrlog/ivr_log.h"
#include "ivrlog/ivr_time.h"

namespace ivr_test {
namespace {

class IvrScheduleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    worker.backupDataSource = "";
    testing::internal::CaptureStdout();
  }
  void TearDown() override { testing::internal::GetCapturedStdout(); }
  // The step after one CheckSchedule at `hour` from `step`.
  int32_t After(int32_t step, int hour) {
    worker.scheduleStep = step;
    SetLocalClock(2026, 5, 10, hour, 30);
    worker.CheckSchedule();
    return worker.scheduleStep;
  }
  PinnedTime time{"Europe/Berlin"};
  TraceCapture trace{"/tmp"};
  CIvrLog worker;
};

TEST_F(IvrScheduleTest, StateTable) {
  for (int32_t step = 0; step <= 12; ++step) {
    EXPECT_EQ(After(step, 1), 1) << step;
    EXPECT_EQ(After(step, 0), step) << step;
    EXPECT_EQ(After(step, 3), step) << step;
    EXPECT_EQ(After(step, 23), step) << step;
  }
  EXPECT_EQ(After(0, 2), 0);
  for (int32_t step = 1; step <= 11; ++step) EXPECT_EQ(After(step, 2), step + 1) << step;
  EXPECT_FALSE(trace.Has("Midnight task is done"));
  EXPECT_EQ(After(12, 2), 0);
  EXPECT_TRUE(trace.Has("Midnight task is done. (IvrLog-273)"));
}

TEST_F(IvrScheduleTest, NightEndingBeforeItsTwelfthStepResumesNextNight) {
  for (int minute = 50; minute < 60; ++minute) {
    SetLocalClock(2026, 5, 10, 1, minute);
    worker.Run();
  }
  for (int minute = 55; minute < 60; ++minute) {
    SetLocalClock(2026, 5, 10, 2, minute);
    worker.Run();
  }
  EXPECT_EQ(worker.scheduleStep, 6);
  SetLocalClock(2026, 5, 10, 3, 0);
  worker.Run();
  EXPECT_EQ(worker.scheduleStep, 6);  // kept through the day
  SetLocalClock(2026, 5, 11, 1, 0);
  worker.Run();
  EXPECT_EQ(worker.scheduleStep, 1);  // the next night starts over
}

TEST_F(IvrScheduleTest, HourOneOfEveryNightArmsAgain) {
  for (int day = 10; day <= 12; ++day) {
    SetLocalClock(2026, 5, day, 1, 59);
    worker.Run();
    for (int minute = 0; minute < 12; ++minute) {
      SetLocalClock(2026, 5, day, 2, minute);
      worker.Run();
    }
    EXPECT_EQ(worker.scheduleStep, 0);
  }
  std::string log = trace.Text();
  size_t count = 0;
  for (size_t at = log.find("Midnight task is done"); at != std::string::npos;
       at = log.find("Midnight task is done", at + 1)) {
    ++count;
  }
  EXPECT_EQ(count, 3u);
}

TEST_F(IvrScheduleTest, NightWithoutItsSecondHourWorksInTheFirstMinuteAfterTheJump) {
  // 29 March 2026: the clock goes from 01:59:59 to 03:00:00.
  SetLocalClock(2026, 3, 29, 1, 59);
  worker.Run();
  SetLocalClock(2026, 3, 29, 3, 0);
  worker.Run();
  EXPECT_EQ(worker.scheduleStep, 0);
  EXPECT_EQ(worker.failedSteps, 2);  // both steps were taken (and stopped: no backup)
  EXPECT_TRUE(trace.Has("Midnight task is done. (IvrLog-273)"));
  // On an ordinary night a host that sleeps through hour 2 finds nothing done.
  SetLocalClock(2026, 5, 10, 1, 59);
  worker.Run();
  SetLocalClock(2026, 5, 10, 3, 0);
  worker.Run();
  EXPECT_EQ(worker.scheduleStep, 1);
}

}  // namespace
}  // namespace ivr_test
