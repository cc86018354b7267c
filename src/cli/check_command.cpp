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
#include "analysis/plan_days.h"
#include "analysis/planned_records.h"
#include "analysis/record_day.h"
#include "cli/plan_command.h"
#include "cli/plan_option_values.h"
#include "cli/trunk_metrics.h"
#include "settings/settings.h"
#include "planning/capacity_plan.h"
#include "planning/erlang_b.h"
#include "planning/lines_exhaustion.h"
#include "platform/local_time.h"
#include "platform/output_redirect.h"
#include "report/plan_formats.h"
#include "report/plan_report.h"
#include "report/threshold_range.h"
#include "timeutil/time_conversions.h"

namespace {

// The months a check projects: the planner's longest horizon, so that a
// months threshold of up to five years can be judged.
constexpr int32_t kCheckHorizonMonths = 60;

const char* const kStatusNames[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};

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

// A duration of --warning-age and --critical-age in seconds: whole seconds,
// or a whole number of s, m, h or d; false for anything else, 0 and more
// than ten years.
bool ParseDuration(const std::string& text, int64_t* seconds) {
  constexpr int64_t kLongest = 10LL * 366 * 86400;
  size_t digits = 0;
  int64_t value = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && digits < 10) {
    value = value * 10 + (text[digits] - '0');
    ++digits;
  }
  if (digits == 0 || text.size() > digits + 1) return false;
  int64_t unit = 1;
  if (text.size() == digits + 1) {
    switch (text[digits]) {
      case 's': unit = 1; break;
      case 'm': unit = 60; break;
      case 'h': unit = 3600; break;
      case 'd': unit = 86400; break;
      default: return false;
    }
  }
  if (value == 0 || value > kLongest / unit) return false;
  *seconds = value * unit;
  return true;
}

std::string CheckDuration(std::string& text) {
  int64_t seconds = 0;
  return ParseDuration(text, &seconds) ? ""
                                       : "a duration such as 90, 30s, 15m, 2h or 1d is needed, not \"" + text + "\"";
}

// One figure judged against its warning and critical ranges (either may be
// absent).
struct Judged {
  std::optional<ThresholdRange> warning;
  std::optional<ThresholdRange> critical;
  int Status(double value) const {
    if (critical && RangeAlerts(*critical, value)) return kCheckCritical;
    if (warning && RangeAlerts(*warning, value)) return kCheckWarning;
    return kCheckOk;
  }
};

std::optional<ThresholdRange> RangeOf(const std::string& text) {
  if (text.empty()) return std::nullopt;
  ThresholdRange range;
  std::string ignored;
  if (!ParseThresholdRange(text, &range, &ignored)) return std::nullopt;
  return range;
}

// "label=value;warn;crit;min;max", the thresholds scaled by `factor` into the
// value's unit; trailing empty fields dropped.
std::string PerfData(const char* label, const std::string& value, const Judged& judged, double factor,
                     const std::string& min, const std::string& max) {
  std::vector<std::string> fields = {
      judged.warning ? FormatThresholdRange(ScaleRange(*judged.warning, factor)) : "",
      judged.critical ? FormatThresholdRange(ScaleRange(*judged.critical, factor)) : "", min, max};
  while (!fields.empty() && fields.back().empty()) fields.pop_back();
  std::string text = std::string(label) + "=" + value;
  for (const std::string& field : fields) text += ";" + field;
  return text;
}

// The range of an age threshold: alerts above the duration.
std::optional<ThresholdRange> AgeRangeOf(const std::string& text) {
  int64_t seconds = 0;
  if (text.empty() || !ParseDuration(text, &seconds)) return std::nullopt;
  return RangeOf(std::to_string(seconds));
}

// An age in the largest unit that leaves at least two of it, rounded down.
std::string AgeText(int64_t seconds) {
  if (seconds < 120) return CountOf(seconds, "second", "seconds");
  if (seconds < 2 * 3600) return CountOf(seconds / 60, "minute", "minutes");
  if (seconds < 2 * 86400) return CountOf(seconds / 3600, "hour", "hours");
  return CountOf(seconds / 86400, "day", "days");
}

std::string ClockText(int32_t seconds) {
  SYSTEMTIME local{};
  if (!EpochToLocalFields(seconds, &local)) return "?";
  char text[32] = {};
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.wHour, local.wMinute, local.wSecond);
  return text;
}

