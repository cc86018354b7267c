#include "analysis/day_statements.h"

#include "settings/settings.h"
#include "platform/text.h"

namespace {

#define NORTESK_DAY_SELECT                                                                  \
  "select StartTime,EndTime,SessionID,CallerNum,TargetNum,ExitState from CDRMAIN where " \
  "StartTime>=%d and StartTime<%d and EndTime<%d and "

constexpr DaySelects kDaySelects[] = {
    {kCheckExtension, kPassExtToExt,
     NORTESK_DAY_SELECT "((CallerType=1 or CallerType=2) or (TargetType=1 or TargetType=2))",
     NORTESK_DAY_SELECT "((CallerType=1 or CallerType=2) and (TargetType=1 or TargetType=2))"},
    {kCheckTrunk, kPassTrunkToTrunk, NORTESK_DAY_SELECT "(CallerType>=7 or TargetType>=7)",
     NORTESK_DAY_SELECT "(CallerType>=7 and TargetType>=7)"},
    {kCheckTrunkWithoutSipTie, kPassTrunkToTrunk,
     NORTESK_DAY_SELECT "((CallerType>=7 and CallerType<>9) or (TargetType>=7 and TargetType<>9))",
     NORTESK_DAY_SELECT "((CallerType>=7 and CallerType<>9) and (TargetType>=7 and TargetType<>9))"},
};

#undef NORTESK_DAY_SELECT

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
