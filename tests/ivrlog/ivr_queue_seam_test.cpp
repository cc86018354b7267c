// The worker's queue and run step over the scripted ODBC driver: what Run
// executes on the live session, in what order and with what length, and
// that every buffer goes back to the pool.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ivrlog/ivr_log.h"
#include "ivrlog/ivr_time.h"
#include "ivrlog/message_pool.h"
#include "support/fake_odbc/fake_odbc.h"

namespace ivr_test {
namespace {

class IvrQueueSeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_odbc::Reset();
    SetLocalClock(2026, 5, 10, 12, 0);  // outside the night
    ASSERT_EQ(worker.OpenLiveSession("SarvoIVR"), 1);
    fake_odbc::Reset();
    inUse = MessagePool.InUseCount();
  }
  void TearDown() override {
    worker.liveSession.Disconnect();
    worker.backupSession.Disconnect();
  }
  WorkerMessage* Post(uint32_t type, const std::string& text) {
    WorkerMessage* message = MessagePool.TakeMessage(type, text.data(), static_cast<int32_t>(text.size()));
    EXPECT_NE(message, nullptr);
    EXPECT_EQ(worker.PostWorkerMessage(message), 1);
    return message;
  }
  int32_t Run() {
    testing::internal::CaptureStdout();
    int32_t result = worker.Run();
    printed = testing::internal::GetCapturedStdout();
    return result;
  }

  PinnedTime time{"Europe/Berlin"};
  CIvrLog worker;
  int32_t inUse = 0;
  std::string printed;
};

TEST_F(IvrQueueSeamTest, MessagesAreExecutedInTheOrderPosted) {
  Post(0, "INSERT INTO A VALUES (1)");
  Post(12, "UPDATE B SET x = 2");
  Post(7, "DELETE FROM C");
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(fake_odbc::ExecutedTexts(),
            (std::vector<std::string>{"INSERT INTO A VALUES (1)", "UPDATE B SET x = 2", "DELETE FROM C"}));
  EXPECT_TRUE(worker.pendingMessages.empty());
  EXPECT_EQ(MessagePool.InUseCount(), inUse);
  EXPECT_EQ(fake_odbc::FreedHandles(SQL_HANDLE_STMT), 3);  // each on a statement of its own
}

TEST_F(IvrQueueSeamTest, OnlyTypesTwoThreeFourAreLeftUnexecuted) {
  for (uint32_t type : {2u, 3u, 4u}) Post(type, "SELECT " + std::to_string(type));
  for (uint32_t type : {1u, 5u, 9u, 13u, 0xFFFFFFFFu}) Post(type, "SELECT " + std::to_string(type));
  Run();
  EXPECT_EQ(fake_odbc::ExecutedTexts(), (std::vector<std::string>{"SELECT 1", "SELECT 5", "SELECT 9", "SELECT 13",
                                                                   "SELECT 4294967295"}));
  EXPECT_EQ(MessagePool.InUseCount(), inUse);
}

TEST_F(IvrQueueSeamTest, TextIsExecutedWithExactlyItsLength) {
  // A message written by hand, its text followed by bytes that are not part
  // of it and no terminator.
  alignas(WorkerMessage) char raw[64];
  std::memset(raw, 'Z', sizeof raw);
  const char text[] = "INSERT INTO T VALUES (1)";
  WorkerMessage* message = new (raw) WorkerMessage{0, static_cast<int32_t>(std::strlen(text))};
  std::memcpy(message->Text(), text, std::strlen(text));
  ASSERT_EQ(worker.PostWorkerMessage(message), 1);
  std::vector<CMessagePool::Entry> before = MessagePool.entries;
  Run();
  EXPECT_EQ(fake_odbc::ExecutedLengths(), (std::vector<SQLINTEGER>{24}));
  EXPECT_EQ(fake_odbc::ExecutedTexts(), (std::vector<std::string>{text}));
  // The pool does not know the buffer: returning it changed nothing.
  ASSERT_EQ(MessagePool.entries.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(MessagePool.entries[i].inUse, before[i].inUse);
  EXPECT_EQ(raw[sizeof(WorkerMessage) + 24], 'Z');
}

TEST_F(IvrQueueSeamTest, EmptyOrUnsendableMessagesAreOnlyReturned) {
  Post(0, "");
  Run();
  EXPECT_EQ(fake_odbc::CountCalls("SQLAllocHandle"), 0);
  worker.liveSession.Disconnect();
  fake_odbc::Reset();
  Post(0, "SELECT 1");
  Run();
  EXPECT_EQ(fake_odbc::CountCalls("SQLExecDirect"), 0);
  EXPECT_EQ(MessagePool.InUseCount(), inUse);
}

TEST_F(IvrQueueSeamTest, FailedStatementDoesNotStopTheBatch) {
  fake_odbc::TheScript().execDirect = SQL_ERROR;
  Post(0, "BAD ONE");
  Post(0, "BAD TWO");
  Run();
  EXPECT_EQ(fake_odbc::ExecutedTexts(), (std::vector<std::string>{"BAD ONE", "BAD TWO"}));
  EXPECT_EQ(printed, "");  // reported to the trace only
  EXPECT_EQ(MessagePool.InUseCount(), inUse);
}

TEST_F(IvrQueueSeamTest, EmptyQueueStillRunsTheSchedule) {
  SetLocalClock(2026, 5, 10, 1, 30);
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(worker.scheduleStep, 1);
  EXPECT_EQ(fake_odbc::Calls().size(), 0u);
}

TEST_F(IvrQueueSeamTest, TypeTenMovesOldRowsOfBothTables) {
  Post(kMessageBackupOldRows, "");
  Run();
  EXPECT_EQ(printed, "Today is 2026/05/10\nRetain 3 month, begin date is 2026/02/01\n");
  // Besides the copies' reads, only the backup's move journal is read.
  std::vector<std::string> reads;
  for (const std::string& text : fake_odbc::ExecutedTexts()) {
    if (text.find("IVRMOVE") == std::string::npos) reads.push_back(text);
  }
  EXPECT_EQ(reads, (std::vector<std::string>{"SELECT * from IVRCALL where TimeStamp < '20260201000000'",
                                             "SELECT * from IVRDETAIL where TimeStamp < '20260201000000'"}));
  EXPECT_EQ(fake_odbc::CountCalls("SQLConnect"), 1);     // the backup, for this run only
  EXPECT_EQ(fake_odbc::CountCalls("SQLDisconnect"), 1);
  EXPECT_FALSE(worker.backupSession.IsOpen());
  EXPECT_STREQ(worker.lastRunDate, "20260510");
}

TEST_F(IvrQueueSeamTest, TypeElevenAsksTheBackupForItsFirstCall) {
  Post(kMessageRotateBackupFile, "");
  Run();
  EXPECT_EQ(fake_odbc::ExecutedTexts(), (std::vector<std::string>{"SELECT Min(TimeStamp) AS Expr1 FROM IVRCALL;"}));
  EXPECT_FALSE(worker.backupSession.IsOpen());
  EXPECT_EQ(MessagePool.InUseCount(), inUse);
}

TEST_F(IvrQueueSeamTest, LocksAreTakenAndReleased) {
  worker.queueLock = CreateMutexHandle();
  Post(0, "SELECT 1");
  Run();
  EXPECT_EQ(fake_odbc::ExecutedTexts().size(), 1u);
  ASSERT_EQ(WaitForMutex(worker.queueLock, 0), WaitResult::kAcquired);
  ReleaseMutex(worker.queueLock);
}

}  // namespace
}  // namespace ivr_test
