#include "analysis/group_day_counter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <utility>

#include "analysis/day_observer.h"
#include "analysis/exit_state_names.h"
#include "analysis/plan_days.h"

namespace {

// The moments are sorted by their digits, 9 bits at a time, in two passes
// (faster than a sort by comparison from a few hundred moments on).
constexpr int kMomentBits = 18;
constexpr int kDigitBits = 9;
constexpr uint32_t kDigits = 1u << kDigitBits;
static_assert(2 * (kLongestDaySeconds - 1) + 1 < (1 << kMomentBits));
static_assert(kMomentBits % (2 * kDigitBits) == 0, "an even number of passes leaves the moments in place");

constexpr uint32_t kEndMark = 1;

}  // namespace

class GroupDayCounter::Integral {
 public:
  explicit Integral(const std::vector<Step>& steps) : steps_(steps) {}

  int64_t Before(int32_t second) {
    while (next_ < steps_.size() && steps_[next_].second < second) ++next_;
    if (next_ == 0) return 0;
    const Step& step = steps_[next_ - 1];
    return step.callSeconds + int64_t{step.calls} * (second - step.second);
  }

 private:
  const std::vector<Step>& steps_;
  size_t next_ = 0;  // the first step at or after the second last asked
};

void GroupDayCounter::StartDay(int32_t dayStart, int32_t dayEnd, bool keepsAttempts) {
  int64_t length = static_cast<int64_t>(dayEnd) - dayStart;
  if (length <= 0 || length > DayCounter::kCountSlots) length = DayCounter::kPlainDaySeconds;
  dayStart_ = dayStart;
  dayLength_ = static_cast<int32_t>(length);
  rows_ = 0;
  blockedRows_ = 0;
  sipTieRows_ = 0;
  std::memset(quarterCarried_, 0, sizeof quarterCarried_);
  std::memset(quarterBlocked_, 0, sizeof quarterBlocked_);
  moments_.clear();
  keepsAttempts_ = keepsAttempts;
  if (keepsAttempts_) replay_.StartDay();
}

bool GroupDayCounter::Occupies(int32_t startTime, int32_t endTime) const {
  const int64_t s = static_cast<int64_t>(startTime) - dayStart_;
  const int64_t e = static_cast<int64_t>(endTime) - dayStart_;
  return s >= 0 && s < dayLength_ && e >= 0 && e < dayLength_ && e - s >= 2;
}

bool GroupDayCounter::CountOccupancy(int32_t startTime, int32_t endTime) {
  ++rows_;
  if (!Occupies(startTime, endTime)) return false;
  moments_.push_back(static_cast<uint32_t>(startTime - dayStart_) << 1);
  moments_.push_back(static_cast<uint32_t>(endTime - dayStart_) << 1 | kEndMark);
  return true;
}

void GroupDayCounter::CountOutcome(int32_t startTime, int32_t endTime, int32_t exitState, DayPass pass) {
  const bool blocked = exitState == kExitAllTrunksBusy;
  const int64_t s = static_cast<int64_t>(startTime) - dayStart_;
  const bool inDay = s >= 0 && s < dayLength_;
  if (keepsAttempts_ && inDay) {
    const int64_t e = static_cast<int64_t>(endTime) - dayStart_;
    const int32_t end = static_cast<int32_t>(std::clamp<int64_t>(e, s, dayLength_));
    if (pass == DayPass::kSecond) {
      replay_.AddSecondLine(static_cast<int32_t>(s), end, blocked);
    } else {
      replay_.AddAttempt(static_cast<int32_t>(s), end, blocked);
    }
  }
  // The second pass brings calls of the first once more; a turned-away call
  // is one call.
  if (pass == DayPass::kSecond) return;
  if (blocked) ++blockedRows_;
  if (!inDay) return;
  const int64_t quarter = s / kQuarterHourSeconds;
  if (quarter >= kMaxQuarterHours) return;
  ++(blocked ? quarterBlocked_ : quarterCarried_)[quarter];
}

void GroupDayCounter::SortMoments() {
  // Most groups of a day have a few dozen moments, for which clearing and
  // summing the digits' 512 places costs more than sorting them outright.
  if (moments_.size() < kDigits / 2) {
    std::sort(moments_.begin(), moments_.end());
    return;
  }
  sortRoom_.resize(moments_.size());
  for (int shift = 0; shift < kMomentBits; shift += kDigitBits) {
    std::array<uint32_t, kDigits> place{};
    for (const uint32_t moment : moments_) ++place[(moment >> shift) & (kDigits - 1)];
    uint32_t next = 0;
    for (uint32_t& slot : place) next += std::exchange(slot, next);
    for (const uint32_t moment : moments_) sortRoom_[place[(moment >> shift) & (kDigits - 1)]++] = moment;
    moments_.swap(sortRoom_);
  }
}

