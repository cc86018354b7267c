// nortesk-etp doctor on every backend: generated records pass every check,
// and each crafted fault fails the check that looks for it.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cli/doctor_odbc_ini.h"
#include "support/backend.h"
#include "support/tool_runner.h"
#include "tools/cdrgen_runner.h"

namespace {

ToolRun Doctor(const std::vector<std::string>& arguments = {}) {
  ToolOptions options;
  options.arguments = {"doctor"};
  options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
  return RunTool("", options);
}

const std::string kConnected = "ok    connected to data source \"Internal Logger Database\"\n";
const std::string kColumnsUsable = "ok    table CDRMAIN has the 10 columns the tool reads, in types it can use\n";
const std::string kIndexed = "ok    an index led by StartTime serves the day checks\n";

class DoctorTest : public BackendTest {};

TEST_P(DoctorTest, GeneratedRecordsPassEveryCheck) {
  AddDataSource(kLoggerDsn);
  ToolRun generated = RunCdrgen({"--dsn", kLoggerDsn, "--days", "3", "--calls-per-day", "40", "--end-date",
                                 "2026-02-10", "--seed", "3"});
  ASSERT_EQ(generated.status, 0) << generated.err;
  const std::string rows = Query(kLoggerDsn, "SELECT COUNT(*) FROM CDRMAIN").at(0).at(0);
  ToolRun run = Doctor();
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kConnected + kColumnsUsable + "ok    StartTime and EndTime hold epoch seconds (" + rows +
                         " rows sampled)\nok    LocalDay holds record days (" + rows + " rows sampled)\nok    " +
                         rows + " records from 2026-02-08 to 2026-02-10, 0 of them end before they start\n" +
                         "ok    111 extension, 85 trunk, 72 trunk without SIP tie records in " + rows +
                         " sampled rows\nok    LocalDay is the day of StartTime in this zone, TZ=UTC (" + rows +
                         " rows sampled)\n" + kIndexed);
}

TEST_P(DoctorTest, AnEmptyTableFailsTheRecordCount) {
  AddDataSource(kLoggerDsn);
  CreateCdrTable(kLoggerDsn);
  ToolRun run = Doctor();
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, kConnected + kColumnsUsable +
                         "skip  StartTime and EndTime not sampled: the table holds no rows\n"
                         "skip  LocalDay not sampled: the table holds no rows\n"
                         "FAIL  CDRMAIN holds no records, so the checks find no day to check: point the data "
                         "source at the database that the phone system writes into\n"
                         "skip  call kinds not counted: the table holds no rows\n"
                         "skip  the time zone not checked: the table holds no rows\n" +
                         kIndexed);
}

TEST_P(DoctorTest, IntegersOutsideEpochSecondsFailTheSample) {
  AddDataSource(kLoggerDsn);
  CreateCdrTable(kLoggerDsn);
  InsertCall(kLoggerDsn, {.startTime = 1770627600, .endTime = 1770627660, .localDay = "20260209"});
  // A day written as YYYYMMDD where the start belongs; 0 is an end never
  // written and passes.
  InsertCall(kLoggerDsn, {.startTime = 20260209, .endTime = 0, .sessionId = 2, .localDay = "20260209"});
  ToolRun run = Doctor();
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, kConnected + kColumnsUsable +
                         "FAIL  StartTime holds '20260209' in 1 of 2 sampled rows, not epoch seconds of 1990 to "
                         "2038: store seconds since 1970-01-01 00:00:00 UTC, or present the table through a view "
                         "that converts them (tools/views/)\n"
                         "ok    LocalDay holds record days (2 rows sampled)\n"
                         "ok    2 records from 2026-02-09 to 2026-02-09, 1 of them end before they start\n"
                         "FAIL  2 extension, 0 trunk, 0 trunk without SIP tie records in 2 sampled rows, so t, T, m "
                         "and plan find nothing: CallerType and TargetType hold 1; trunks are 7 and above, a SIP "
                         "tie line 9 (README, \"The columns the tool reads\")\n"
                         "ok    LocalDay is the day of StartTime in this zone, TZ=UTC (1 rows sampled)\n" +
                         kIndexed);
}

