// The generation run: day by day from the first day through the end date,
// the day's calls in order of their start, each with the next session
// number, handed to a sink.
//
// Sites and tenants label the calls: each day draws them from sequences of
// their own, apart from the day's sequence of calls, so a plan without them
// gives the rows it always gave, and a plan with them the same calls (the
// same times, ends, outcomes and lengths) save for the calls made tie calls
// and those that the trunk groups turn away.
#pragma once

#include <cstdint>
#include <vector>

#include "cdrgen/calendar.h"
#include "cdrgen/sink.h"

struct GeneratorPlan {
  int32_t days = 395;           // ending with endDate
  int32_t callsPerDay = 10000;  // long-run daily average at the end date
  CivilDate endDate;
  uint64_t seed = 1;
  // Yearly growth of the traffic in percent (above -100): the daily average
  // of a day n days before the end date is callsPerDay / (1 + growth/100)^(n/365).
  double growthPercent = 0.0;
  // Lines of the trunk group; 0 for unlimited. With a limit, a trunk call
  // that finds too few lines free is written with ExitState ALL_TRK_BUSY and
  // no talk time, and no other call has that exit state.
  int32_t trunkLines = 0;

  // Sites of the system, numbered 1..sites; 0 for none, leaving
  // CallerSiteNodeId and CalleeSiteNodeId NULL. A call lies at one site,
  // drawn by the shares: both columns hold it (the site of its trunk end is
  // that of its extension), for trunk-to-trunk calls too. A tie call runs
  // from one site (CallerSiteNodeId) to another (CalleeSiteNodeId).
  int32_t sites = 0;
  // Each site's share of the calls as a weight of at least 1, site k at
  // [k - 1]; the calls of site k are siteShares[k - 1] / (their sum) of all.
  // Empty for equal shares.
  std::vector<uint32_t> siteShares;
  // Lines of each site's own trunk group, site k at [k - 1]; empty for none.
  // Not with trunkLines. A call at one site holds one line per trunk end in
  // its site's group; a tie call holds one line in each of its two sites'
  // groups and is turned away (ALL_TRK_BUSY, no talk time) when either has
  // none free, holding nothing. As with trunkLines, no other call has that
  // exit state.
  std::vector<int32_t> siteLines;
  // Calls in a million made SIP tie calls between two sites (traffic.h's
  // MakeTieCall): the caller's site drawn by the shares, the callee's by
  // those of the other sites. Needs two sites or more; 0 for none.
  uint32_t tiePerMillion = 0;

  // Tenants named in TargetTenant, tenant-1 .. tenant-N zero-padded to the
  // digits of N; 0 for none (NULL). Every call has one, tenant k with a
  // share proportional to 1 / k^tenantZipf (call_groups.h).
  int32_t tenants = 0;
  double tenantZipf = 1.0;
};

// The most calls that a day of the plan can bring (weekday peak plus noise);
// bounds the session numbers a run can use.
int64_t MaxCallsOfPlan(const GeneratorPlan& plan);

// Writes the plan's calls to `sink`, numbering sessions from
// `firstSessionId` on. Returns false when the sink failed (it has
// reported); `*rowsWritten` counts the records handed over.
bool GenerateCalls(const GeneratorPlan& plan, int64_t firstSessionId, CdrSink& sink, int64_t* rowsWritten);
