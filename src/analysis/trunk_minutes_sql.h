// The sums behind the trunk-minutes report: seconds talked on trunk calls of
// one direction (1 inbound, 2 outbound) within a month. Each statement takes
// the month's first second and the first second after it, in that order, as
// "%d"; a call counts only when it lies wholly inside that window.
#pragma once

// Every call with a trunk end (endpoint type 7 or above).
inline constexpr char kInboundTrunkSeconds[] =
    "select sum(EndTime - StartTime) as TalkTime from CDRMAIN where StartTime>=%d and EndTime<%d and Direction=1 "
    "and (CallerType>=7 or TargetType>=7)";
inline constexpr char kOutboundTrunkSeconds[] =
    "select sum(EndTime - StartTime) as TalkTime from CDRMAIN where StartTime>=%d and EndTime<%d and Direction=2 "
    "and (CallerType>=7 or TargetType>=7)";

// Calls with a trunk end other than a SIP tie line (type 9).
inline constexpr char kInboundTrunkSecondsWithoutSipTie[] =
    "select sum(EndTime - StartTime) as TalkTime from CDRMAIN where StartTime>=%d and EndTime<%d and Direction=1 "
    "and ((CallerType>=7 and CallerType<>9) or (TargetType>=7 and TargetType<>9))";
inline constexpr char kOutboundTrunkSecondsWithoutSipTie[] =
    "select sum(EndTime - StartTime) as TalkTime from CDRMAIN where StartTime>=%d and EndTime<%d and Direction=2 "
    "and ((CallerType>=7 and CallerType<>9) or (TargetType>=7 and TargetType<>9))";
