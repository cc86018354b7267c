#include "trace/trace.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <cctype>
#include <string>
#include <thread>

#include "platform/thread_identity.h"
#include "support/backend.h"

namespace {

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = ::testing::TempDir() + "trace-" + std::to_string(::getpid()) + "-" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    path = dir + "/trace.log";
    MutexFailCount = 0;
  }
  void TearDown() override {
    trace.Close();
    std::filesystem::remove_all(dir);
  }
  // Length of the stamped line for a message of `length` characters.
  size_t LineLengthFor(size_t length) {
    COTrace probe;
    std::string probePath = dir + "/probe.log";
    EXPECT_EQ(probe.Open(probePath.c_str(), kTraceToFile | kTraceBuffered), 1);
    probe.LogTrace("Mod", 1, std::string(length, 'p').c_str());
    size_t n = probe.bufferedLength;
    probe.Close();
    return n;
  }
  std::string dir, path;
  COTrace trace;
};

TEST_F(TraceTest, ClosedOrSilentTraceDropsEverything) {
  testing::internal::CaptureStdout();
  Trace("OSql", 1, "dropped %d", 1);
  trace.LogTrace("OSql", 2, "dropped");
  trace.Close();
  ASSERT_EQ(trace.Open(path.c_str(), kTraceToConsole), 1);
  trace.flags = 0;
  trace.LogTrace("OSql", 3, "dropped");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(MutexFailCount.load(), 0u);
  EXPECT_EQ(trace.Open("", kTraceToFile), 0);
  EXPECT_EQ(trace.Open(path.c_str(), 0), 0);
  EXPECT_EQ(trace.isOpen, 0);
}

TEST_F(TraceTest, LineFormatAndOutputs) {
  ASSERT_EQ(trace.Open(path.c_str(), kTraceToFile | kTraceToConsole), 1);
  testing::internal::CaptureStdout();
  trace.LogTrace("src/db/OSql", 120, "Failed to connect with database, -1");
  trace.LogTrace("IvrLog", 273, "ends in a break\r\n");
  std::string out = testing::internal::GetCapturedStdout();
  // "<thread>-<mm/dd HH:MM:SS>: " then the message, the module and the line.
  auto isStamp = [](const std::string& text) {
    const std::string shape = "-00/00 00:00:00: ";
    if (text.size() != shape.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i) {
      if (shape[i] == '0' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != shape[i]) return false;
    }
    return true;
  };
  std::string first = "Failed to connect with database, -1. (OSql-120)\r\n";
  std::string second = "ends in a break\r\n. (IvrLog-273)\r\n";
  std::string thread = std::to_string(CurrentThreadId());
  ASSERT_EQ(out.size(), 2 * (thread.size() + 17) + first.size() + second.size()) << out;
  EXPECT_EQ(out.substr(0, thread.size()), thread);
  EXPECT_TRUE(isStamp(out.substr(thread.size(), 17))) << out;
  size_t secondLine = thread.size() + 17 + first.size();
  EXPECT_EQ(out.substr(secondLine, thread.size()), thread);
  EXPECT_TRUE(isStamp(out.substr(secondLine + thread.size(), 17))) << out;
  EXPECT_EQ(out.substr(thread.size() + 17, first.size()), first) << out;
  EXPECT_EQ(out.substr(out.size() - second.size()), second) << out;
  trace.Close();
  EXPECT_EQ(ReadWholeFile(path), out);  // the file gets the same lines
}

TEST_F(TraceTest, OverlongMessagesAreCut) {
  ASSERT_EQ(trace.Open(path.c_str(), kTraceToFile), 1);
  std::string huge(5000, 'x');
  Trace("OSql", 1, "%s", huge.c_str());  // ProcessTrace is closed: formatted, dropped
  trace.LogTrace("OSql", 1, huge.c_str());
  trace.Close();
  std::string written = ReadWholeFile(path);
  EXPECT_EQ(written.size(), 511u);
}

