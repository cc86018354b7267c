// The generation run: day by day from the first day through the end date,
// the day's calls in order of their start, each with the next session
// number, handed to a sink.
#pragma once

#include <cstdint>

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
};

// The most calls that a day of the plan can bring (weekday peak plus noise);
// bounds the session numbers a run can use.
int64_t MaxCallsOfPlan(const GeneratorPlan& plan);

// Writes the plan's calls to `sink`, numbering sessions from
// `firstSessionId` on. Returns false when the sink failed (it has
// reported); `*rowsWritten` counts the records handed over.
bool GenerateCalls(const GeneratorPlan& plan, int64_t firstSessionId, CdrSink& sink, int64_t* rowsWritten);
