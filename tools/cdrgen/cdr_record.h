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
  int32_t callerSite = 0;    // CallerSiteNodeId, 1..; 0 (NULL) when the run has no sites
  int32_t calleeSite = 0;    // CalleeSiteNodeId, likewise
  char callerNum[kNumberSize] = {};
  char targetNum[kNumberSize] = {};
  char dnis[kNumberSize] = {};  // dialled number of an inbound trunk call; empty (NULL) otherwise
  char localDay[9] = {};        // YYYYMMDD of the local start day
  char targetTenant[kNumberSize] = {};  // empty (NULL) when the run has no tenants
};

// The insert statement for the columns above, in the order in which the
// writers bind them: the integers, then the texts.
inline constexpr char kInsertCdrSql[] =
    "INSERT INTO CDRMAIN (StartTime, EndTime, SessionID, CallerType, TargetType, ExitState, Direction, "
    "DayOfWeek, TrunkCall, HoldDuration, CallerSiteNodeId, CalleeSiteNodeId, CallerNum, TargetNum, DNIS, "
    "LocalDay, TargetTenant) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
inline constexpr int kInsertIntegerColumns = 12;
inline constexpr int kInsertTextColumns = 5;

// The integer parameters of the insert in order; a site of 0 is written as
// NULL (`isNull`), every other integer as it is.
inline void InsertIntegers(const CdrRecord& r, int32_t (&values)[kInsertIntegerColumns],
                           bool (&isNull)[kInsertIntegerColumns]) {
  const int32_t all[kInsertIntegerColumns] = {r.startTime, r.endTime,   r.sessionId, r.callerType,
                                              r.targetType, r.exitState, r.direction, r.dayOfWeek,
                                              r.trunkCall,  r.holdDuration, r.callerSite, r.calleeSite};
  for (int c = 0; c < kInsertIntegerColumns; ++c) {
    values[c] = all[c];
    isNull[c] = c >= 10 && all[c] == 0;
  }
}

// The text parameters of the insert in order; an empty DNIS or tenant is
// written as NULL (`isNull`), the other texts as they are.
inline void InsertTexts(const CdrRecord& r, const char* (&texts)[kInsertTextColumns],
                        bool (&isNull)[kInsertTextColumns]) {
  const char* const all[kInsertTextColumns] = {r.callerNum, r.targetNum, r.dnis, r.localDay, r.targetTenant};
  for (int c = 0; c < kInsertTextColumns; ++c) {
    texts[c] = all[c];
    isNull[c] = (c == 2 || c == 4) && all[c][0] == '\0';
  }
}
