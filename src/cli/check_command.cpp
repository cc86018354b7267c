#include "cli/check_command.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "analysis/call_kinds.h"
#include "analysis/call_peak.h"
#include "analysis/checked_day.h"
#include "analysis/group_by.h"
#include "analysis/grouped_scan.h"
#include "analysis/record_day.h"
#include "cli/check_line.h"
#include "cli/check_months.h"
#include "cli/grouped_check.h"
#include "cli/plan_option_values.h"
#include "cli/trunk_metrics.h"
#include "settings/settings.h"
#include "platform/local_time.h"
#include "platform/output_redirect.h"
#include "report/threshold_range.h"
#include "timeutil/time_conversions.h"

namespace {

std::string ServiceName(const std::string& calls) { return calls == "extension" ? "EXTENSIONS" : "TRUNKS"; }

// Writes the whole line to `fd`; a monitoring system that cannot read it
// learns the status from the exit code all the same (SIGPIPE is ignored
// while the check runs, so a closed pipe fails the write instead of ending
// the process).
void WriteLine(int fd, const std::string& line) {
  size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = write(fd, line.data() + done, line.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

// The deadline of --timeout: a thread that, unless the check has answered
// first, prints the UNKNOWN line and ends the process with status 3. A
// statement blocked in a driver (a locked table, a server that stopped
// answering) cannot hold the check past it.
class Deadline {
 public:
  Deadline(double seconds, int fd, std::string line) : fd_(fd), line_(std::move(line)) {
    watcher_ = std::thread([this, seconds] {
      std::unique_lock<std::mutex> lock(mutex_);
      const auto limit = std::chrono::duration<double>(seconds);
      if (!wake_.wait_for(lock, limit, [this] { return answered_; })) {
        WriteLine(fd_, line_);
        _exit(kCheckUnknown);
      }
    });
  }
  ~Deadline() {
    Answer();
    watcher_.join();
  }
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;

  // From here on the check answers itself; waits while the deadline is
  // printing its own answer (the process then ends).
  void Answer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      answered_ = true;
    }
    wake_.notify_all();
  }

 private:
  int fd_;
  std::string line_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool answered_ = false;
  std::thread watcher_;
};

// The first line of a driver's text, without its line end.
std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  return line;
}

struct DayChoice {
  int32_t dayStart = 0;
  std::string words;  // "today", "yesterday", "on 2026-02-09"
  bool today = false;  // the day is today's date, however it was named
};

// Whether the local day of `year`-`month`-`day` lies whole within 32-bit
// epoch seconds: its start converts back to its own date (a date past 2038
// wraps to one in 1901) and its end follows its start.
bool DayFitsEpochSeconds(const RecordDay& day, int32_t dayStart) {
  SYSTEMTIME local{};
  if (!EpochToLocalFields(dayStart, &local)) return false;
  return local.wYear == day.year && local.wMonth == day.month && local.wDay == day.day &&
         NextLocalMidnight(dayStart) > dayStart;
}

// Fills `choice` for --day `text`; on failure returns the reason.
std::string ChooseDay(const std::string& text, DayChoice* choice) {
  SYSTEMTIME today{};
  GetLocalTime(&today);
  const int32_t todayStart = LocalDateToEpoch(today.wYear, today.wMonth, today.wDay);
  if (text == "today") {
    choice->dayStart = todayStart;
    choice->words = "today";
  } else if (text == "yesterday") {
    choice->dayStart = LocalDateTimeToEpoch(today.wYear, today.wMonth, today.wDay, -24, 0, 0);
    choice->words = "yesterday";
  } else {
    RecordDay day{};
    if (!ParseRecordDay(text.c_str(), &day) || text.size() != 10) {
      return "today, yesterday or a date YYYY-MM-DD is needed, not " + text;
    }
    choice->dayStart = LocalDateToEpoch(day.year, day.month, day.day);
    if (!DayFitsEpochSeconds(day, choice->dayStart)) {
      return "the day " + text + " does not end by 2038-01-19 03:14:07 UTC, the last second a record's "
             "epoch seconds hold";
    }
    choice->words = "on " + text;
  }
  choice->today = choice->dayStart == todayStart;
  return "";
}

std::string CheckRange(std::string& text) {
  ThresholdRange range;
  std::string error;
  return ParseThresholdRange(text, &range, &error) ? "" : error;
}

