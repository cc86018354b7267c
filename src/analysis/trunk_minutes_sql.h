// The sums behind the trunk-minutes report: seconds talked on trunk calls of
// one direction (1 inbound, 2 outbound) within a month. Each statement takes
// the first second after the month as "%d", the table as "%s" (CDRMAIN, or
// one partition of it), then the month's first second and the first second
// after it again as "%d"; a call counts only when it lies wholly inside
// that window. A row that ends before it starts (a call the
// phone system never closed has EndTime 0) counts nowhere: its negative
// length would swallow the month's real calls.
//
// Which calls count is decided inside the sum, not in the WHERE: a sharded
// engine (Spider's direct aggregation) checks the WHERE again against one
// row made of each shard's column minima, and drops the shard's sum when a
// condition true of every row is false of those minima (CallerType>=7 or
// TargetType>=7 on a shard with a trunk-to-extension and an
// extension-to-trunk call). The StartTime range alone stays in the WHERE,
// for the index and the partitions: it holds of the minima whenever it holds
// of the rows.
#pragma once

#define NORTESK_TRUNK_SECONDS(calls)                                                                   \
  "select sum(case when EndTime<%d and EndTime>=StartTime and " calls                                 \
  " then EndTime - StartTime end) as TalkTime from %s where StartTime>=%d and StartTime<%d"
#define NORTESK_ANY_TRUNK "(CallerType>=7 or TargetType>=7)"
#define NORTESK_TRUNK_NOT_SIP_TIE "((CallerType>=7 and CallerType<>9) or (TargetType>=7 and TargetType<>9))"

// Every call with a trunk end (endpoint type 7 or above).
inline constexpr char kInboundTrunkSeconds[] = NORTESK_TRUNK_SECONDS("Direction=1 and " NORTESK_ANY_TRUNK);
inline constexpr char kOutboundTrunkSeconds[] = NORTESK_TRUNK_SECONDS("Direction=2 and " NORTESK_ANY_TRUNK);

// Calls with a trunk end other than a SIP tie line (type 9).
inline constexpr char kInboundTrunkSecondsWithoutSipTie[] =
    NORTESK_TRUNK_SECONDS("Direction=1 and " NORTESK_TRUNK_NOT_SIP_TIE);
inline constexpr char kOutboundTrunkSecondsWithoutSipTie[] =
    NORTESK_TRUNK_SECONDS("Direction=2 and " NORTESK_TRUNK_NOT_SIP_TIE);

#undef NORTESK_TRUNK_SECONDS
#undef NORTESK_ANY_TRUNK
#undef NORTESK_TRUNK_NOT_SIP_TIE
