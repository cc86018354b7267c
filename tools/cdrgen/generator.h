// The generation run: day by day from the first day through the end date,
// the day's calls in order of their start, each with the next session
// number, handed to a sink.
#pragma once

#include <cstdint>

#include "cdrgen/calendar.h"
#include "cdrgen/sink.h"

struct GeneratorPlan {
  int32_t days = 395;           // ending with endDate
  int32_t callsPerDay = 10000;  // long-run daily average
  CivilDate endDate;
  uint64_t seed = 1;
};

// The most calls that a day of the plan can bring (weekday peak plus noise);
// bounds the session numbers a run can use.
int64_t MaxCallsOfPlan(const GeneratorPlan& plan);

// Writes the plan's calls to `sink`, numbering sessions from
// `firstSessionId` on. Returns false when the sink failed (it has
// reported); `*rowsWritten` counts the records handed over.
bool GenerateCalls(const GeneratorPlan& plan, int64_t firstSessionId, CdrSink& sink, int64_t* rowsWritten);