std::string CheckDayText(std::string& text) {
  DayChoice choice;
  return ChooseDay(text, &choice);
}

// CLI11 reads "nan" and "inf" as numbers; a range check lets NaN through,
// since no comparison with it holds.
std::string CheckFiniteNumber(std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && !std::isfinite(value) ? "a finite number is needed, not " + text
                                                                       : "";
}

std::string CheckDuration(std::string& text) {
  int64_t seconds = 0;
  return ParseDuration(text, &seconds) ? ""
                                       : "a duration such as 90, 30s, 15m, 2h or 1d is needed, not \"" + text + "\"";
}

int Answer(int fd, int status, const std::string& service, const std::string& text) {
  WriteLine(fd, service + " " + kCheckStatusNames[status] + " - " + text + "\n");
  return status;
}

}  // namespace

CLI::App* AddCheckCommand(CLI::App* app, CheckOptions* options) {
  CLI::App* check = app->add_subcommand(
      "check", "Monitoring plugin: today's (or yesterday's) peak, calls turned away and months left, of every "
               "call or of each group (--group-by, the worst group's state), judged against threshold ranges; exit "
               "status 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN");
  options->dsn = kDefaultDsnName;
  check->add_option("--dsn", options->dsn, "ODBC data source of the call records")
      ->type_name("NAME")
      ->check([](const std::string& text) { return text.empty() ? std::string("a name is needed") : ""; })
      ->capture_default_str();
  std::vector<std::string> kinds;
  for (const CallKind& kind : CallKinds()) kinds.emplace_back(kind.name);
  check->add_option("--calls", options->calls, "the calls counted, as t, T and e count them")
      ->type_name("KIND")
      ->check(CLI::IsMember(kinds))
      ->capture_default_str();
  check->add_option("--day", options->day, "the day read: today (so far), yesterday or YYYY-MM-DD")
      ->type_name("DAY")
      ->check(CLI::Validator(CheckDayText, ""))
      ->capture_default_str();
  AddGroupOptions(check, &options->group, &options->lines);
  check->get_option("--group-by")
      ->description("judge each group of calls: the column naming a call's group (TargetTenant), or a pair "
                    "CallerColumn:TargetColumn naming the group of each end (CallerSiteNodeId:CalleeSiteNodeId)");
  check->get_option("--lines")
      ->description("lines installed, N, or with --group-by a group's, GROUP=N (repeatable; (none) for the group "
                    "without a name); the peak thresholds are then percent of them");
  check->get_option("--lines-file")->description("lines installed per group: a CSV file group,lines");
  check->get_option("--group")->description("judge this group of --group-by alone ((none): NULL or empty)");
  check->add_option("--gos", options->gradePercent, "grade of service of lines_needed and the months left")
      ->type_name("PERCENT")
      ->check(CLI::Validator(CheckPercent, "in (0 - 100)"))
      ->capture_default_str();
  check->add_option("--high-gos", options->highGradePercent,
                    "the blocking probability allowed at high load, as plan takes it")
      ->type_name("PERCENT")
      ->check(CLI::Validator(CheckPercent, "in (0 - 100)"))
      ->capture_default_str();
  check->add_option("--busy-days", options->busyDays, "the days a month's busy hour is measured on, as plan takes it")
      ->type_name("RULE")
      ->check(CLI::IsMember(std::vector<std::string>(std::begin(kBusyDaysNames), std::end(kBusyDaysNames))))
      ->capture_default_str();
  const CLI::Validator range(CheckRange, "RANGE");
  check->add_option("--warning-peak", options->warningPeak, "peak calls, in percent of --lines or in calls")
      ->type_name("RANGE")
      ->check(range);
  check->add_option("--critical-peak", options->criticalPeak, "peak calls, in percent of --lines or in calls")
      ->type_name("RANGE")
      ->check(range);
  check->add_option("--warning-blocked", options->warningBlocked, "calls turned away on the day")
      ->type_name("RANGE")
      ->check(range);
  check->add_option("--critical-blocked", options->criticalBlocked, "calls turned away on the day")
      ->type_name("RANGE")
      ->check(range);
  CLI::Option* warningMonths =
      check->add_option("--warning-months", options->warningMonths, "months until the lines run out (reads the "
                                                                    "whole record range; needs --lines, grouped "
                                                                    "for one group at least)")
          ->type_name("RANGE")
          ->check(range);
  CLI::Option* criticalMonths =
      check->add_option("--critical-months", options->criticalMonths, "months until the lines run out (reads the "
                                                                      "whole record range; needs --lines, grouped "
                                                                      "for one group at least)")
          ->type_name("RANGE")
          ->check(range);
  // Once the lines are read: grouped, they may come from --lines-file alone.
  check->final_callback([options, warningMonths, criticalMonths] {
    for (const CLI::Option* months : {warningMonths, criticalMonths}) {
      if (months->count() == 0) continue;
      if (!options->group.Grouped() && options->lines == 0) throw CLI::RequiresError(months->get_name(), "--lines");
      if (options->group.Grouped() && options->group.groupLines.empty()) {
        throw CLI::RequiresError(months->get_name(), "the lines of a group (--lines GROUP=N or --lines-file)");
      }
    }
  });
  const CLI::Validator duration(CheckDuration, "DURATION");
  check->add_option("--warning-age", options->warningAge,
                    "age of the newest record of any kind: 90 (seconds), 30s, 15m, 2h or 1d")
      ->type_name("DURATION")
      ->check(duration);
  check->add_option("--critical-age", options->criticalAge,
                    "age of the newest record of any kind: 90 (seconds), 30s, 15m, 2h or 1d")
      ->type_name("DURATION")
      ->check(duration);
  check->add_option("--timeout", options->timeoutSeconds, "past SECONDS the check answers UNKNOWN")
      ->type_name("SECONDS")
      ->check(CLI::Validator(CheckFiniteNumber, ""))
      ->check(CLI::Range(0.001, 86400.0))
      ->capture_default_str();
  AddMetricsOption(check, &options->metricsPath);
  return check;
}

