// The statements of the peak checks: the shape of one day's selects, and
// the first and last record day of CDRMAIN.
#pragma once

#include <cstddef>
#include <cstdint>

// The two selects of a mode. `first` takes every call with one end of the
// mode's kind; `second` only those with both ends of it, so that such calls
// count twice. Each select delivers the six call-row columns and takes
// three numbers: the day's start, the next day's start, and that again (a
// call is the day's when it starts in the day and ends before its end).
struct DaySelects {
  uint32_t mode;      // kCheckExtension, kCheckTrunk or kCheckTrunkWithoutSipTie
  uint32_t passFlag;  // labels the calls that `second` lists
  const char* first;
  const char* second;
  // `first` and `second` reading only StartTime, EndTime and ExitState
  // (CallColumns::kTimes): the same rows, for a reader that lists no calls.
  const char* firstTimes;
  const char* secondTimes;
};
// The selects of each kind of call: analysis/call_kinds.h.

// Formats `select` for the day [dayStart, dayEnd) into `out`.
void FormatDaySelect(char* out, size_t size, const char* select, int32_t dayStart, int32_t dayEnd);

// Room for a formatted day select.
inline constexpr size_t kStatementSize = 260;

inline constexpr char kFirstRecordDayStatement[] = "select Min(LocalDay) as Day from CDRMAIN";
inline constexpr char kLastRecordDayStatement[] = "select Max(LocalDay) as Day from CDRMAIN";
// The start of the newest record of any kind, in epoch seconds; NULL for an
// empty table. No row condition, so that every engine answers it alike.
inline constexpr char kNewestRecordStartStatement[] = "select Max(StartTime) from CDRMAIN";
// Every LocalDay value (NULL among them) with the records that hold it.
inline constexpr char kRecordDayCountsStatement[] = "select LocalDay, Count(*) from CDRMAIN group by LocalDay";

// How many records, of whatever kind, start in a day: takes the day's
// start and the next day's start.
inline constexpr char kDayRecordCountSelect[] =
    "select Count(*) from CDRMAIN where StartTime>=%d and StartTime<%d";
