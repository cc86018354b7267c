// The worker base, the IVR worker's starting state and the message pool.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ivrlog/ivr_log.h"
#include "ivrlog/message_pool.h"

namespace {

TEST(WorkerTest, StartsIdle) {
  CWorker worker;
  EXPECT_EQ(worker.text, "");
  EXPECT_EQ(worker.status, 0);
  EXPECT_EQ(worker.firstHandle, nullptr);
  EXPECT_EQ(worker.queueLock, nullptr);
  EXPECT_EQ(worker.thirdHandle, nullptr);
  EXPECT_EQ(worker.counter, 0);
  for (const CWorker::Slot& slot : worker.slots) {
    EXPECT_EQ(slot.identifier, -1);
    EXPECT_EQ(slot.value, 0);
  }
  EXPECT_EQ(worker.tailValue, 0);
  EXPECT_EQ(worker.setting, 1000);
  EXPECT_EQ(worker.Start(), 1);
  EXPECT_EQ(worker.Command(5), 1);
  EXPECT_EQ(worker.Run(), 1);
  EXPECT_EQ(worker.Stop(), 1);
}

TEST(WorkerTest, ResetStateTwiceClosesEachHandleOnce) {
  CWorker worker;
  worker.firstHandle = CreateMutexHandle();
  worker.queueLock = CreateMutexHandle();
  worker.thirdHandle = CreateMutexHandle();
  worker.text = "kept";
  worker.setting = 7;
  worker.status = worker.counter = worker.tailValue = 3;
  worker.slots[4] = {9, 9};
  worker.ResetState(0);
  worker.ResetState(0);  // a second close of any handle would be a double free
  EXPECT_EQ(worker.firstHandle, nullptr);
  EXPECT_EQ(worker.queueLock, nullptr);
  EXPECT_EQ(worker.thirdHandle, nullptr);
  EXPECT_EQ(worker.status, 0);
  EXPECT_EQ(worker.counter, 0);
  EXPECT_EQ(worker.tailValue, 0);
  EXPECT_EQ(worker.slots[4].identifier, -1);
  EXPECT_EQ(worker.slots[4].value, 0);
  EXPECT_EQ(worker.text, "kept");
  EXPECT_EQ(worker.setting, 7);
}

TEST(IvrLogTest, StartsIdleWithTheWrittenNames) {
  CIvrLog worker;
  EXPECT_EQ(worker.retainMonths, 3);
  EXPECT_EQ(worker.backupRetainMonths, 6);
  EXPECT_TRUE(worker.pendingMessages.empty());
  EXPECT_EQ(worker.firstSetting, 0);
  EXPECT_EQ(worker.secondSetting, 1);
  EXPECT_EQ(worker.scheduleStep, 0);
  EXPECT_FALSE(worker.liveSession.IsOpen());
  EXPECT_FALSE(worker.backupSession.IsOpen());
  EXPECT_EQ(worker.liveSession.connectStage, 0);
  EXPECT_STREQ(worker.lastRunDate, "");
  EXPECT_EQ(worker.backupDataSource, "SarvoIVR_bak");
  EXPECT_EQ(worker.backupFilePath, "C:\\OrviDB\\InternalDB\\SarvoIVR_bak.mdb");
  EXPECT_EQ(worker.setAsidePrefix, "C:\\OrviDB\\InternalDB\\SarvoIVR_bak");
  EXPECT_EQ(worker.newBackupSourcePath, "C:\\SarvoIVR\\SarvoIVR.mdb");
  EXPECT_EQ(worker.setting, 1000);
}

TEST(IvrLogTest, DestructionDropsTheQueueWithoutReturningBuffers) {
  CMessagePool& pool = MessagePool;
  int32_t inUse = pool.InUseCount();
  WorkerMessage* message = pool.TakeMessage(0, "SELECT 1", 8);
  ASSERT_NE(message, nullptr);
  {
    CIvrLog worker;
    ASSERT_EQ(worker.PostWorkerMessage(message), 1);
  }
  EXPECT_EQ(pool.InUseCount(), inUse + 1);
  pool.ReturnBuffer(message);
  EXPECT_EQ(pool.InUseCount(), inUse);
}

TEST(MessagePoolTest, MessageLayout) {
  CMessagePool pool;
  WorkerMessage* message = pool.TakeMessage(12, "abc", 3);
  ASSERT_NE(message, nullptr);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(message);
  uint32_t type = 0;
  int32_t length = 0;
  std::memcpy(&type, bytes, 4);
  std::memcpy(&length, bytes + 4, 4);
  EXPECT_EQ(type, 12u);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 8), 3), "abc");
  ASSERT_EQ(pool.entries.size(), 1u);
  EXPECT_EQ(pool.entries[0].size, 11);
  EXPECT_EQ(pool.entries[0].inUse, 1);
  // Room for two more bytes than the size, all zero after the text.
  EXPECT_EQ(bytes[11], 0);
  EXPECT_EQ(bytes[12], 0);
}

