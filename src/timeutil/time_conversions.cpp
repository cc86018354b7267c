#include "timeutil/time_conversions.h"

#include <utility>

#include "platform/text.h"

namespace {

constexpr int32_t kDaysBeforeMonth[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// The local clock's reading at `epoch`, in wall-clock seconds counted like
// epoch seconds.
int64_t WallAt(int64_t epoch) { return epoch + UtcOffsetAt(epoch); }

// The first moment at which the local clock shows the wall-clock reading
// `wall` or a later one. A reading the clock shows twice (it went back) gives
// the first of the two; a reading it skips (it jumped forward, in some zones
// over midnight) gives the moment of the jump, so a day whose midnight is
// skipped starts when its first hour begins. The offsets a day either side
// bound the answer; one clock change at most lies between them.
int64_t WallToEpoch(int64_t wall) {
  int64_t early = wall - UtcOffsetAt(wall - 86400);
  int64_t late = wall - UtcOffsetAt(wall + 86400);
  if (early > late) std::swap(early, late);
  if (WallAt(early) == wall) return early;
  if (WallAt(late) == wall) return late;
  // Skipped: the reading at `early` lies before `wall`, the one at `late`
  // after it; the jump lies between them.
  while (late - early > 1) {
    int64_t middle = early + (late - early) / 2;
    if (WallAt(middle) >= wall) {
      late = middle;
    } else {
      early = middle;
    }
  }
  return late;
}

int64_t FloorDiv(int64_t value, int64_t divisor) {
  int64_t quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
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
  // Midnight of the local date of `dayStart`, on the wall clock; a day that
  // began after a skipped midnight still belongs to its own date.
  int64_t midnight = FloorDiv(WallAt(dayStart), 86400) * 86400;
  return Wrap32(WallToEpoch(midnight + 86400));
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
