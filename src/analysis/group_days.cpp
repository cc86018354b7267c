#include "analysis/group_days.h"

#include <algorithm>
#include <cmath>

#include "timeutil/time_conversions.h"

namespace {

// The numbers of a day's figures, at most: its number, five figures, the
// busy hour's call-seconds, seven of the replay, its sizes and two numbers
// for each, the busy quarters and four numbers for each.
constexpr size_t kMostNumbers = 1 + 5 + 1 + 7 + 1 + 2 * kReplaySizes + 1 + 4 * kMaxQuarterHours;

// One day packed, on the stack, before it joins its group's bytes in one
// step: 10 bytes hold any 64-bit number.
struct PackedDay {
  uint8_t bytes[10 * kMostNumbers];
  size_t size = 0;
  void push_back(uint8_t byte) { bytes[size++] = byte; }
};

// Numbers as LEB128 (7 bits a byte), signed ones zigzagged first: most of a
// day's figures are small.
void PutNumber(uint64_t value, PackedDay* out) {
  while (value >= 0x80) {
    out->push_back(static_cast<uint8_t>(value | 0x80));
    value >>= 7;
  }
  out->push_back(static_cast<uint8_t>(value));
}

void PutSigned(int64_t value, PackedDay* out) {
  PutNumber((static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63), out);
}

class Reader {
 public:
  Reader(const uint8_t* at, const uint8_t* end) : at_(at), end_(end) {}
  bool AtEnd() const { return at_ >= end_; }
  uint64_t Number() {
    uint64_t value = 0;
    for (int shift = 0; at_ < end_ && shift < 64; shift += 7) {
      const uint8_t byte = *at_++;
      value |= static_cast<uint64_t>(byte & 0x7f) << shift;
      if ((byte & 0x80) == 0) break;
    }
    return value;
  }
  int64_t Signed() {
    const uint64_t value = Number();
    return static_cast<int64_t>(value >> 1) ^ -static_cast<int64_t>(value & 1);
  }
  int32_t Int() { return static_cast<int32_t>(Signed()); }

 private:
  const uint8_t* at_;
  const uint8_t* end_;
};

// The readings are whole call-seconds divided (busy_hour.h): the integer
// they came from gives back the same double.
int64_t CallSeconds(double erlangs, int32_t seconds) { return std::llround(erlangs * seconds); }

void Pack(const DayFigures& day, PackedDay* out) {
  PutSigned(DayNumber(day.year, day.month, day.day), out);
  for (const int32_t value : {day.calls, day.peakCalls, day.peakSecond, day.busyHourStart, day.blockedCalls}) {
    PutSigned(value, out);
  }
  PutSigned(CallSeconds(day.busyHourErlangs, kBusyHourSeconds), out);
  const DayReplay& replay = day.replay;
  for (const int32_t value : {replay.attempts, replay.peakAttempts, replay.demand, replay.lowest, replay.given,
                              replay.givenLost, replay.givenPeakLost}) {
    PutSigned(value, out);
  }
  int32_t sizes = kReplaySizes;
  while (sizes > 0 && replay.lost[sizes - 1] == 0 && replay.peakLost[sizes - 1] == 0) --sizes;
  PutNumber(static_cast<uint64_t>(sizes), out);
  for (int32_t i = 0; i < sizes; ++i) {
    PutSigned(replay.lost[i], out);
    PutSigned(replay.peakLost[i], out);
  }
  const int32_t quarters = std::clamp(day.quarters, 0, kMaxQuarterHours);
  auto busy = [&day](int32_t q) {
    return day.traffic[q] != 0.0 || day.carriedAttempts[q] != 0 || day.blockedAttempts[q] != 0;
  };
  int32_t busyQuarters = 0;
  for (int32_t q = 0; q < quarters; ++q) busyQuarters += busy(q) ? 1 : 0;
  PutNumber(static_cast<uint64_t>(busyQuarters), out);
  int32_t previous = -1;
  for (int32_t q = 0; q < quarters; ++q) {
    if (!busy(q)) continue;
    PutNumber(static_cast<uint64_t>(q - previous), out);
    previous = q;
    PutSigned(CallSeconds(day.traffic[q], kQuarterHourSeconds), out);
    PutSigned(day.carriedAttempts[q], out);
    PutSigned(day.blockedAttempts[q], out);
  }
}

// Unpacks one day into `day`, whose date, quarters and clock change are
// set already and whose readings are zero; returns its day number.
int32_t Unpack(Reader& in, DayFigures* day) {
  const int32_t number = in.Int();
  day->calls = in.Int();
  day->peakCalls = in.Int();
  day->peakSecond = in.Int();
  day->busyHourStart = in.Int();
  day->blockedCalls = in.Int();
  day->busyHourErlangs = static_cast<double>(in.Signed()) / kBusyHourSeconds;
  DayReplay& replay = day->replay;
  for (int32_t* value : {&replay.attempts, &replay.peakAttempts, &replay.demand, &replay.lowest, &replay.given,
                         &replay.givenLost, &replay.givenPeakLost}) {
    *value = in.Int();
  }
  const uint64_t sizes = in.Number();
  for (uint64_t i = 0; i < sizes; ++i) {
    const int32_t lost = in.Int();
    const int32_t peakLost = in.Int();
    if (i < static_cast<uint64_t>(kReplaySizes)) {
      replay.lost[i] = lost;
      replay.peakLost[i] = peakLost;
    }
  }
  const uint64_t busy = in.Number();
  int64_t q = -1;
  for (uint64_t i = 0; i < busy; ++i) {
    q += static_cast<int64_t>(in.Number());
    const int64_t callSeconds = in.Signed();
    const int32_t carried = in.Int();
    const int32_t blocked = in.Int();
    if (q < 0 || q >= kMaxQuarterHours) continue;
    day->traffic[q] = static_cast<double>(callSeconds) / kQuarterHourSeconds;
    day->carriedAttempts[q] = carried;
    day->blockedAttempts[q] = blocked;
  }
  return number;
}

// The date, start, quarter hours and clock change of `from`.
void CopyCalendar(const DayFigures& from, DayFigures* to) {
  to->year = from.year;
  to->month = from.month;
  to->day = from.day;
  to->dayStart = from.dayStart;
  to->quarters = from.quarters;
  to->clockChangeQuarter = from.clockChangeQuarter;
  to->clockChangeShift = from.clockChangeShift;
}

}  // namespace

