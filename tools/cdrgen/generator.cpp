#include "cdrgen/generator.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "cdrgen/random.h"
#include "platform/local_time.h"
#include "cdrgen/traffic.h"
#include "cdrgen/trunk_group.h"

namespace {

// Fills `starts` with the day's call starts in epoch seconds, ascending.
// The local clock readings drawn from the profile become epoch seconds in
// the zone in force; on a day with a clock change each reading is converted
// on its own, so the day keeps its true length and every start stays inside
// it.
void DrawStarts(const CivilDate& date, int32_t calls, bool weekend, CdrRandom& random, std::vector<int64_t>* starts) {
  const int64_t dayStart = LocalClockToEpoch(date, 0);
  const int64_t nextStart = LocalClockToEpoch(CivilFromDays(DaysFromCivil(date) + 1), 0);
  const bool plainDay = nextStart - dayStart == 86400 && UtcOffsetAt(dayStart) == UtcOffsetAt(nextStart - 1);
  starts->clear();
  for (int32_t i = 0; i < calls; ++i) {
    const int32_t second = DrawSecondOfDay(weekend, random);
    int64_t start = plainDay ? dayStart + second : LocalClockToEpoch(date, second);
    starts->push_back(std::clamp(start, dayStart, nextStart - 1));
  }
  std::sort(starts->begin(), starts->end());
}

// The daily average `daysBefore` days before the end date. Without growth
// it is exactly the plan's, so plans without growth keep their rows.
int32_t CallsPerDayAt(const GeneratorPlan& plan, int64_t daysBefore) {
  if (plan.growthPercent == 0.0) return plan.callsPerDay;
  const double factor = std::pow(1.0 + plan.growthPercent / 100.0, -static_cast<double>(daysBefore) / 365.0);
  // Shrinking traffic seen far back could pass any count; the session check
  // of the caller refuses such plans.
  return static_cast<int32_t>(std::lround(std::min(plan.callsPerDay * factor, 1e8)));
}

constexpr int32_t kExitConnect = 8;
constexpr int32_t kExitAllTrunksBusy = 21;  // as the tool reads it (analysis/exit_state_names.h)

// Lines of the trunk group that a call holds: one per trunk end.
int32_t TrunkEnds(const CdrRecord& record) { return (record.callerType >= 7) + (record.targetType >= 7); }

}  // namespace

int64_t MaxCallsOfPlan(const GeneratorPlan& plan) {
  // The busiest average is at one end of the range; 1.16 x the average on
  // weekdays, plus up to a tenth (see CallsOnDay).
  const int64_t average = std::max(CallsPerDayAt(plan, 0), CallsPerDayAt(plan, plan.days - 1));
  return static_cast<int64_t>(plan.days) * ((average * 1276 + 999) / 1000 + 1);
}

bool GenerateCalls(const GeneratorPlan& plan, int64_t firstSessionId, CdrSink& sink, int64_t* rowsWritten) {
  *rowsWritten = 0;
  int64_t sessionId = firstSessionId;
  std::vector<int64_t> starts;
  TrunkGroup trunks(plan.trunkLines);
  const int64_t lastDay = DaysFromCivil(plan.endDate);
  for (int64_t day = lastDay - plan.days + 1; day <= lastDay; ++day) {
    const CivilDate date = CivilFromDays(day);
    // Each day draws from a sequence of its own, named by its date.
    CdrRandom random(plan.seed, static_cast<uint64_t>(date.year * 10000 + date.month * 100 + date.day));
    const int dayOfWeek = DayOfWeek(day);
    const bool weekend = dayOfWeek == 0 || dayOfWeek == 6;
    const int32_t calls = CallsOnDay(CallsPerDayAt(plan, lastDay - day), dayOfWeek, random);
    DrawStarts(date, calls, weekend, random, &starts);

    CdrRecord record;
    FormatLocalDay(date, record.localDay);
    record.dayOfWeek = dayOfWeek;
    for (int64_t start : starts) {
      int32_t seconds = DrawCall(random, &record);
      if (plan.trunkLines > 0) {
        // Only the trunk group turns calls away.
        if (record.exitState == kExitAllTrunksBusy) {
          record.exitState = kExitConnect;
          seconds = DrawTalkSeconds(random);
        }
        if (!trunks.Admit(start, start + seconds, TrunkEnds(record))) {
          record.exitState = kExitAllTrunksBusy;
          record.holdDuration = 0;
          seconds = 0;
        }
      }
      record.startTime = static_cast<int32_t>(start);
      record.endTime = static_cast<int32_t>(start + seconds);
      record.sessionId = static_cast<int32_t>(sessionId++);
      if (!sink.Write(record)) return false;
      ++*rowsWritten;
    }
  }
  return sink.Finish();
}
