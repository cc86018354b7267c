// One generated call-detail record: the columns of CDRMAIN that the
// generator fills. Every other column stays NULL.
#pragma once

#include <cstdint>

struct CdrRecord {
  static constexpr int kNumberSize = 24;

  int32_t startTime = 0;  // epoch seconds
  int32_t endTime = 0;    // epoch seconds, >= startTime
  int32_t sessionId = 0;  // unique in the table
  int32_t callerType = 0;  // 1, 2 extension; 7, 8 trunk; 9 SIP tie line
  int32_t targetType = 0;
  int32_t exitState = 0;     // 0..37
  int32_t direction = 0;     // 1 inbound, 2 outbound, 0 internal
  int32_t dayOfWeek = 0;     // of the local start day, 0 = Sunday
  int32_t trunkCall = 0;     // 1 when either end is a trunk
  int32_t holdDuration = 0;  // seconds on hold within the call
  char callerNum[kNumberSize] = {};
  char targetNum[kNumberSize] = {};
  char dnis[kNumberSize] = {};  // dialled number of an inbound trunk call; empty (NULL) otherwise
  char localDay[9] = {};        // YYYYMMDD of the local start day
};

// The insert statement for the columns above, in the order in which the
// writers bind them.
inline constexpr char kInsertCdrSql[] =
    "INSERT INTO CDRMAIN (StartTime, EndTime, SessionID, CallerType, TargetType, ExitState, Direction, "
    "DayOfWeek, TrunkCall, HoldDuration, CallerNum, TargetNum, DNIS, LocalDay) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
inline constexpr int kInsertIntegerColumns = 10;  // the first ten, then four texts
