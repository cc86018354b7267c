// The replay of one day's trunk attempts, in the order they started,
// through loss systems of several sizes: what the customer's own calls
// would have lost on that many lines, assuming nothing about how they
// arrive. Pure arithmetic on the day's rows; the buffers are kept from day
// to day, so that nothing is allocated once they have grown to a day's
// rows.
//
// The rules of the loss system:
// - every attempt is one row of the day's first statement; a call that the
//   second statement brings again (between two trunks) holds two lines, as
//   the readings count it;
// - a carried call holds its lines from its start up to its end (at least a
//   second); an attempt turned away because every line was busy holds for
//   the mean holding time of the day's carried calls (kFallbackHoldSeconds
//   on a day without one);
// - lines freed at a second are free for the attempts that start in it; an
//   attempt that finds too few free lines is lost and holds none.
// Attempts that start in the same second are taken in one fixed order (by
// end, then lines, then exit state), whatever order the rows came in.
#pragma once

#include <cstdint>
#include <vector>

// The most loss systems one day is replayed through: the sizes just below
// its demand, and the lines given.
inline constexpr int32_t kReplaySystems = 64;
inline constexpr int32_t kReplaySizes = kReplaySystems - 1;
// The holding time of a turned-away attempt on a day without a carried call.
inline constexpr int32_t kFallbackHoldSeconds = 180;

// One day's replay.
struct DayReplay {
  int32_t attempts = 0;      // attempts of the day
  int32_t peakAttempts = 0;  // those that start in its daily peak hour
  // The most lines the attempts hold at once when none is lost: with as
  // many lines or more, none is.
  int32_t demand = 0;
  // The sizes replayed: from `lowest` up to the demand (lost[i] and
  // peakLost[i] for lowest + i lines), at most kReplaySizes of them; and the
  // lines given when they lie below those (0: none).
  int32_t lowest = 0;
  int32_t given = 0;
  int32_t givenLost = 0;
  int32_t givenPeakLost = 0;
  int32_t lost[kReplaySizes] = {};
  int32_t peakLost[kReplaySizes] = {};
};

// What one day replayed through `lines` lost: all day and in its daily peak
// hour. `known` is false when `lines` lies below the sizes replayed.
struct DayLoss {
  bool known = true;
  int32_t lost = 0;
  int32_t peakLost = 0;
};
DayLoss LossAt(const DayReplay& day, int32_t lines);

class CallReplay {
 public:
  // Forgets the rows of the day before (keeping the room they took).
  void StartDay();
  // A row of the day's first statement, and a row of its second: start and
  // end in seconds from the day's start (a start outside 0 to 2^18 − 1 is
  // left out, an end before the start taken as the start), and whether
  // every line was busy.
  void AddAttempt(int32_t start, int32_t end, bool blocked);
  void AddSecondLine(int32_t start, int32_t end, bool blocked);
  // Replays the day's rows, whose daily peak hour runs from second
  // `peakStart` up to `peakEnd` (an empty span: none), and keeps the figures
  // in `out`; `givenLines` (0: none) is replayed too.
  void Replay(int32_t peakStart, int32_t peakEnd, int32_t givenLines, DayReplay* out);

 private:
  std::vector<uint64_t> events_;   // the attempts, then in replay order
  std::vector<uint64_t> keys_;     // the second rows, then the releases
  std::vector<uint64_t> sorted_;   // room for sorting
  std::vector<uint8_t> lines_;     // lines each attempt needs
  std::vector<int32_t> slotOf_;    // each attempt's slot of flags
  std::vector<uint8_t> flags_;     // per slot, whether each size carries it
  std::vector<int32_t> freeSlots_;
  int64_t heldSeconds_ = 0;        // of the carried attempts
  int64_t carried_ = 0;
};
