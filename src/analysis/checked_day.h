// What `check` judges, read on the checker's open session: one day's
// figures as the planner makes them, and the start of the newest record of
// any kind (a feed that stopped writing gives a quiet day, and only the age
// of the newest record tells the two apart).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/call_peak.h"
#include "analysis/check_request.h"
#include "planning/day_figures.h"

enum class CheckedDayOutcome {
  kRead,          // figures and newest hold what was read
  kDayUnread,     // the day's statements failed
  kNewestUnread,  // the newest record could not be read
};

struct CheckedDay {
  CheckedDayOutcome outcome = CheckedDayOutcome::kRead;
  // On failure: whether the connection was gone, and the driver's text.
  bool connectionLost = false;
  std::string diagnostics;
  DayFigures figures;
  // When the request groups the rows: each group with rows on the day, in
  // the byte order of their names, and its figures.
  std::vector<std::pair<std::string, DayFigures>> groups;
  // Epoch seconds of the newest record's start; empty for an empty table.
  std::optional<int64_t> newest;
};

// Reads the day that opens at local midnight `dayStart` as `request` asks,
// then the newest record. Nothing is printed; the checker is Reset first.
CheckedDay ReadCheckedDay(CCallPeak& checker, const CheckRequest& request, int32_t dayStart);