TEST_P(DoctorTest, TimestampColumnsAMissingColumnForeignDaysAndNoIndexEachFail) {
  AddDataSource(kLoggerDsn);
  Exec(kLoggerDsn,
       "CREATE TABLE CDRMAIN (StartTime TIMESTAMP NULL, EndTime TIMESTAMP NULL, SessionID INTEGER, "
       "CallerNum VARCHAR(64), TargetNum VARCHAR(64), ExitState INTEGER, CallerType INTEGER, TargetType INTEGER, "
       "LocalDay VARCHAR(10));"
       "INSERT INTO CDRMAIN VALUES ('2026-02-09 10:00:00', '2026-02-09 10:01:00', 1, '100', '200', 8, 7, 1, "
       "'09.02.2026')");
  ToolRun run = Doctor();
  EXPECT_EQ(run.status, 1);
  // The name each backend's driver gives the type.
  const std::string found = IsPostgres() ? "timestamp without time zone" : IsMariaDB() ? "timestamp" : "TIMESTAMP";
  const std::string epochAdvice =
      ", needs integer epoch seconds: store seconds since 1970-01-01 00:00:00 UTC, or present the table through "
      "a view that converts them (tools/views/)\n";
  EXPECT_EQ(run.out,
            kConnected + "FAIL  column StartTime (start of the call) is " + found + epochAdvice +
                "FAIL  column EndTime (end of the call) is " + found + epochAdvice +
                "FAIL  column Direction (1 inbound, 2 outbound) is missing: add it as integer\n"
                "skip  StartTime and EndTime not sampled until their columns are mended\n"
                "FAIL  LocalDay holds '09.02.2026' in 1 of 1 sampled rows, not a day as YYYYMMDD or YYYY-MM-DD: "
                "store the local day of the start as text YYYYMMDD or YYYY-MM-DD, or as a DATE\n"
                "skip  records not counted until StartTime, EndTime and LocalDay are mended\n"
                "ok    1 extension, 1 trunk, 1 trunk without SIP tie records in 1 sampled rows\n"
                "skip  the time zone not checked until StartTime and LocalDay are mended\n"
                "FAIL  no index of CDRMAIN is led by StartTime, so every day checked reads the whole table: "
                "create one with nortesk-etp index --dsn \"Internal Logger Database\"\n");
}

// Calls at night in Berlin, written with Berlin's days: in New York's zone
// their start falls on the day before; and not one of them is a trunk call.
TEST_P(DoctorTest, AnotherZoneThanThePhoneSystemsAndNoTrunkCallsFail) {
  AddDataSource(kLoggerDsn);
  CreateCdrTable(kLoggerDsn);
  for (int i = 0; i < 5; ++i) {
    const int start = 1770591600 + i * 600;  // 2026-02-09 00:00 Berlin, then every ten minutes
    InsertCall(kLoggerDsn, {.startTime = start, .endTime = start + 60, .sessionId = i, .localDay = "20260209"});
  }
  ToolOptions options;
  options.arguments = {"doctor"};
  options.timeZone = "America/New_York";
  ToolRun run = RunTool("", options);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("\nFAIL  5 extension, 0 trunk, 0 trunk without SIP tie records in 5 sampled rows, so t, "
                         "T, m and plan find nothing: CallerType and TargetType hold 1; "),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\nFAIL  LocalDay is not the day of StartTime in this zone, TZ=America/New_York, in "
                         "100.0% of 5 sampled rows: run the tool in the phone system's zone"),
            std::string::npos)
      << run.out;
  options.timeZone = "Europe/Berlin";
  EXPECT_NE(RunTool("", options).out.find("\nok    LocalDay is the day of StartTime in this zone, TZ=Europe/Berlin"),
            std::string::npos);
}

TEST_P(DoctorTest, AFailedConnectionAndAMissingTableSayWhy) {
  AddUnreachableDataSource("Nowhere");
  AddDataSource(kLoggerDsn);
  ToolRun unreachable = Doctor({"--dsn", "Nowhere"});
  EXPECT_EQ(unreachable.status, 1);
  const std::string failed = "FAIL  cannot connect to data source \"Nowhere\": mend its section in the odbc.ini "
                             "named below, or the server or account that the section names. The driver said:\n";
  EXPECT_EQ(unreachable.out.substr(0, failed.size()), failed);
  EXPECT_NE(unreachable.out.find("(SQLSTATE "), std::string::npos) << unreachable.out;
  EXPECT_NE(unreachable.out.find("      Data source names are looked up in "), std::string::npos) << unreachable.out;

  ToolRun noTable = Doctor();
  EXPECT_EQ(noTable.status, 1);
  EXPECT_EQ(noTable.out.rfind(kConnected + "FAIL  table CDRMAIN cannot be read: ", 0), 0u) << noTable.out;
  EXPECT_NE(noTable.out.find(". Create it with tools/cdrmain.sql"), std::string::npos) << noTable.out;

  // A monitoring user's odbc.ini that it may not write: unixODBC gives the
  // driver none of its settings, so the section is not what to mend. Judged
  // by the mode, as root would be too.
  const std::string ini = std::getenv("ODBCINI");
  ASSERT_EQ(chmod(ini.c_str(), 0444), 0);
  ToolRun readOnly = Doctor({"--dsn", "Nowhere"});
  EXPECT_EQ(readOnly.status, 1);
  EXPECT_EQ(readOnly.out.rfind("FAIL  cannot connect to data source \"Nowhere\", and the odbc.ini in force, " + ini +
                                   ", is read-only for this user (uid ",
                               0),
            0u)
      << readOnly.out;
  EXPECT_NE(readOnly.out.find("or declare the data source in the system odbc.ini, /etc/odbc.ini. The driver said:\n"),
            std::string::npos)
      << readOnly.out;
}

