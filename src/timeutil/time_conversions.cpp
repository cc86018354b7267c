#include "timeutil/time_conversions.h"

#include "platform/text.h"

namespace {

constexpr int32_t kDaysBeforeMonth[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Epoch seconds at which the local clock shows the wall-clock reading `wall`
// (wall-clock seconds counted like epoch seconds). The offset is looked up
// twice so that a reading near a clock change lands on the right side.
int64_t WallToEpoch(int64_t wall) {
  int64_t guess = wall - UtcOffsetAt(wall);
  return wall - UtcOffsetAt(guess);
}

int32_t Wrap32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value))); }

}  // namespace

int32_t DateToEpochUtc(int32_t year, int32_t month, int32_t day) {
  if (month < 1 || month > 12) month = 1;
  if (day == 0 || day > 31) day = 1;
  if (year < 38) year += 2000;
  int32_t leapDays = (year - 1973) / 4 + 1;
  if (year % 4 == 0 && month > 2) ++leapDays;
  // The product overflows 32 bits for every date after 1970; the wrap-around
  // is what lands the result on the right second, so compute unsigned.
  uint32_t days = 365u * static_cast<uint32_t>(year) + static_cast<uint32_t>(kDaysBeforeMonth[month]) +
                  static_cast<uint32_t>(leapDays) + static_cast<uint32_t>(day);
  return static_cast<int32_t>(days * 86400u - 1996464256u);
}

int32_t TimeZoneBiasSeconds() { return -UtcOffsetAt(CurrentEpochSeconds()); }

int32_t LocalDateToEpoch(int32_t year, int32_t month, int32_t day) {
  return LocalDateTimeToEpoch(year, month, day, 0, 0, 0);
}

int32_t LocalDateTimeToEpoch(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                             int32_t second) {
  int64_t wall = static_cast<int64_t>(DateToEpochUtc(year, month, day)) + static_cast<int64_t>(hour) * 3600 +
                 static_cast<int64_t>(minute) * 60 + second;
  return Wrap32(WallToEpoch(wall));
}

int32_t NextLocalMidnight(int32_t dayStart) {
  int64_t wall = static_cast<int64_t>(dayStart) + UtcOffsetAt(dayStart);
  return Wrap32(WallToEpoch(wall + 86400));
}

void EpochToSystemTime(int32_t seconds, SYSTEMTIME* out) {
  *out = SYSTEMTIME{};
  EpochToUtcFields(static_cast<int64_t>(seconds), out);
}

void FormatEpochLocal(int32_t seconds, char* out, size_t size) {
  SYSTEMTIME local{};
  EpochToLocalFields(static_cast<int64_t>(seconds), &local);
  FormatBounded(out, size, "%04d/%02d/%02d %02d:%02d:%02d", local.wYear, local.wMonth, local.wDay, local.wHour,
                local.wMinute, local.wSecond);
}

int32_t ElapsedMilliseconds(const SYSTEMTIME& start) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  auto ofDay = [](const SYSTEMTIME& t) {
    return ((static_cast<int32_t>(t.wHour) * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
  };
  int32_t elapsed = ofDay(now) - ofDay(start);
  if (now.wDay != start.wDay) elapsed += 86400000;
  return elapsed;
}
