#include "analysis/call_kinds.h"

#include "settings/settings.h"

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

constexpr CallKind kCallKinds[] = {
    {'t', "trunk", "Trunk calls", "Peak trunk calls", "trunk records", "check peak trunk calls",
     {kCheckTrunk, kPassTrunkToTrunk, NORTESK_DAY_SELECT NORTESK_TRUNK_ONE, NORTESK_DAY_SELECT NORTESK_TRUNK_BOTH,
      NORTESK_DAY_TIMES NORTESK_TRUNK_ONE, NORTESK_DAY_TIMES NORTESK_TRUNK_BOTH},
     NORTESK_TRUNK_ONE, NORTESK_TRUNK_BOTH, "CallerType>=7", +[](int32_t type) { return type >= 7; }},
    {'T', "trunk-no-sip-tie", "Trunk calls without SIP-TIE", "Peak trunk calls without SIP-TIE",
     "trunk records without SIP-TIE", "check peak trunk calls without SIP-TIE",
     {kCheckTrunkWithoutSipTie, kPassTrunkToTrunk, NORTESK_DAY_SELECT NORTESK_NO_TIE_ONE,
      NORTESK_DAY_SELECT NORTESK_NO_TIE_BOTH, NORTESK_DAY_TIMES NORTESK_NO_TIE_ONE,
      NORTESK_DAY_TIMES NORTESK_NO_TIE_BOTH},
     NORTESK_NO_TIE_ONE, NORTESK_NO_TIE_BOTH, "(CallerType>=7 and CallerType<>9)", +[](int32_t type) { return type >= 7 && type != 9; }},
    {'e', "extension", "Extension calls", "Peak extension calls", "extension records", "check peak extension calls",
     {kCheckExtension, kPassExtToExt, NORTESK_DAY_SELECT NORTESK_EXT_ONE, NORTESK_DAY_SELECT NORTESK_EXT_BOTH,
      NORTESK_DAY_TIMES NORTESK_EXT_ONE, NORTESK_DAY_TIMES NORTESK_EXT_BOTH},
     NORTESK_EXT_ONE, NORTESK_EXT_BOTH, "(CallerType=1 or CallerType=2)", +[](int32_t type) { return type == 1 || type == 2; }},
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

std::span<const CallKind> CallKinds() { return kCallKinds; }

const CallKind& CallKindNamed(const std::string& name) {
  for (const CallKind& kind : kCallKinds) {
    if (name == kind.name) return kind;
  }
  return kCallKinds[0];
}

const CallKind* CallKindOfMode(uint32_t checkMode) {
  for (uint32_t flag : {kCheckExtension, kCheckTrunk, kCheckTrunkWithoutSipTie}) {
    if ((checkMode & flag) == 0) continue;
    for (const CallKind& kind : kCallKinds) {
      if (kind.Mode() == flag) return &kind;
    }
  }
  return nullptr;
}

const CallKind* CallKindOfLetter(char letter) {
  for (const CallKind& kind : kCallKinds) {
    if (kind.letter == letter) return &kind;
  }
  return nullptr;
}

const DaySelects* DaySelectsFor(uint32_t checkMode) {
  const CallKind* kind = CallKindOfMode(checkMode);
  return kind != nullptr ? &kind->selects : nullptr;
}
