// Runs the built cdrgen and reads back what it wrote, for the generator's
// tests. (Header only: each test folder builds its *_test.cpp files alone.)
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/backend.h"
#include "support/raw_odbc.h"
#include "support/tool_runner.h"

// The generator program next to the console program in the build folder.
inline std::string CdrgenPath() {
  return (std::filesystem::path(NORTESK_ETP_PATH).parent_path() / "cdrgen").string();
}

// Runs cdrgen with `arguments` in zone `timeZone`.
inline ToolRun RunCdrgen(const std::vector<std::string>& arguments, const std::string& timeZone = "UTC") {
  ToolOptions options;
  options.program = CdrgenPath();
  options.arguments = arguments;
  options.timeZone = timeZone;
  return RunTool("", options);
}

// The columns cdrgen fills, in one fixed order, by SessionID.
inline constexpr char kSelectGeneratedCalls[] =
    "SELECT StartTime, EndTime, SessionID, CallerType, TargetType, ExitState, Direction, DayOfWeek, TrunkCall, "
    "HoldDuration, CallerNum, TargetNum, DNIS, LocalDay, CallerSiteNodeId, CalleeSiteNodeId, TargetTenant "
    "FROM CDRMAIN ORDER BY SessionID";

// Every row of CDRMAIN in a SQLite file (the columns above, by SessionID),
// read through the SQLite ODBC driver; NULL as kNullText.
inline std::vector<Row> ReadSqliteCalls(const std::string& file) {
  RawConnection db("Driver=SQLite3;Database=" + file);
  std::vector<Row> rows;
  if (db.ok()) db.Query(kSelectGeneratedCalls, &rows, kNullText);
  return rows;
}

// Column positions in a row read with kSelectGeneratedCalls.
enum GeneratedColumn {
  kStartTime, kEndTime, kSessionId, kCallerType, kTargetType, kExitState, kDirection, kDayOfWeek, kTrunkCall,
  kHoldDuration, kCallerNum, kTargetNum, kDnis, kLocalDay, kCallerSite, kCalleeSite, kTargetTenant
};
