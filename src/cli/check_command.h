// nortesk-etp check: a monitoring plugin (Nagios, Icinga, Naemon, Checkmk)
// after the monitoring-plugins development guidelines. Reads one day, today
// so far or --day yesterday, as the single-day check d does, and prints one
// line on standard output:
//
//   TRUNKS WARNING - peak 27 of 30 lines (90%) at 10:42:13, 3 calls turned away today | peak_calls=27;24;28.5;0;30 ...
//
// Exit status 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN. UNKNOWN is every
// failure to find the figures: bad arguments (also a usage error, unlike
// the other commands' 2: a monitoring system reads 2 as CRITICAL), a data
// source that cannot be opened, a statement that fails, a lost connection,
// no answer within --timeout. The line then says why. Nothing else goes to
// standard output; the driver's diagnostics go nowhere, the reason is in
// the line.
//
//   --dsn NAME        data source (default "Internal Logger Database")
//   --calls KIND      trunk (default), trunk-no-sip-tie or extension
//   --day DAY         today (default), yesterday or YYYY-MM-DD
//   --lines N         lines installed; the peak thresholds are then percent
//                     of them, else calls
//   --group-by COLUMNS  judge each group of calls apart (cli/group_options.h:
//                     a column such as TargetTenant, or a pair
//                     CallerSiteNodeId:CalleeSiteNodeId, a call then in the
//                     group of its trunk end); the lines are then given per
//                     group, --lines GROUP=N (repeatable) or --lines-file FILE
//                     (CSV group,lines), and (none) names the group of NULL
//                     and empty values
//   --group GROUP     with --group-by: that group alone, its rows chosen by
//                     the database (a pair's calls with either end in it), its
//                     name bound to the statement as a value
//   --gos PERCENT     grade of service of lines_needed (default 1)
//   --warning-peak R, --critical-peak R        ranges (report/threshold_range.h)
//   --warning-blocked R, --critical-blocked R  calls turned away on the day
//   --warning-months R, --critical-months R    months until the lines run out,
//                     from the capacity plan of the whole record range (needs
//                     --lines, grouped the lines of one group at least, the
//                     groups with lines then planned each; read only when one
//                     of them is given)
//   --warning-age D, --critical-age D          age of the newest record of
//                     any kind (a feed that stopped writing): alerts when
//                     older than D, a duration of whole seconds (90), or
//                     with s, m, h or d (15m, 2h, 1d)
//   --timeout SECONDS past it UNKNOWN (default 30; a finite number from
//                     0.001 to 86400)
//   --metrics FILE    also writes cli/trunk_metrics.h's figures (OK, WARNING
//                     and CRITICAL only: a failed check leaves the file as it
//                     was, so its last-success time ages)
//
// Performance data: peak_calls (thresholds in calls, max the lines),
// busy_hour_erlangs (the planner's busy hour of the day: the 60 minutes
// with the most call-seconds), blocked_calls, lines_needed (Erlang B for
// that busy hour at --gos), months_left (with the months thresholds; the
// months projected, 60, when the lines last through all of them),
// record_age (seconds since the newest record of any kind started, Max of
// StartTime; left out when CDRMAIN holds none, which the age thresholds
// judge as past both).
//
// The line says how old the newest record is when an age threshold is
// given, and, without one, when a check of today finds no record of any
// kind started today.
//
// Grouped (cli/grouped_check.h has the rules), every group is judged by the
// same thresholds as the whole is without --group-by, a group with lines
// given and no call on the day as a day without traffic; the age is the
// whole table's, judged once. The status is the worst group's (CRITICAL
// over WARNING over OK), or the age's when that is worse; UNKNOWN stays
// the failure to find the figures, never a group's. The line names the
// worst three groups in the ungrouped words, then counts the others:
//
//   TRUNKS CRITICAL - site 1: peak 24 of 24 lines (100%) at 10:42:13, 3 calls turned away today; site 2 (WARNING): ...; and 4 more groups (1 WARNING, 3 OK) | 'site 1 peak_calls'=24;19.2;21.6;0;24 'site 1 busy_hour_erlangs'=... record_age=60s;;;0
//
// and its performance data hold each group's figures, its name and a space
// before each label, then record_age once. A group's name is data: a
// control character or '|' in it is shown as '_', and in a label '=' too
// (report/plugin_text.h); a label with anything but letters, digits and
// '_' goes in single quotes, a quote in it doubled. Every group is in the
// performance data: Nagios Core keeps only the first 8 KB of a plugin's
// output, some 25 groups; --group judges one. The metrics file then holds
// a sample of each group, labelled group="NAME".
//
// --day takes the days that 32-bit epoch seconds hold whole: from 1970 to
// the last local day that ends by 2038-01-19 03:14:07 UTC.
//
// A closed standard output (a reader that went away) does not end the check
// with a signal: the line is lost and the exit status is the check's.
#pragma once

#include <cstdint>
#include <string>

#include "cli/group_options.h"

namespace CLI {
class App;
}

inline constexpr int kCheckOk = 0;
inline constexpr int kCheckWarning = 1;
inline constexpr int kCheckCritical = 2;
inline constexpr int kCheckUnknown = 3;
// The line's word for each status.
inline constexpr const char* kCheckStatusNames[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};

struct CheckOptions {
  std::string dsn;
  std::string calls = "trunk";
  std::string day = "today";
  int32_t lines = 0;  // 0: not given (ungrouped)
  GroupOptions group;  // --group-by and the lines per group
  double gradePercent = 1.0;
  double highGradePercent = 7.0;  // of lines_needed, as plan's
  std::string busyDays = "auto";  // of the months left, as plan's
  std::string warningPeak, criticalPeak;
  std::string warningBlocked, criticalBlocked;
  std::string warningMonths, criticalMonths;
  std::string warningAge, criticalAge;  // durations, "" when not given
  double timeoutSeconds = 30.0;
  std::string metricsPath;
};

// Adds the subcommand "check" with its options to `app`; parsing fills
// `options`, which must outlive the parse.
CLI::App* AddCheckCommand(CLI::App* app, CheckOptions* options);

// Runs the check; returns its plugin status (0-3).
int RunCheck(const CheckOptions& options);

// For a command line naming check that could not be parsed: prints the
// UNKNOWN line with CLI11's `reason` on standard output and returns 3.
int ReportCheckUsageError(const std::string& reason);
