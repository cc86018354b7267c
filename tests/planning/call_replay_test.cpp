// The replay of a day's attempts: a hand-made day whose losses can be read
// off, and random days against a plain replay through one size at a time.
#include "planning/call_replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

namespace {

struct Attempt {
  int32_t start;
  int32_t end;
  bool blocked;
  int32_t lines;  // 2: between two trunks, the second statement brings it too
};

constexpr int32_t kDay = 86400;

DayReplay Replay(const std::vector<Attempt>& attempts, int32_t peakStart, int32_t peakEnd, int32_t given,
                 CallReplay* replay) {
  replay->StartDay();
  for (const Attempt& a : attempts) replay->AddAttempt(a.start, a.end, a.blocked);
  // The second statement's rows come in an order of their own.
  for (auto a = attempts.rbegin(); a != attempts.rend(); ++a) {
    if (a->lines == 2) replay->AddSecondLine(a->start, a->end, a->blocked);
  }
  DayReplay out;
  replay->Replay(peakStart, peakEnd, given, &out);
  return out;
}

// One size, attempt by attempt, with a list of the calls held.
struct Plain {
  int32_t lost = 0;
  int32_t peakLost = 0;
};
Plain PlainReplay(std::vector<Attempt> attempts, int32_t lines, int32_t peakStart, int32_t peakEnd) {
  int64_t held = 0, carried = 0;
  for (const Attempt& a : attempts) {
    if (!a.blocked) {
      held += std::max(a.end - a.start, 1);
      ++carried;
    }
  }
  const int32_t hold = carried > 0 ? static_cast<int32_t>((held + carried / 2) / carried) : kFallbackHoldSeconds;
  std::sort(attempts.begin(), attempts.end(), [](const Attempt& x, const Attempt& y) {
    return std::make_tuple(x.start, x.end, x.blocked, -x.lines) < std::make_tuple(y.start, y.end, y.blocked, -y.lines);
  });
  std::vector<std::pair<int32_t, int32_t>> busy;  // release, lines
  Plain plain;
  for (const Attempt& a : attempts) {
    std::erase_if(busy, [&](const auto& call) { return call.first <= a.start; });
    int32_t inUse = 0;
    for (const auto& call : busy) inUse += call.second;
    if (inUse + a.lines <= lines) {
      busy.push_back({a.blocked ? a.start + hold : std::max(a.end, a.start + 1), a.lines});
    } else {
      ++plain.lost;
      if (a.start >= peakStart && a.start < peakEnd) ++plain.peakLost;
    }
  }
  return plain;
}

TEST(CallReplayTest, AHandMadeDayLosesWhatTheRulesSay) {
  // Two lines. 10:00 a two-trunk call takes both until 10:05; an attempt at
  // 10:01 is lost; one at 10:05 gets a line freed that second; a turned-away
  // attempt at 10:06 holds for the mean carried call (300, 10, 100, 80 and
  // 300 s: 158 s), so a two-trunk attempt at 10:07 finds one line free and
  // is lost, and one at 10:10 finds both.
  const int32_t t = 36000;
  const std::vector<Attempt> day = {{t, t + 300, false, 2},        {t + 60, t + 70, false, 1},
                                    {t + 300, t + 400, false, 1},  {t + 360, t + 360, true, 1},
                                    {t + 420, t + 500, false, 2},  {t + 600, t + 900, false, 2}};
  CallReplay replay;
  const DayReplay out = Replay(day, t, t + 3600, 0, &replay);
  EXPECT_EQ(out.attempts, 6);
  EXPECT_EQ(out.peakAttempts, 6);
  EXPECT_EQ(out.demand, 3);  // 10:01, and 10:07: the held attempt and the two-trunk call
  const DayLoss two = LossAt(out, 2);
  EXPECT_TRUE(two.known);
  EXPECT_EQ(two.lost, 2);
  EXPECT_EQ(two.peakLost, 2);
  EXPECT_EQ(LossAt(out, 3).lost, 0);
  EXPECT_EQ(LossAt(out, 1).lost, 4);  // on one line only the calls at 10:01 and 10:05
}

TEST(CallReplayTest, RandomDaysLoseWhatAPlainReplayLosesAtEverySize) {
  CallReplay replay;  // one object for every day: nothing may stay behind
  for (int seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(static_cast<uint32_t>(seed));
    // Seeds 5 and 6 are heavy enough to have sizes outside the replay.
    const double perSecond = seed <= 4 ? 0.02 * seed : 0.6;
    std::exponential_distribution<double> gap(perSecond), holding(1.0 / 180.0);
    std::uniform_real_distribution<double> draw(0.0, 1.0);
    std::vector<Attempt> day;
    for (double at = 8 * 3600; at < 12 * 3600; at += gap(random)) {
      const auto start = static_cast<int32_t>(at);
      const bool blocked = draw(random) < 0.05;
      const int32_t end = blocked ? start : start + static_cast<int32_t>(holding(random));
      day.push_back({start, std::min(end, kDay - 1), blocked, draw(random) < 0.15 ? 2 : 1});
    }
    // Rows come in start order through an index, in any order without one.
    if (seed % 2 == 0) std::shuffle(day.begin(), day.end(), random);
    const int32_t peakStart = 9 * 3600, peakEnd = 10 * 3600, given = 3;
    const DayReplay out = Replay(day, peakStart, peakEnd, given, &replay);
    SCOPED_TRACE(seed);
    EXPECT_EQ(out.attempts, static_cast<int32_t>(day.size()));
    EXPECT_EQ(out.peakAttempts, std::count_if(day.begin(), day.end(), [&](const Attempt& a) {
                return a.start >= peakStart && a.start < peakEnd;
              }));
    EXPECT_EQ(PlainReplay(day, out.demand, peakStart, peakEnd).lost, 0);
    EXPECT_GT(PlainReplay(day, out.demand - 1, peakStart, peakEnd).lost, 0);
    for (int32_t lines = 1; lines <= out.demand + 1; ++lines) {
      const DayLoss loss = LossAt(out, lines);
      const bool replayed = lines == given || lines >= out.demand - (kReplaySystems - 1);
      ASSERT_EQ(loss.known, replayed) << lines;
      if (!replayed) continue;
      const Plain plain = PlainReplay(day, lines, peakStart, peakEnd);
      ASSERT_EQ(loss.lost, plain.lost) << lines;
      ASSERT_EQ(loss.peakLost, plain.peakLost) << lines;
    }
  }
}

}  // namespace
