#include "platform/local_time.h"

#include <ctime>

namespace {

void FillFields(const std::tm& tm, uint16_t milliseconds, SYSTEMTIME* out) {
  out->wYear = static_cast<uint16_t>(tm.tm_year + 1900);
  out->wMonth = static_cast<uint16_t>(tm.tm_mon + 1);
  out->wDayOfWeek = static_cast<uint16_t>(tm.tm_wday);
  out->wDay = static_cast<uint16_t>(tm.tm_mday);
  out->wHour = static_cast<uint16_t>(tm.tm_hour);
  out->wMinute = static_cast<uint16_t>(tm.tm_min);
  out->wSecond = static_cast<uint16_t>(tm.tm_sec);
  out->wMilliseconds = milliseconds;
}

int64_t (*testClock)() = nullptr;

int64_t NowMilliseconds() {
  if (testClock != nullptr) return testClock();
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0); }

}  // namespace

void SetClockForTesting(int64_t (*now)()) { testClock = now; }

void GetLocalTime(SYSTEMTIME* out) {
  int64_t milliseconds = NowMilliseconds();
  int64_t seconds = FloorDiv(milliseconds, 1000);
  std::tm tm{};
  time_t t = static_cast<time_t>(seconds);
  localtime_r(&t, &tm);
  FillFields(tm, static_cast<uint16_t>(milliseconds - seconds * 1000), out);
}

int64_t CurrentEpochSeconds() { return FloorDiv(NowMilliseconds(), 1000); }

bool EpochToUtcFields(int64_t epochSeconds, SYSTEMTIME* out) {
  std::tm tm{};
  time_t seconds = static_cast<time_t>(epochSeconds);
  if (gmtime_r(&seconds, &tm) == nullptr) return false;
  FillFields(tm, 0, out);
  return true;
}

bool EpochToLocalFields(int64_t epochSeconds, SYSTEMTIME* out) {
  std::tm tm{};
  time_t seconds = static_cast<time_t>(epochSeconds);
  if (localtime_r(&seconds, &tm) == nullptr) return false;
  FillFields(tm, 0, out);
  return true;
}

int32_t UtcOffsetAt(int64_t epochSeconds) {
  std::tm tm{};
  time_t seconds = static_cast<time_t>(epochSeconds);
  if (localtime_r(&seconds, &tm) == nullptr) return 0;
  return static_cast<int32_t>(tm.tm_gmtoff);
}