TEST_F(TraceTest, BufferedLinesBatchBelowTheBufferSize) {
  const size_t overhead = LineLengthFor(10) - 10;
  auto line = [&](size_t length, char fill) { return std::string(length - overhead, fill); };
  ASSERT_EQ(trace.Open(path.c_str(), kTraceToFile | kTraceBuffered), 1);
  trace.LogTrace("Mod", 1, line(480, 'a').c_str());
  trace.LogTrace("Mod", 1, line(480, 'b').c_str());
  ASSERT_EQ(trace.bufferedLength, 960u);
  trace.LogTrace("Mod", 1, line(63, 'c').c_str());
  EXPECT_EQ(trace.bufferedLength, 1023u);  // still fits with its terminator
  EXPECT_EQ(trace.buffer[1023], '\0');
  EXPECT_EQ(ReadWholeFile(path), "");
  trace.LogTrace("Mod", 1, line(40, 'd').c_str());
  EXPECT_EQ(trace.bufferedLength, 40u);  // would not fit: the 1023 bytes went out first
  EXPECT_EQ(ReadWholeFile(path).size(), 1023u);

  // 960 held and a line of 64 bytes: 1024 is already too many.
  trace.Close();
  std::filesystem::remove(path);
  ASSERT_EQ(trace.Open(path.c_str(), kTraceToFile | kTraceBuffered), 1);
  trace.LogTrace("Mod", 1, line(480, 'a').c_str());
  trace.LogTrace("Mod", 1, line(480, 'b').c_str());
  trace.LogTrace("Mod", 1, line(64, 'e').c_str());
  EXPECT_EQ(trace.bufferedLength, 64u);
  EXPECT_EQ(ReadWholeFile(path).size(), 960u);
  trace.Close();
  EXPECT_EQ(ReadWholeFile(path).size(), 1024u);  // Close writes out what is held
}

TEST_F(TraceTest, RotatesOnlyAboveOneMebibyte) {
  {
    std::ofstream seed(path, std::ios::binary);
    seed << std::string(kTraceRotateSize, 'o');
    std::ofstream old(path + ".bak");
    old << "older generation";
  }
  ASSERT_EQ(trace.Open(path.c_str(), kTraceToFile), 1);
  trace.LogTrace("Mod", 1, "first");
  EXPECT_FALSE(ReadWholeFile(path + ".bak") == std::string(kTraceRotateSize, 'o'));
  const auto grown = std::filesystem::file_size(path);
  EXPECT_GT(grown, static_cast<uintmax_t>(kTraceRotateSize));  // exactly 1 MiB: appended
  trace.LogTrace("Mod", 1, "second");
  std::string backup = ReadWholeFile(path + ".bak");
  EXPECT_EQ(backup.size(), grown);  // the old log replaced the older generation
  std::string fresh = ReadWholeFile(path);
  EXPECT_NE(fresh.find("second"), std::string::npos);
  EXPECT_EQ(fresh.find("first"), std::string::npos);
  EXPECT_LT(fresh.size(), 100u);
}

TEST_F(TraceTest, FailedWaitsAreCountedAndNoted) {
  ASSERT_EQ(trace.Open(path.c_str(), kTraceToFile), 1);
  std::mutex m;
  std::condition_variable changed;
  bool held = false, release = false;
  std::thread holder([&] {
    ASSERT_EQ(WaitForMutex(trace.mutexHandle, 1000), WaitResult::kAcquired);
    std::unique_lock<std::mutex> lock(m);
    held = true;
    changed.notify_all();
    changed.wait(lock, [&] { return release; });
    ReleaseMutex(trace.mutexHandle);
  });
  {
    std::unique_lock<std::mutex> lock(m);
    changed.wait(lock, [&] { return held; });
  }
  MutexFailCount = 10;
  testing::internal::CaptureStdout();
  trace.LogTrace("src/ivrlog/IvrLog", 407, "lost");  // times out: the eleventh failed wait
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failed to wait for mutex in src/ivrlog/IvrLog-407");
  EXPECT_EQ(MutexFailCount.load(), 11u);
  {
    std::lock_guard<std::mutex> lock(m);
    release = true;
    changed.notify_all();
  }
  holder.join();

  trace.LogTrace("Mod", 1, "after");
  std::string log = ReadWholeFile(path);
  EXPECT_NE(log.find("after. (Mod-1)\r\nMutex failed 11 times\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("lost"), std::string::npos);
  EXPECT_EQ(MutexFailCount.load(), 12u);
  trace.LogTrace("Mod", 1, "again");
  EXPECT_EQ(ReadWholeFile(path).find("Mutex failed 12"), std::string::npos);
  MutexFailCount = 22;
  trace.LogTrace("Mod", 1, "later");
  EXPECT_NE(ReadWholeFile(path).find("Mutex failed 22 times\r\n"), std::string::npos);
}

}  // namespace
