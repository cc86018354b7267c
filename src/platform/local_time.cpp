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

}  // namespace

void GetLocalTime(SYSTEMTIME* out) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm tm{};
  time_t seconds = now.tv_sec;
  localtime_r(&seconds, &tm);
  FillFields(tm, static_cast<uint16_t>(now.tv_nsec / 1000000), out);
}

int64_t CurrentEpochSeconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec;
}

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