TEST(MessagePoolTest, RefusesWhatCannotBeAMessage) {
  CMessagePool pool;
  EXPECT_EQ(pool.TakeBuffer(-1), nullptr);
  EXPECT_EQ(pool.TakeBuffer(INT32_MAX), nullptr);
  EXPECT_EQ(pool.TakeMessage(0, "x", -1), nullptr);
  EXPECT_EQ(pool.TakeMessage(0, nullptr, 3), nullptr);
  EXPECT_EQ(pool.TakeMessage(0, "x", INT32_MAX - 4), nullptr);
  EXPECT_TRUE(pool.entries.empty());
  EXPECT_NE(pool.TakeMessage(kMessageBackupOldRows, nullptr, 0), nullptr);
}

TEST(MessagePoolTest, ReturnedBuffersAreClearedAndHandedOutAgain) {
  CMessagePool pool;
  char* first = pool.TakeBuffer(10);
  char* second = pool.TakeBuffer(4);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  std::memset(first, 'x', 12);
  pool.ReturnBuffer(first);
  EXPECT_EQ(pool.entries[0].inUse, 0);
  EXPECT_EQ(pool.entries[1].inUse, 1);
  EXPECT_EQ(std::string(first, 12), std::string(12, '\0'));
  char* third = pool.TakeBuffer(20);  // the free one is too small
  ASSERT_EQ(pool.entries.size(), 3u);
  EXPECT_EQ(third, pool.entries[2].buffer);
  EXPECT_EQ(pool.TakeBuffer(6), first);
  EXPECT_EQ(pool.InUseCount(), 3);
}

TEST(MessagePoolTest, UnknownPointerChangesNothing) {
  CMessagePool pool;
  char* buffer = pool.TakeBuffer(6);
  std::memcpy(buffer, "abcdefgh", 8);
  char stranger[16] = "stranger";
  pool.ReturnBuffer(stranger);
  pool.ReturnBuffer(buffer + 1);
  pool.ReturnBuffer(nullptr);
  ASSERT_EQ(pool.entries.size(), 1u);
  EXPECT_EQ(pool.entries[0].inUse, 1);
  EXPECT_EQ(std::string(buffer, 8), "abcdefgh");
  EXPECT_STREQ(stranger, "stranger");
}

TEST(MessagePoolTest, WorksWithItsLock) {
  CMessagePool pool;
  pool.lock = CreateMutexHandle();
  char* buffer = pool.TakeBuffer(4);
  ASSERT_NE(buffer, nullptr);
  pool.ReturnBuffer(buffer);
  EXPECT_EQ(pool.InUseCount(), 0);
  // Released after each operation.
  ASSERT_EQ(WaitForMutex(pool.lock, 0), WaitResult::kAcquired);
  ReleaseMutex(pool.lock);
}

}  // namespace
