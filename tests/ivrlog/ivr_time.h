// Time and trace for the IVR worker's tests: a zone and a clock that the
// test moves by hand, a sleep that only records, and a trace log in a file.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/local_time.h"
#include "platform/sleep.h"
#include "trace/trace.h"

namespace ivr_test {

// --- Clock and sleep ---

inline int64_t& ClockMilliseconds() {
  static int64_t now = 0;
  return now;
}
inline int64_t ReadClock() { return ClockMilliseconds(); }

// Pins the zone of local time for this process.
inline void PinZone(const char* zone) {
  setenv("TZ", zone, 1);
  tzset();
}

// Sets the pinned clock to a local date and time of the pinned zone.
inline void SetLocalClock(int year, int month, int day, int hour, int minute, int second = 0) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  ClockMilliseconds() = static_cast<int64_t>(std::mktime(&local)) * 1000;
}

// Every wait asked for, in order, with the local minute of day it was asked at.
struct SleepRecord {
  uint32_t milliseconds;
  int minuteOfDay;
};
inline std::vector<SleepRecord>& Sleeps() {
  static std::vector<SleepRecord> sleeps;
  return sleeps;
}
inline void RecordSleep(uint32_t milliseconds) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  Sleeps().push_back({milliseconds, now.wHour * 60 + now.wMinute});
}

// Pins zone, clock and sleep for the lifetime of the object.
class PinnedTime {
 public:
  explicit PinnedTime(const char* zone = "Europe/Berlin") {
    PinZone(zone);
    SetClockForTesting(&ReadClock);
    SetSleepForTesting(&RecordSleep);
    Sleeps().clear();
  }
  ~PinnedTime() {
    SetClockForTesting(nullptr);
    SetSleepForTesting(nullptr);
  }
};

// --- Trace ---

// Opens the process trace on a file of its own in `folder`; Text() reads
// what was logged. The file is removed again.
class TraceCapture {
 public:
  explicit TraceCapture(const std::string& folder) {
    std::string pattern = folder + "/ivr-trace-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd >= 0) close(fd);
    path_ = pattern;
    ProcessTrace.Open(path_.c_str(), kTraceToFile);
  }
  ~TraceCapture() {
    ProcessTrace.Close();
    std::filesystem::remove(path_);
  }
  std::string Text() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }
  bool Has(const std::string& text) const { return Text().find(text) != std::string::npos; }

 private:
  std::string path_;
};

}  // namespace ivr_test
