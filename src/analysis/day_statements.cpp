#include "analysis/day_statements.h"

#include "settings/settings.h"
#include "platform/text.h"

namespace {

#define NORTESK_DAY_SELECT                                                                  \
  "select StartTime,EndTime,SessionID,CallerNum,TargetNum,ExitState from CDRMAIN where " \
  "StartTime>=%d and StartTime<%d and EndTime<%d and "
// The same rows with the session and the numbers left out: only the lists of
// calls show them, and the planner prints none. Each column less is one
// less value the driver converts and copies for every row.
#define NORTESK_DAY_TIMES                                           \
  "select StartTime,EndTime,ExitState from CDRMAIN where "          \
  "StartTime>=%d and StartTime<%d and EndTime<%d and "
#define NORTESK_EXT_ONE "((CallerType=1 or CallerType=2) or (TargetType=1 or TargetType=2))"
#define NORTESK_EXT_BOTH "((CallerType=1 or CallerType=2) and (TargetType=1 or TargetType=2))"
#define NORTESK_TRUNK_ONE "(CallerType>=7 or TargetType>=7)"
#define NORTESK_TRUNK_BOTH "(CallerType>=7 and TargetType>=7)"
#define NORTESK_NO_TIE_ONE "((CallerType>=7 and CallerType<>9) or (TargetType>=7 and TargetType<>9))"
#define NORTESK_NO_TIE_BOTH "((CallerType>=7 and CallerType<>9) and (TargetType>=7 and TargetType<>9))"

constexpr DaySelects kDaySelects[] = {
    {kCheckExtension, kPassExtToExt, NORTESK_DAY_SELECT NORTESK_EXT_ONE, NORTESK_DAY_SELECT NORTESK_EXT_BOTH,
     NORTESK_DAY_TIMES NORTESK_EXT_ONE, NORTESK_DAY_TIMES NORTESK_EXT_BOTH},
    {kCheckTrunk, kPassTrunkToTrunk, NORTESK_DAY_SELECT NORTESK_TRUNK_ONE, NORTESK_DAY_SELECT NORTESK_TRUNK_BOTH,
     NORTESK_DAY_TIMES NORTESK_TRUNK_ONE, NORTESK_DAY_TIMES NORTESK_TRUNK_BOTH},
    {kCheckTrunkWithoutSipTie, kPassTrunkToTrunk, NORTESK_DAY_SELECT NORTESK_NO_TIE_ONE,
     NORTESK_DAY_SELECT NORTESK_NO_TIE_BOTH, NORTESK_DAY_TIMES NORTESK_NO_TIE_ONE, NORTESK_DAY_TIMES NORTESK_NO_TIE_BOTH},
};

#undef NORTESK_DAY_SELECT
#undef NORTESK_DAY_TIMES
#undef NORTESK_EXT_ONE
#undef NORTESK_EXT_BOTH
#undef NORTESK_TRUNK_ONE
#undef NORTESK_TRUNK_BOTH
#undef NORTESK_NO_TIE_ONE
#undef NORTESK_NO_TIE_BOTH

}  // namespace

const DaySelects* DaySelectsFor(uint32_t checkMode) {
  for (const DaySelects& selects : kDaySelects) {
    if ((checkMode & selects.mode) != 0) return &selects;
  }
  return nullptr;
}

void FormatDaySelect(char* out, size_t size, const char* select, int32_t dayStart, int32_t dayEnd) {
  FormatBounded(out, size, select, static_cast<int>(dayStart), static_cast<int>(dayEnd), static_cast<int>(dayEnd));
}
