// The Asterisk views of tools/views/: an Asterisk-style cdr table with known
// calls, presented as CDRMAIN, answers the console's t and m, and plan, as
// those calls imply; the doctor passes it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/backend.h"
#include "support/tool_runner.h"

namespace {

struct AsteriskCall {
  const char* calldate;  // wall-clock time of the phone system, Europe/Berlin
  const char* src;
  const char* dst;
  const char* channel;
  const char* dstchannel;
  int duration, billsec;
  const char* disposition;
  const char* uniqueid;
};

// Trunks are SIP/provider-..., SIP/tie-... is a SIP tie line (the example
// rows of cdr_trunk_prefix.sql); every other channel is an extension.
const std::vector<AsteriskCall> kCalls = {
    // From a trunk to the SIP tie line: counted by both day statements.
    {"2026-02-08 20:00:00", "5550100", "2001", "SIP/provider-00000001", "SIP/tie-00000002", 60, 58, "ANSWERED",
     "1770577200.1"},
    // Inbound and outbound trunk calls overlapping from 10:05 to 10:10.
    {"2026-02-09 10:00:00", "5551234", "101", "SIP/provider-00000003", "SIP/101-00000004", 600, 590, "ANSWERED",
     "1770627600.3"},
    {"2026-02-09 10:05:00", "102", "5559876", "SIP/102-00000005", "SIP/provider-00000006", 300, 290, "ANSWERED",
     "1770627900.5"},
    {"2026-02-09 10:06:00", "101", "103", "SIP/101-00000007", "SIP/103-00000008", 240, 230, "ANSWERED",
     "pbx1-1770627960.7"},
    {"2026-02-09 11:00:00", "2001", "104", "SIP/tie-00000009", "SIP/104-0000000a", 120, 115, "ANSWERED",
     "1770631200.9"},
    {"2026-02-09 12:00:00", "5551234", "105", "SIP/provider-0000000b", "SIP/105-0000000c", 10, 0, "BUSY",
     "1770634800.11"},
    {"2026-02-09 13:00:00", "106", "5550000", "SIP/106-0000000d", "SIP/provider-0000000e", 30, 0, "NO ANSWER",
     "1770638400.13"},
    {"2026-02-09 14:00:00", "107", "5550001", "SIP/107-0000000f", "", 0, 0, "FAILED", "1770642000.15"},
    {"2026-02-09 14:30:00", "108", "5550002", "SIP/108-00000010", "SIP/provider-00000011", 3, 0, "CONGESTION",
     "1770643800.16"},
};

std::string Values(const AsteriskCall& c) {
  auto text = [](const char* value) { return std::string("'") + value + "'"; };
  return "(" + text(c.calldate) + "," + text(c.src) + "," + text(c.dst) + "," + text(c.channel) + "," +
         text(c.dstchannel) + "," + std::to_string(c.duration) + "," + std::to_string(c.billsec) + "," +
         text(c.disposition) + "," + text(c.uniqueid) + ")";
}

std::string Script(const std::vector<std::string>& statements) {
  std::string script;
  for (const std::string& statement : statements) script += statement + ";";
  return script;
}

class AsteriskViewsTest : public BackendTest {
 protected:
  // Runs `sql` as the phone system's side does. MariaDB computes the epoch
  // seconds in the zone of the session that writes a row, which is the
  // server's zone; the test server runs in UTC, so the session takes the
  // offset of Berlin in February (named zones need the server's zone tables).
  void ExecInPhoneZone(const std::string& sql) {
    Exec(kLoggerDsn, (IsMariaDB() ? "SET time_zone = '+01:00';" : "") + sql);
  }
  void InsertCalls(size_t first, size_t end) {
    std::string sql = "INSERT INTO cdr (calldate, src, dst, channel, dstchannel, duration, billsec, disposition, "
                      "uniqueid) VALUES ";
    for (size_t i = first; i < end; ++i) sql += (i > first ? "," : "") + Values(kCalls[i]);
    ExecInPhoneZone(sql);
  }
};

TEST_P(AsteriskViewsTest, PeakTrunkMinutesAndPlanOfKnownCalls) {
  if (!IsPostgres() && !IsMariaDB()) GTEST_SKIP() << "the Asterisk views are written for MariaDB and PostgreSQL";
  AddDataSource(kLoggerDsn);
  ASSERT_FALSE(HasFatalFailure());
  // The classic layout of Asterisk's cdr table.
  Exec(kLoggerDsn, std::string("CREATE TABLE cdr (calldate ") + (IsPostgres() ? "TIMESTAMP" : "DATETIME") +
                       " NOT NULL, clid VARCHAR(80) NOT NULL DEFAULT '', src VARCHAR(80) NOT NULL DEFAULT '', "
                       "dst VARCHAR(80) NOT NULL DEFAULT '', dcontext VARCHAR(80) NOT NULL DEFAULT '', "
                       "channel VARCHAR(80) NOT NULL DEFAULT '', dstchannel VARCHAR(80) NOT NULL DEFAULT '', "
                       "lastapp VARCHAR(80) NOT NULL DEFAULT '', lastdata VARCHAR(80) NOT NULL DEFAULT '', "
                       "duration INTEGER NOT NULL DEFAULT 0, billsec INTEGER NOT NULL DEFAULT 0, "
                       "disposition VARCHAR(45) NOT NULL DEFAULT '', amaflags INTEGER NOT NULL DEFAULT 0, "
                       "accountcode VARCHAR(20) NOT NULL DEFAULT '', uniqueid VARCHAR(150) NOT NULL DEFAULT '', "
                       "userfield VARCHAR(255) NOT NULL DEFAULT '')");
  // One call is in the table before the view is loaded, the others are
  // written after it, as Asterisk goes on writing.
  InsertCalls(0, 1);
  std::string view = Script(ProjectSqlStatements(IsPostgres() ? "tools/views/asterisk_postgresql.sql"
                                                               : "tools/views/asterisk_mariadb.sql"));
  if (IsPostgres()) {
    // The PostgreSQL view names the zone of the phone system; a user edits it.
    const std::string shipped = "text 'UTC'";
    size_t zone = view.find(shipped);
    ASSERT_NE(zone, std::string::npos);
    view.replace(zone, shipped.size(), "text 'Europe/Berlin'");
  }
  ExecInPhoneZone(Script(ProjectSqlStatements("tools/views/cdr_trunk_prefix.sql")) + view);
  InsertCalls(1, kCalls.size());
  ASSERT_FALSE(HasFatalFailure());

  // SessionID, ExitState (8 CONNECT, 5 BUSY, 4 RNA, 22 NO_SESSION, 21
  // ALL_TRK_BUSY), the endpoint types, Direction and LocalDay of each call.
  const std::vector<Row> mapped = {
      {"1", "8", "7", "9", "1", "20260208"},  {"3", "8", "7", "1", "1", "20260209"},
      {"5", "8", "1", "7", "2", "20260209"},  {"7", "8", "1", "1", "0", "20260209"},
      {"9", "8", "9", "1", "1", "20260209"},  {"11", "5", "7", "1", "1", "20260209"},
      {"13", "4", "1", "7", "2", "20260209"}, {"15", "22", "1", "1", "0", "20260209"},
      {"16", "21", "1", "7", "2", "20260209"},
  };
  EXPECT_EQ(Query(kLoggerDsn, "select SessionID, ExitState, CallerType, TargetType, Direction, LocalDay "
                              "from CDRMAIN order by StartTime"),
            mapped);
  // The billed time rides along for those who count it: 58+590+290+230+115 s.
  EXPECT_EQ(Query(kLoggerDsn, "select SUM(BilledSeconds) from CDRMAIN"), (std::vector<Row>{{"1283"}}));

  ToolOptions options;
  options.timeZone = "Europe/Berlin";
  options.frozenClock = "2026-02-10 12:00:00";
  ToolRun run = RunTool("t m q", options);
  EXPECT_EQ(run.status, 0);
  // t: the trunk-to-trunk call is two calls of the 8th, the overlap the peak
  // of the 9th; the internal and the failed call are no trunk calls. m: duration (ringing included), not billsec, of the
  // trunk calls: inbound 60+600+120+10 s, outbound 300+30+3 s.
  const std::string noMinutes = ": Trunk calls (minutes), inbound 0, outbound 0, total 0\n";
  EXPECT_EQ(run.out, StartupText() + kPromptText +
                         "Checking trunk records from 02/2026 to 02/2026...\n\nPeak trunk calls\n"
                         "\t 1: 2 calls at 2026/02/08 20:00:00\n\t 2: 2 calls at 2026/02/09 10:05:00\n"
                         "Checked 8 records, elapsed time 0.000 seconds\n" +
                         kPromptText + "Checking trunk minutes from 11/2025 to 02/2026...\n\n2025/11" + noMinutes +
                         "2025/12" + noMinutes + "2026/01" + noMinutes +
                         "2026/02: Trunk calls (minutes), inbound 13, outbound 5, total 18\n\n" + kPromptText);

  // plan counts the calls t counts, day by day up to today. The 8th: the
  // trunk-to-trunk minute twice, so 120 call-seconds in the earliest hour
  // that holds them. The 9th: the 10- and 5-minute calls overlap, 900
  // call-seconds in the hour from 09:10 (the tie line's 2 minutes at 11:00
  // fit no hour with both whole); CONGESTION is the one blocked call.
  // The doctor finds nothing to mend in the view, and no index to ask for.
  options.arguments = {"doctor"};
  ToolRun doctor = RunTool("", options);
  EXPECT_EQ(doctor.status, 0) << doctor.out;
  EXPECT_NE(doctor.out.find("\nskip  CDRMAIN is a view: "), std::string::npos) << doctor.out;
  // The view's table has the index the day statements use: no hint before
  // t, and "index" says where the index belongs instead of failing on it.
  EXPECT_EQ(run.err.find("Hint:"), std::string::npos) << run.err;
  options.arguments = {"index"};
  ToolRun index = RunTool("", options);
  EXPECT_EQ(index.status, 1);
  EXPECT_EQ(index.err,
            "nortesk-etp: CDRMAIN in \"Internal Logger Database\" is a view: its index belongs on the table beneath "
            "it (README, \"Asterisk records\")\n");

  const std::string dir = ScratchDir() + "/plan";
  options.arguments = {"plan", "--csv", dir};
  ToolRun plan = RunTool("", options);
  EXPECT_EQ(plan.status, 0) << plan.err;
  EXPECT_EQ(plan.out.rfind("Capacity plan for data source \"Internal Logger Database\"\n"
                           "Trunk calls from 2026-02-08 to 2026-02-09: 2 days, 8 call records read; grade of "
                           "service 1% blocking",
                           0),
            0u)
      << plan.out;
  // The 8th's peak hour holds the trunk-to-trunk minute twice (earliest of
  // the four that do); the 9th's the overlap of the 10- and 5-minute calls.
  // Only the 9th reaches half the month's median peak hour: it alone is a
  // busy day, and its busy hour from 09:15 is the month's, where no attempt
  // was turned away (CONGESTION came at 14:30). 0.250 E needs 3 lines at 1%;
  // the high load, the mean of both peak hours, 2 at 7%.
  EXPECT_EQ(ReadWholeFile(dir + "/days.csv"),
            "date,calls,peak_calls,peak_time,busy_hour_start,busy_hour_erlangs,blocked_calls,missing,"
            "peak_hour_start,peak_hour_erlangs,busy_day\r\n"
            "2026-02-08,2,2,20:00:00,19:01:00,0.033,0,0,19:15:00,0.033,0\r\n"
            "2026-02-09,6,2,10:05:00,09:10:00,0.250,1,0,09:15:00,0.250,1\r\n");
  EXPECT_EQ(ReadWholeFile(dir + "/months.csv"),
            "month,kind,days,busy_days,busy_hour_start,carried_erlangs,blocked_share,load_erlangs,"
            "high_load_erlangs,load_upper_erlangs,peak_calls,blocked_calls,lines_needed,lines_needed_upper,model\r\n"
            "2026-02,partial,2,1,09:15,0.250,0.0000,0.250,0.142,,2,1,3,,\r\n");
}

INSTANTIATE_BACKENDS(AsteriskViewsTest);

}  // namespace