// The months figure: the capacity plan of the whole record range, made as
// plan makes it, and what the plan says of stale records (empty when they
// are not). On failure returns false with the reason.
bool PlanMonths(CCallPeak* checker, const CheckOptions& options, const CallKind& kind, LinesExhaustion* found,
                int32_t* linesNeeded, std::string* stale, std::string* reason) {
  PlanSource source;
  source.kind = &kind;
  source.sessions = DefaultRangeSessions();
  source.historyMonths = kDefaultHistoryMonths;
  source.replayLines = options.lines;
  const PlannedRecords records = ReadPlannedRecords(checker, source, nullptr);
  if (records.outcome == PlannedOutcome::kDaysUnread) {
    *reason = std::string(records.connectionLost ? "lost the connection to" : "failed to read") + " data source \"" +
              options.dsn + "\": " + std::to_string(records.unreadDays) + " days of the plan could not be read";
    return false;
  }
  if (records.outcome != PlannedOutcome::kRead) {
    *reason = "data source \"" + options.dsn + "\" holds no usable records of " + kind.name + " calls to plan with";
    return false;
  }
  const std::vector<DayFigures>& days = records.days;
  const PlanRequest request = PlanRequestFor(options.gradePercent, options.highGradePercent, options.lines,
                                            kCheckHorizonMonths, options.busyDays);
  const CapacityPlan plan = MakeCapacityPlan(days, request);
  *found = FindLinesExhaustion(plan, request.currentYear, request.currentMonth);
  *linesNeeded = plan.linesNeededNow;
  *stale = StaleRecordsText(plan);
  if (found->kind == ExhaustionKind::kUnknown) {
    *reason = "no projection of the months ahead: " + std::to_string(plan.completeMonths) +
              " complete months, at least " + std::to_string(kMinTrendMonths) + " are needed";
    return false;
  }
  return true;
}

int Answer(int fd, int status, const std::string& service, const std::string& text) {
  WriteLine(fd, service + " " + kStatusNames[status] + " - " + text + "\n");
  return status;
}

}  // namespace