void GroupDayCounter::MakeSteps() {
  steps_.clear();
  int32_t calls = 0;
  int64_t callSeconds = 0;
  for (const uint32_t moment : moments_) {
    const int32_t second = static_cast<int32_t>(moment >> 1);
    if (steps_.empty() || steps_.back().second != second) {
      if (!steps_.empty()) callSeconds += int64_t{calls} * (second - steps_.back().second);
      steps_.push_back({second, calls, callSeconds});
    }
    calls += (moment & kEndMark) != 0 ? -1 : 1;
    steps_.back().calls = calls;
  }
}

// The window opening at second x holds W(x) = F(x + 3600) - F(x)
// call-seconds, F(t) those of the seconds before t. From x to x + 1 it
// gains c(x + 3600) - c(x), c(t) the calls in progress at second t, which
// changes only at the windows that open at a step (x its second) or close at
// one (x + 3600 its second). The earliest best window is the first or one of
// those. Were it a window x between two neighbouring ones of those, the gain
// into x and out of it would be the same, above 0 for x to beat x - 1 and
// not above 0 for x + 1 not to beat x. Were it the last window after them,
// it would gain c(dayLength - 1) - c(x - 1) > 0 over the one before; but
// no call that occupies seconds of the day is in progress at its last
// second. So W is followed over those windows only, exact in whole
// call-seconds, in rising order, and only a larger sum moves the start,
// which keeps the earliest of equals as FindBusyHour does.
BusyHour GroupDayCounter::BusiestHour() const {
  BusyHour best;
  if (dayLength_ < kBusyHourSeconds) return best;
  const auto consider = [&best](int32_t start, int64_t callSeconds) {
    if (best.start < 0 || callSeconds > best.callSeconds) {
      best.start = start;
      best.callSeconds = callSeconds;
    }
  };
  const int32_t last = dayLength_ - kBusyHourSeconds;
  consider(0, Integral(steps_).Before(kBusyHourSeconds));
  // Followed from the window that ends where the day starts, which holds
  // nothing and gains nothing: the gain grows by a step's change of the
  // count at the window that closes at the step, and shrinks by it at the
  // one that opens there. The windows that close at the steps run an hour
  // ahead of those that open at them; both lists rise, and are merged
  // without a branch on which comes next.
  constexpr int32_t kNever = std::numeric_limits<int32_t>::max();
  const size_t steps = steps_.size();
  int64_t window = 0;
  int64_t gain = 0;
  int32_t at = -kBusyHourSeconds;
  size_t opens = 0;
  size_t closes = 0;
  while (opens < steps) {
    const size_t close = std::min(closes, steps - 1);
    const int32_t closeAt = closes < steps ? steps_[close].second - kBusyHourSeconds : kNever;
    const int32_t openAt = steps_[opens].second;
    // 1 when a window closes next, 0 when one opens; which is next is
    // unforeseeable, so it is used in arithmetic, not in a branch.
    const int32_t closing = closeAt <= openAt;
    const size_t step = opens + (close - opens) * static_cast<size_t>(closing);
    const int32_t change = steps_[step].calls - (step > 0 ? steps_[step - 1].calls : 0);
    const int32_t next = openAt + (closeAt - openAt) * closing;
    window += gain * (next - at);
    at = next;
    if (at > 0 && at <= last) consider(at, window);
    gain += (2 * closing - 1) * change;
    closes += static_cast<size_t>(closing);
    opens += static_cast<size_t>(1 - closing);
  }
  return best;
}

DayFigures GroupDayCounter::FinishDay() {
  SortMoments();
  MakeSteps();
  DayFigures figures;
  int32_t peakValue = 0;
  int32_t peakSecond = 0;
  for (const Step& step : steps_) {
    if (step.calls > peakValue) {
      peakValue = step.calls;
      peakSecond = step.second;
    }
  }
  figures.quarters = std::min(dayLength_ / kQuarterHourSeconds, kMaxQuarterHours);
  Integral integral(steps_);
  int64_t before = 0;
  for (int32_t q = 0; q < figures.quarters; ++q) {
    const int64_t after = integral.Before((q + 1) * kQuarterHourSeconds);
    // As QuarterHourReadings divides, for the same doubles.
    figures.traffic[q] = static_cast<double>(after - before) / kQuarterHourSeconds;
    before = after;
  }
  const BusyHour busy = BusiestHour();
  figures.busyHourStart = busy.start;
  figures.busyHourErlangs = busy.Erlangs();
  const DayOccupancy day{dayStart_, dayLength_,   nullptr,         peakValue,       peakSecond,
                         rows_,     blockedRows_, quarterCarried_, quarterBlocked_, Replay(), nullptr};
  FillDayFigures(day, &figures);
  return figures;
}
