// The sums behind the trunk-minutes report: seconds talked on trunk calls of
// one direction (1 inbound, 2 outbound) within a month. Each statement takes
// the month's first second, then the first second after it twice, as "%d"; a
// call counts only when it lies wholly inside that window. A row that ends
// before it starts (a call the phone system never closed has EndTime 0)
// counts nowhere: its negative length would swallow the month's real calls.
#pragma once

#define NORTESK_TRUNK_SECONDS \
  "select sum(EndTime - StartTime) as TalkTime from CDRMAIN where StartTime>=%d and StartTime<%d and EndTime<%d " \
  "and EndTime>=StartTime and "
#define NORTESK_ANY_TRUNK "(CallerType>=7 or TargetType>=7)"
#define NORTESK_TRUNK_NOT_SIP_TIE "((CallerType>=7 and CallerType<>9) or (TargetType>=7 and TargetType<>9))"

// Every call with a trunk end (endpoint type 7 or above).
inline constexpr char kInboundTrunkSeconds[] = NORTESK_TRUNK_SECONDS "Direction=1 and " NORTESK_ANY_TRUNK;
inline constexpr char kOutboundTrunkSeconds[] = NORTESK_TRUNK_SECONDS "Direction=2 and " NORTESK_ANY_TRUNK;

// Calls with a trunk end other than a SIP tie line (type 9).
inline constexpr char kInboundTrunkSecondsWithoutSipTie[] =
    NORTESK_TRUNK_SECONDS "Direction=1 and " NORTESK_TRUNK_NOT_SIP_TIE;
inline constexpr char kOutboundTrunkSecondsWithoutSipTie[] =
    NORTESK_TRUNK_SECONDS "Direction=2 and " NORTESK_TRUNK_NOT_SIP_TIE;

#undef NORTESK_TRUNK_SECONDS
#undef NORTESK_ANY_TRUNK
#undef NORTESK_TRUNK_NOT_SIP_TIE