DayFigures QuietDay(const DayFigures& scanned) {
  DayFigures day;
  CopyCalendar(scanned, &day);
  day.missing = scanned.missing;
  return day;
}

void GroupDays::Add(const std::string& name, const DayFigures& figures, int32_t sipTieRows) {
  auto found = groups_.find(name);
  if (found == groups_.end()) found = groups_.emplace(name, Packed{}).first;
  PackedDay packed;
  Pack(figures, &packed);
  found->second.bytes.insert(found->second.bytes.end(), packed.bytes, packed.bytes + packed.size);
  found->second.sipTieRows += sipTieRows;
}

int64_t GroupDays::SipTieRowsOf(const std::string& name) const {
  const auto found = groups_.find(name);
  return found != groups_.end() ? found->second.sipTieRows : 0;
}

std::vector<std::string> GroupDays::Names() const {
  std::vector<std::string> names;
  names.reserve(groups_.size());
  for (const auto& [name, packed] : groups_) names.push_back(name);
  return names;
}

std::vector<DayFigures> GroupDays::DaysOf(const std::string& name, std::span<const DayFigures> scanned) const {
  std::vector<DayFigures> days;
  days.reserve(scanned.size());
  std::vector<int32_t> numbers;
  numbers.reserve(scanned.size());
  for (const DayFigures& day : scanned) {
    days.push_back(QuietDay(day));
    numbers.push_back(DayNumber(day.year, day.month, day.day));
  }
  const auto found = groups_.find(name);
  if (found == groups_.end()) return days;
  // The scan's days rise by date; a group's come in the order they were read.
  const std::vector<uint8_t>& bytes = found->second.bytes;
  Reader in(bytes.data(), bytes.data() + bytes.size());
  DayFigures unpacked;
  while (!in.AtEnd()) {
    unpacked = DayFigures{};
    const int32_t number = Unpack(in, &unpacked);
    const auto at = std::lower_bound(numbers.begin(), numbers.end(), number);
    if (at == numbers.end() || *at != number) continue;
    DayFigures& day = days[static_cast<size_t>(at - numbers.begin())];
    CopyCalendar(day, &unpacked);
    day = unpacked;
  }
  return days;
}

size_t GroupDays::PackedBytes() const {
  size_t bytes = 0;
  for (const auto& [name, packed] : groups_) bytes += packed.bytes.size();
  return bytes;
}