CLI::App* AddCheckCommand(CLI::App* app, CheckOptions* options) {
  CLI::App* check = app->add_subcommand(
      "check", "Monitoring plugin: today's (or yesterday's) peak, calls turned away and months left, "
               "judged against threshold ranges; exit status 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN");
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
  check->add_option("--lines", options->lines, "lines installed; the peak thresholds are then percent of them")
      ->type_name("N")
      ->check(CLI::Range(1, 100000));
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
                                                                    "whole record range; needs --lines)")
          ->type_name("RANGE")
          ->check(range);
  CLI::Option* criticalMonths =
      check->add_option("--critical-months", options->criticalMonths, "months until the lines run out (reads the "
                                                                      "whole record range; needs --lines)")
          ->type_name("RANGE")
          ->check(range);
  CLI::Option* lines = check->get_option("--lines");
  warningMonths->needs(lines);
  criticalMonths->needs(lines);
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
  auto unknown = [&](const std::string& reason) {
    deadline.Answer();
    return Answer(out, kCheckUnknown, service, reason);
  };

  DayChoice day;
  ChooseDay(options.day, &day);  // the option's check accepted it
  CCallPeak& checker = CallPeak;
  if (checker.OpenOn(options.dsn.c_str()) == 0) {
    return unknown("cannot open data source \"" + options.dsn + "\": " +
                   FirstLine(checker.Session.ConnectFailureText()));
  }
  CheckRequest request;
  request.kind = &kind;
  request.dsn = options.dsn;
  const CheckedDay checked = ReadCheckedDay(checker, request, day.dayStart);
  if (checked.outcome != CheckedDayOutcome::kRead) {
    checker.CloseDatabase();
    const bool dayUnread = checked.outcome == CheckedDayOutcome::kDayUnread;
    return unknown(std::string(checked.connectionLost ? "lost the connection to"
                               : dayUnread            ? "cannot read the calls from"
                                                      : "cannot read the newest record from") +
                   " data source \"" + options.dsn + "\": " + FirstLine(checked.diagnostics));
  }
  const DayFigures& figures = checked.figures;
  const std::optional<int64_t>& newest = checked.newest;

  // Seconds since the newest record started; 0 for a record dated ahead of
  // the clock, and for none at all (`newest` empty).
  const int64_t age = newest ? std::max<int64_t>(0, CurrentEpochSeconds() - *newest) : 0;

  Judged peak{RangeOf(options.warningPeak), RangeOf(options.criticalPeak)};
  Judged blocked{RangeOf(options.warningBlocked), RangeOf(options.criticalBlocked)};
  Judged months{RangeOf(options.warningMonths), RangeOf(options.criticalMonths)};
  Judged ageJudged{AgeRangeOf(options.warningAge), AgeRangeOf(options.criticalAge)};
  const bool ageThresholds = ageJudged.warning || ageJudged.critical;
  // The plan, and with it the lines needed now, only where a months
  // threshold asks for it: it reads years of records.
  std::optional<LinesExhaustion> exhaustion;
  std::optional<int32_t> linesNeeded;
  std::string stale;
  if (months.warning || months.critical) {
    LinesExhaustion found;
    int32_t lines = 0;
    std::string reason;
    if (!PlanMonths(&checker, options, kind, &found, &lines, &stale, &reason)) {
      checker.CloseDatabase();
      return unknown(reason);
    }
    exhaustion = found;
    linesNeeded = lines;
  }
  checker.CloseDatabase();

  const double peakValue = options.lines > 0 ? 100.0 * figures.peakCalls / options.lines : figures.peakCalls;
  int status = std::max(peak.Status(peakValue), blocked.Status(figures.blockedCalls));
  if (exhaustion) status = std::max(status, months.Status(exhaustion->months));
  if (newest) {
    status = std::max(status, ageJudged.Status(static_cast<double>(age)));
  } else if (ageThresholds) {
    // No record at all is older than any threshold.
    status = std::max(status, ageJudged.critical ? kCheckCritical : kCheckWarning);
  }

  std::string text = options.lines > 0
                         ? "peak " + std::to_string(figures.peakCalls) + " of " + std::to_string(options.lines) +
                               " lines (" + PlainNumber(peakValue, 0) + "%)"
                         : "peak " + CountOf(figures.peakCalls, "call", "calls");
  if (figures.peakCalls > 0) text += " at " + ClockText(figures.dayStart + figures.peakSecond);
  text += ", " + CountOf(figures.blockedCalls, "call", "calls") + " turned away " + day.words;
  if (exhaustion) {
    char month[32] = {};
    std::snprintf(month, sizeof month, "%04d-%02d", exhaustion->year, exhaustion->month);
    switch (exhaustion->kind) {
      case ExhaustionKind::kNow:
        text += ", the lines are too few already";
        break;
      case ExhaustionKind::kAhead:
        text += ", the lines run out in " + CountOf(exhaustion->months, "month", "months") + " (" + month + ")";
        break;
      default:
        text += ", the lines last the " + std::to_string(exhaustion->months) + " months projected";
        break;
    }
    if (!stale.empty()) text += "; " + stale;
  }
  if (!newest) {
    if (ageThresholds || day.today) text += "; CDRMAIN holds no records at all";
  } else if (day.today && *newest < day.dayStart) {
    text += "; no record of any kind today, the newest is " + AgeText(age) + " old";
  } else if (ageThresholds) {
    text += "; the newest record is " + AgeText(age) + " old";
  }
  const double toCalls = options.lines > 0 ? options.lines / 100.0 : 1.0;
  text += " | " + PerfData("peak_calls", std::to_string(figures.peakCalls), peak, toCalls, "0",
                           options.lines > 0 ? std::to_string(options.lines) : "");
  text += " " + PerfData("busy_hour_erlangs", PlainNumber(figures.busyHourErlangs, 3), {}, 1.0, "0", "");
  text += " " + PerfData("blocked_calls", std::to_string(figures.blockedCalls), blocked, 1.0, "0", "");
  if (linesNeeded) text += " " + PerfData("lines_needed", std::to_string(*linesNeeded), {}, 1.0, "0", "");
  if (newest) text += " " + PerfData("record_age", std::to_string(age) + "s", ageJudged, 1.0, "0", "");
  if (exhaustion) text += " " + PerfData("months_left", std::to_string(exhaustion->months), months, 1.0, "0", "");

  if (!options.metricsPath.empty()) {
    MetricsSource source{options.dsn, kind.name, options.gradePercent, options.lines};
    std::string error;
    TrunkMetrics metrics = MetricsOfDay(source, figures, exhaustion, linesNeeded);
    metrics.newestRecord = newest;
    if (!WriteTrunkMetrics(options.metricsPath, metrics, &error)) {
      return unknown("cannot write the metrics: " + error);
    }
  }
  deadline.Answer();
  return Answer(out, status, service, text);
}
