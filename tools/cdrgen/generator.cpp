#include "cdrgen/generator.h"

#include <algorithm>
#include <vector>

#include "cdrgen/random.h"
#include "platform/local_time.h"
#include "cdrgen/traffic.h"

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

}  // namespace

int64_t MaxCallsOfPlan(const GeneratorPlan& plan) {
  // 1.16 x the average on weekdays, plus up to a tenth (see CallsOnDay).
  return static_cast<int64_t>(plan.days) * ((static_cast<int64_t>(plan.callsPerDay) * 1276 + 999) / 1000 + 1);
}

bool GenerateCalls(const GeneratorPlan& plan, int64_t firstSessionId, CdrSink& sink, int64_t* rowsWritten) {
  *rowsWritten = 0;
  int64_t sessionId = firstSessionId;
  std::vector<int64_t> starts;
  const int64_t lastDay = DaysFromCivil(plan.endDate);
  for (int64_t day = lastDay - plan.days + 1; day <= lastDay; ++day) {
    const CivilDate date = CivilFromDays(day);
    // Each day draws from a sequence of its own, named by its date.
    CdrRandom random(plan.seed, static_cast<uint64_t>(date.year * 10000 + date.month * 100 + date.day));
    const int dayOfWeek = DayOfWeek(day);
    const bool weekend = dayOfWeek == 0 || dayOfWeek == 6;
    const int32_t calls = CallsOnDay(plan.callsPerDay, dayOfWeek, random);
    DrawStarts(date, calls, weekend, random, &starts);

    CdrRecord record;
    FormatLocalDay(date, record.localDay);
    record.dayOfWeek = dayOfWeek;
    for (int64_t start : starts) {
      const int32_t seconds = DrawCall(random, &record);
      record.startTime = static_cast<int32_t>(start);
      record.endTime = static_cast<int32_t>(start + seconds);
      record.sessionId = static_cast<int32_t>(sessionId++);
      if (!sink.Write(record)) return false;
      ++*rowsWritten;
    }
  }
  return sink.Finish();
}