int ReportCheckUsageError(const std::string& reason) {
  std::signal(SIGPIPE, SIG_IGN);
  std::fflush(stdout);
  return Answer(STDOUT_FILENO, kCheckUnknown, "TRUNKS", "bad arguments: " + FirstLine(reason));
}

int RunCheck(const CheckOptions& options) {
  // The status must reach the monitoring system even when the reader of
  // the line has gone: a write to a closed pipe then fails, nothing more.
  std::signal(SIGPIPE, SIG_IGN);
  const CallKind& kind = CallKindNamed(options.calls);
  const std::string service = ServiceName(kind.name);
  // While the check runs, what the analysis prints on standard output
  // (range headers, rows at the view time) goes nowhere: the plugin's output
  // is its one line, written to the standard output of before.
  const StandardOutputRedirect quiet = StandardOutputRedirect::ToNowhere();
  const int out = quiet.Saved();
  char seconds[32] = {};
  std::snprintf(seconds, sizeof seconds, "%g", options.timeoutSeconds);
  Deadline deadline(options.timeoutSeconds, out,
                    service + " UNKNOWN - no answer within " + seconds +
                        (options.timeoutSeconds == 1.0 ? " second" : " seconds") + " (--timeout)\n");
  CCallPeak& checker = CallPeak;
  auto unknown = [&](const std::string& reason) {
    checker.CloseDatabase();
    deadline.Answer();
    return Answer(out, kCheckUnknown, service, reason);
  };

  DayChoice day;
  ChooseDay(options.day, &day);  // the option's check accepted it
  if (checker.OpenOn(options.dsn.c_str()) == 0) {
    return unknown("cannot open data source \"" + options.dsn + "\": " +
                   FirstLine(checker.Session.ConnectFailureText()));
  }
  CheckRequest request;
  request.kind = &kind;
  request.dsn = options.dsn;
  GroupedSelects selects;
  if (options.group.Grouped()) {
    std::string reason;
    const bool one = !options.group.onlyGroup.empty();
    const GroupingFound found =
        one ? FindOneGroupSelects(checker.Session, kind, options.group.grouping, options.group.onlyGroup, &selects, &reason)
            : FindGroupedSelects(checker.Session, kind, options.group.grouping, &selects, &reason);
    switch (found) {
      case GroupingFound::kFound:
        break;
      case GroupingFound::kNoColumn:
        return unknown("bad arguments: --group-by: " + FirstLine(reason));
      case GroupingFound::kNoSuchGroup:
        return unknown("bad arguments: --group: " + FirstLine(reason));
      case GroupingFound::kUnread:
        return unknown("data source \"" + options.dsn + "\": " + FirstLine(reason));
    }
    request.grouped = &selects;
  }
  const CheckedDay checked = ReadCheckedDay(checker, request, day.dayStart);
  if (checked.outcome != CheckedDayOutcome::kRead) {
    const bool dayUnread = checked.outcome == CheckedDayOutcome::kDayUnread;
    return unknown(std::string(checked.connectionLost ? "lost the connection to"
                               : dayUnread            ? "cannot read the calls from"
                                                      : "cannot read the newest record from") +
                   " data source \"" + options.dsn + "\": " + FirstLine(checked.diagnostics));
  }
  const std::optional<int64_t>& newest = checked.newest;

  // Seconds since the newest record started; 0 for a record dated ahead of
  // the clock, and for none at all (`newest` empty).
  const int64_t age = newest ? std::max<int64_t>(0, CurrentEpochSeconds() - *newest) : 0;
  const CheckRanges ranges = CheckRangesOf(options);
  const bool monthsJudged = ranges.months.Given();

  // Every call's figures, or each group's; the plan, and with it the lines
  // needed now, only where a months threshold asks for it.
  CheckedFigures whole;
  std::vector<JudgedGroup> groups;
  std::string stale, reason;
  if (!options.group.Grouped()) {
    whole.day = checked.figures;
    whole.lines = options.lines;
    if (monthsJudged && !PlanCheckMonths(&checker, options, kind, &whole, &stale, &reason)) return unknown(reason);
  } else {
    groups = GroupsToJudge(checked, options.group.groupLines, options.group.onlyGroup.empty() ? nullptr : &options.group.onlyGroup);
    if (monthsJudged && !PlanGroupMonths(&checker, options, selects, &groups, &stale, &reason)) {
      return unknown(reason);
    }
  }
  checker.CloseDatabase();

  int status = options.group.Grouped() ? JudgeGroups(&groups, ranges) : FiguresStatus(whole, ranges);
  if (newest) {
    status = std::max(status, ranges.age.Status(static_cast<double>(age)));
  } else if (ranges.age.Given()) {
    // No record at all is older than any threshold.
    status = std::max(status, ranges.age.critical ? kCheckCritical : kCheckWarning);
  }

  std::string text =
      options.group.Grouped() ? GroupedCheckText(groups, status, day.words) : FiguresText(whole, day.words);
  if (!stale.empty()) text += "; " + stale;
  if (!newest) {
    if (ranges.age.Given() || day.today) text += "; CDRMAIN holds no records at all";
  } else if (day.today && *newest < day.dayStart) {
    text += "; no record of any kind today, the newest is " + AgeText(age) + " old";
  } else if (ranges.age.Given()) {
    text += "; the newest record is " + AgeText(age) + " old";
  }
  const std::string agePerfData = newest ? AgePerfData(age, ranges) : "";
  std::string perfData;
  if (!options.group.Grouped()) {
    perfData = FiguresPerfData("", whole, ranges, agePerfData);
  } else {
    perfData = GroupedPerfData(groups, ranges);
    if (!agePerfData.empty()) perfData += (perfData.empty() ? "" : " ") + agePerfData;
  }
  if (!perfData.empty()) text += " | " + perfData;

  if (!options.metricsPath.empty()) {
    std::vector<TrunkMetrics> metrics;
    auto add = [&](const CheckedFigures& figures, const std::optional<std::string>& group) {
      const MetricsSource source{options.dsn, kind.name, options.gradePercent, figures.lines};
      metrics.push_back(MetricsOfDay(source, figures.day, figures.exhaustion, figures.linesNeeded));
      metrics.back().group = group;
      metrics.back().newestRecord = newest;
    };
    if (!options.group.Grouped()) add(whole, std::nullopt);
    for (const JudgedGroup& group : groups) add(group.figures, GroupName(group.value));
    std::string error;
    if (!WriteTrunkMetrics(options.metricsPath, metrics, &error)) return unknown("cannot write the metrics: " + error);
  }
  deadline.Answer();
  return Answer(out, status, service, text);
}
