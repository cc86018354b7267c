// CheckRequest: what a peak check is asked to read, given to it whole by
// the caller. The console makes one from its settings; the planner and the
// check make their own and leave those settings alone.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/call_kinds.h"
#include "analysis/scan_calls.h"

struct GroupedSelects;

struct CheckRequest {
  // The kind of call counted; null: none chosen, a day reads no statement.
  const CallKind* kind = nullptr;
  // Also the day's second statement, which brings the calls with both ends
  // of the kind once more (the console's CountIPExtToIPExt of 1 or more).
  bool secondPass = true;
  // Calls in progress at this second are listed (kDetails only).
  int32_t viewTime = 0;
  // The data source the extra sessions of a range check open on.
  std::string dsn;
  // kTimes: the statements leave out the session and the numbers of the
  // calls, and no call is listed (a reader that lists none, the planner).
  CallColumns columns = CallColumns::kDetails;
  // Every row of a day is kept for the replay of its attempts, which the
  // day observer is handed as DayOccupancy::replay.
  bool keepsAttempts = false;
  // Not null: each row is also filed under its group (--group-by), read
  // with these statements of the kind instead of its own, and the day's
  // groups, not its total, keep their rows for the replay.
  const GroupedSelects* grouped = nullptr;
};
