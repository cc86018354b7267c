#include "cdrgen/generator.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "cdrgen/call_groups.h"
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

// Offers a call to the trunk groups of its sites (`groups[k - 1]` for site
// k): a call at one site takes its lines there; a tie call takes one line
// at each of its two sites, and only when both have one free.
bool AdmitAtSites(std::vector<TrunkGroup>& groups, int64_t start, int64_t end, const CdrRecord& record) {
  TrunkGroup& caller = groups[static_cast<size_t>(record.callerSite - 1)];
  if (record.callerSite == record.calleeSite) return caller.Admit(start, end, TrunkEnds(record));
  TrunkGroup& callee = groups[static_cast<size_t>(record.calleeSite - 1)];
  const int32_t callerLines = record.callerType >= 7, calleeLines = record.targetType >= 7;
  if (!caller.CanAdmit(start, callerLines) || !callee.CanAdmit(start, calleeLines)) return false;
  caller.Admit(start, end, callerLines);
  callee.Admit(start, end, calleeLines);
  return true;
}

// The sequences of a day's sites and tenants: apart from the day's own
// (numbered by its date, below 2^32) and from each other.
constexpr uint64_t kSiteStream = 1ull << 32;
constexpr uint64_t kTenantStream = 2ull << 32;

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
  std::vector<TrunkGroup> siteTrunks(plan.siteLines.begin(), plan.siteLines.end());
  const bool limited = plan.trunkLines > 0 || !plan.siteLines.empty();
  std::vector<uint32_t> shares = plan.siteShares;
  if (shares.empty()) shares.assign(static_cast<size_t>(std::max(plan.sites, 0)), 1);
  const SiteDraw sites(shares, plan.tiePerMillion);
  const TenantDraw tenants(std::max(plan.tenants, 1), plan.tenantZipf);
  const int64_t lastDay = DaysFromCivil(plan.endDate);
  for (int64_t day = lastDay - plan.days + 1; day <= lastDay; ++day) {
    const CivilDate date = CivilFromDays(day);
    // Each day draws from a sequence of its own, named by its date.
    const uint64_t stream = static_cast<uint64_t>(date.year * 10000 + date.month * 100 + date.day);
    CdrRandom random(plan.seed, stream);
    CdrRandom siteRandom(plan.seed, stream + kSiteStream);
    CdrRandom tenantRandom(plan.seed, stream + kTenantStream);
    const int dayOfWeek = DayOfWeek(day);
    const bool weekend = dayOfWeek == 0 || dayOfWeek == 6;
    const int32_t calls = CallsOnDay(CallsPerDayAt(plan, lastDay - day), dayOfWeek, random);
    DrawStarts(date, calls, weekend, random, &starts);

    CdrRecord record;
    FormatLocalDay(date, record.localDay);
    record.dayOfWeek = dayOfWeek;
    for (int64_t start : starts) {
      int32_t seconds = DrawCall(random, &record);
      if (plan.sites > 0) sites.Place(siteRandom, &record);
      if (plan.tenants > 0) tenants.Assign(tenantRandom, &record);
      if (limited) {
        // Only the trunk groups turn calls away.
        if (record.exitState == kExitAllTrunksBusy) {
          record.exitState = kExitConnect;
          seconds = DrawTalkSeconds(random);
        }
        const bool admitted = plan.siteLines.empty()
                                  ? trunks.Admit(start, start + seconds, TrunkEnds(record))
                                  : AdmitAtSites(siteTrunks, start, start + seconds, record);
        if (!admitted) {
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