// psqlODBC's communication log, which Debian's driver entries turn on: the
// data source's CommLog=0 (as this fixture's sections say) overrides the
// driver's entry; without it doctor names the entry. Other drivers have no
// such log, whatever their sections say.
TEST_P(DoctorTest, PsqlodbcsCommunicationLogIsNamedWhereItIsTurnedOn) {
  AddDataSource(kLoggerDsn);
  CreateCdrTable(kLoggerDsn);
  const std::string section = ReadWholeFile(std::getenv("ODBCINI"));
  const std::string ini = ScratchDir() + "/commlog.ini";
  const std::string logLine = "FAIL  psqlODBC's communication log is on (CommLog=1 in ";
  setenv("ODBCINI", ini.c_str(), 1);
  if (!IsPostgres()) {
    std::ofstream(ini) << section << "CommLog=1\n";
    EXPECT_EQ(Doctor().out.find(logLine), std::string::npos);
    return;
  }
  const std::string drivers = ScratchDir() + "/drivers";
  ASSERT_EQ(mkdir(drivers.c_str(), 0755), 0);
  std::ofstream(drivers + "/odbcinst.ini") << "[PostgreSQL ANSI]\nDriver=psqlodbca.so\nCommLog=1\nLogdir=" << ScratchDir()
                                           << "\n";
  setenv("ODBCSYSINI", drivers.c_str(), 1);
  std::ofstream(ini) << section;
  ToolRun off = Doctor();
  EXPECT_EQ(off.out.find(logLine), std::string::npos) << off.out;

  std::string withoutOverride = section;
  withoutOverride.erase(withoutOverride.find("CommLog=0\n"), 10);
  std::ofstream(ini) << withoutOverride;
  ToolRun on = Doctor();
  EXPECT_EQ(on.status, 1);
  EXPECT_NE(on.out.find(kConnected + logLine + "the driver's section [PostgreSQL ANSI] of odbcinst.ini), so every "
                        "run leaves a file psqlodbc_*.log in /tmp: add the line CommLog=0 to the section [Internal "
                        "Logger Database] of odbc.ini (psqlODBC then still writes a line at each disconnect unless "
                        "the driver's section says CommLog=0 as well)\n"),
            std::string::npos)
      << on.out;
}

INSTANTIATE_BACKENDS(DoctorTest);

TEST(DoctorOdbcIni, TheWriteBitOfTheUsersOwnClassDecides) {
  const std::vector<gid_t> groups = {100, 20};
  EXPECT_FALSE(ModeLetsWrite(0444, 1000, 100, 1000, groups));
  EXPECT_TRUE(ModeLetsWrite(0644, 1000, 100, 1000, groups));
  // Not the owner: the group's bit, for any of the user's groups.
  EXPECT_FALSE(ModeLetsWrite(0644, 0, 20, 1000, groups));
  EXPECT_TRUE(ModeLetsWrite(0464, 0, 20, 1000, groups));
  // Neither: the others' bit; the owner's class never borrows it.
  EXPECT_FALSE(ModeLetsWrite(0664, 0, 0, 1000, groups));
  EXPECT_TRUE(ModeLetsWrite(0446, 0, 0, 1000, groups));
  EXPECT_FALSE(ModeLetsWrite(0442, 1000, 100, 1000, groups));
}

TEST(DoctorCommandLine, BadArgumentsExitWith2) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--dsn", ""}, {"extra"}}) {
    ToolRun run = Doctor(arguments);
    EXPECT_EQ(run.status, 2) << arguments.back();
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
  }
}

}  // namespace
