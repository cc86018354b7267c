#include "planning/call_replay.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// A row's place in the sort keys: seconds fit in 18 bits (a day is at most
// 90,000), a row's number within the day in 27.
constexpr int kTimeBits = 18;
constexpr int kIndexBits = 27;
constexpr uint64_t kTimeMask = (uint64_t{1} << kTimeBits) - 1;
constexpr uint64_t kIndexMask = (uint64_t{1} << kIndexBits) - 1;
constexpr size_t kMaxRows = size_t{1} << kIndexBits;
// Start, end and exit state above the row's number: sorting by them puts
// the rows in the fixed order of the replay.
constexpr int kKeyShift = kIndexBits;
constexpr int kKeyBits = 2 * kTimeBits + 1;

// Sorts `keys` by their bits [low, low + bits), stably, in digits of at
// most 11 bits (as few passes as that allows).
void RadixSort(std::vector<uint64_t>& keys, std::vector<uint64_t>& scratch, int low, int bits) {
  constexpr int kMaxDigitBits = 11;
  const int passes = (bits + kMaxDigitBits - 1) / kMaxDigitBits;
  const int digitBits = (bits + passes - 1) / passes;
  const uint64_t digitMask = (uint64_t{1} << digitBits) - 1;
  scratch.resize(keys.size());
  // Row numbers fit in 32 bits (kMaxRows).
  std::array<uint32_t, (size_t{1} << kMaxDigitBits) + 1> offsets;
  for (int pass = 0; pass < passes; ++pass) {
    const int shift = low + pass * digitBits;
    const size_t buckets = static_cast<size_t>(digitMask) + 1;
    std::fill(offsets.begin(), offsets.begin() + static_cast<std::ptrdiff_t>(buckets) + 1, 0u);
    for (uint64_t key : keys) ++offsets[((key >> shift) & digitMask) + 1];
    for (size_t i = 1; i <= buckets; ++i) offsets[i] += offsets[i - 1];
    for (uint64_t key : keys) scratch[offsets[(key >> shift) & digitMask]++] = key;
    keys.swap(scratch);
  }
}

// The same order, on keys whose bits above low + bits are 0 or part of the
// key. Rows mostly come in start order (a day read through an index led by
// StartTime): an insertion sort finishes those in one pass, and hands keys
// that need more than a few moves each to the radix sort.
void SortKeys(std::vector<uint64_t>& keys, std::vector<uint64_t>& scratch, int low, int bits) {
  size_t movesLeft = 4 * keys.size() + 64;
  for (size_t i = 1; i < keys.size(); ++i) {
    const uint64_t key = keys[i];
    const uint64_t rank = key >> low;
    size_t j = i;
    while (j > 0 && (keys[j - 1] >> low) > rank && movesLeft > 0) {
      keys[j] = keys[j - 1];
      --j;
      --movesLeft;
    }
    keys[j] = key;
    if (movesLeft == 0) {
      RadixSort(keys, scratch, low, bits);
      return;
    }
  }
}

uint64_t RowKey(int32_t start, int32_t end, bool blocked) {
  return ((static_cast<uint64_t>(start) << (kTimeBits + 1)) | (static_cast<uint64_t>(end) << 1) |
          (blocked ? 1u : 0u))
         << kKeyShift;
}

int32_t StartOf(uint64_t key) { return static_cast<int32_t>((key >> (kKeyShift + kTimeBits + 1)) & kTimeMask); }
int32_t EndOf(uint64_t key) { return static_cast<int32_t>((key >> (kKeyShift + 1)) & kTimeMask); }
bool BlockedOf(uint64_t key) { return ((key >> kKeyShift) & 1) != 0; }

}  // namespace

DayLoss LossAt(const DayReplay& day, int32_t lines) {
  DayLoss loss;
  if (lines >= day.demand) return loss;
  if (lines >= day.lowest && lines - day.lowest < kReplaySizes) {
    loss.lost = day.lost[lines - day.lowest];
    loss.peakLost = day.peakLost[lines - day.lowest];
  } else if (lines == day.given && lines > 0) {
    loss.lost = day.givenLost;
    loss.peakLost = day.givenPeakLost;
  } else {
    loss.known = false;
  }
  return loss;
}

void CallReplay::StartDay() {
  events_.clear();
  keys_.clear();
  heldSeconds_ = 0;
  carried_ = 0;
}

void CallReplay::AddAttempt(int32_t start, int32_t end, bool blocked) {
  if (start < 0 || start > static_cast<int32_t>(kTimeMask) || events_.size() >= kMaxRows) return;
  end = std::clamp(end, start, static_cast<int32_t>(kTimeMask));
  if (!blocked) {
    heldSeconds_ += std::max(end - start, 1);
    ++carried_;
  }
  events_.push_back(RowKey(start, end, blocked) | events_.size());
}

void CallReplay::AddSecondLine(int32_t start, int32_t end, bool blocked) {
  if (start < 0 || start > static_cast<int32_t>(kTimeMask) || keys_.size() >= kMaxRows) return;
  keys_.push_back(RowKey(start, std::clamp(end, start, static_cast<int32_t>(kTimeMask)), blocked));
}

void CallReplay::Replay(int32_t peakStart, int32_t peakEnd, int32_t givenLines, DayReplay* out) {
  *out = DayReplay{};
  const size_t attempts = events_.size();
  out->attempts = static_cast<int32_t>(attempts);
  if (attempts == 0) return;
  const int32_t hold = carried_ > 0 ? static_cast<int32_t>(std::max<int64_t>(1, (heldSeconds_ + carried_ / 2) / carried_))
                                    : kFallbackHoldSeconds;
  // The attempts in the fixed order.
  SortKeys(events_, sorted_, kKeyShift, kKeyBits);

  // A call the second statement brings again holds two lines: its row is
  // matched to an equal row of the first. Among equal rows the first ones
  // take the second line, so the order stays fixed.
  lines_.assign(attempts, 1);
  SortKeys(keys_, sorted_, kKeyShift, kKeyBits);
  for (size_t a = 0, b = 0; a < attempts && b < keys_.size();) {
    const uint64_t key = events_[a] & ~kIndexMask;
    if (key < keys_[b]) {
      ++a;
    } else if (keys_[b] < key) {
      ++b;
    } else {
      lines_[a++] = 2;
      ++b;
    }
  }

  // Releases in time order: each attempt's end (a turned-away one's after
  // the holding time), with its place among the attempts.
  std::vector<uint64_t>& releases = keys_;
  releases.clear();
  for (size_t a = 0; a < attempts; ++a) {
    const uint64_t key = events_[a];
    const int32_t start = StartOf(key);
    const int32_t end = BlockedOf(key) ? start + hold : std::max(EndOf(key), start + 1);
    releases.push_back((static_cast<uint64_t>(std::min<int64_t>(end, kTimeMask)) << kIndexBits) | a);
  }
  SortKeys(releases, sorted_, kIndexBits, kTimeBits);

  // Walks the attempts and the releases in time order, the releases of a
  // second before the attempts that start in it.
  auto walk = [&](auto onArrival, auto onRelease) {
    size_t r = 0;
    for (size_t a = 0; a < attempts; ++a) {
      const int32_t start = StartOf(events_[a]);
      while (r < attempts && static_cast<int32_t>(releases[r] >> kIndexBits) <= start) {
        onRelease(static_cast<size_t>(releases[r] & kIndexMask));
        ++r;
      }
      onArrival(a, start);
    }
  };

  int32_t busy = 0;
  int32_t demand = 0;
  walk([&](size_t a, int32_t) { demand = std::max(demand, busy += lines_[a]); },
       [&](size_t a) { busy -= lines_[a]; });
  out->demand = demand;
  for (size_t a = 0; a < attempts; ++a) {
    const int32_t start = StartOf(events_[a]);
    if (start >= peakStart && start < peakEnd) ++out->peakAttempts;
  }

  // The sizes below the demand, and the given lines below those in the
  // last system.
  const int32_t lowest = std::max(1, demand - kReplaySizes);
  out->lowest = lowest;
  if (givenLines > 0 && givenLines < lowest) out->given = givenLines;
  if (lowest >= demand && out->given == 0) return;

  // Every size at once: per attempt one flag a size, kept in a slot while
  // the attempt holds lines in any size (sizes not in use carry all, and
  // lose nothing).
  alignas(64) int32_t capacity[kReplaySystems];
  alignas(64) int32_t held[kReplaySystems] = {};
  alignas(64) int32_t lost[kReplaySystems] = {};
  alignas(64) int32_t peakLost[kReplaySystems] = {};
  for (int32_t i = 0; i < kReplaySizes; ++i) capacity[i] = std::min(lowest + i, demand);
  capacity[kReplaySizes] = out->given > 0 ? out->given : demand;
  slotOf_.assign(attempts, 0);
  flags_.resize(static_cast<size_t>(demand + 1) * kReplaySystems);
  freeSlots_.clear();
  for (int32_t slot = demand; slot >= 0; --slot) freeSlots_.push_back(slot);
  walk(
      [&](size_t a, int32_t start) {
        const int32_t need = lines_[a];
        const int32_t inPeak = start >= peakStart && start < peakEnd ? 1 : 0;
        const int32_t slot = freeSlots_.back();
        freeSlots_.pop_back();
        slotOf_[a] = slot;
        // Computed apart from the slot, which the compiler cannot tell
        // from the counts: the loop then runs on vectors.
        alignas(64) uint8_t carried[kReplaySystems];
        for (int32_t i = 0; i < kReplaySystems; ++i) {
          const int32_t fits = held[i] + need <= capacity[i] ? 1 : 0;
          held[i] += fits * need;
          lost[i] += 1 - fits;
          peakLost[i] += inPeak & (1 - fits);
          carried[i] = static_cast<uint8_t>(fits);
        }
        std::memcpy(&flags_[static_cast<size_t>(slot) * kReplaySystems], carried, sizeof carried);
      },
      [&](size_t a) {
        const int32_t need = lines_[a];
        const int32_t slot = slotOf_[a];
        alignas(64) uint8_t carried[kReplaySystems];
        std::memcpy(carried, &flags_[static_cast<size_t>(slot) * kReplaySystems], sizeof carried);
        for (int32_t i = 0; i < kReplaySystems; ++i) held[i] -= need * carried[i];
        freeSlots_.push_back(slot);
      });
  for (int32_t i = 0; i < kReplaySizes; ++i) {
    out->lost[i] = lost[i];
    out->peakLost[i] = peakLost[i];
  }
  if (out->given > 0) {
    out->givenLost = lost[kReplaySizes];
    out->givenPeakLost = peakLost[kReplaySizes];
  }
}
