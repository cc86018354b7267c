#include "cli/check_line.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/local_time.h"
#include "report/plan_formats.h"
#include "report/plugin_text.h"
#include "timeutil/time_conversions.h"

namespace {

std::optional<ThresholdRange> RangeOf(const std::string& text) {
  if (text.empty()) return std::nullopt;
  ThresholdRange range;
  std::string ignored;
  if (!ParseThresholdRange(text, &range, &ignored)) return std::nullopt;
  return range;
}

// The range of an age threshold: alerts above the duration.
std::optional<ThresholdRange> AgeRangeOf(const std::string& text) {
  int64_t seconds = 0;
  if (text.empty() || !ParseDuration(text, &seconds)) return std::nullopt;
  return RangeOf(std::to_string(seconds));
}

// "label=value;warn;crit;min;max", the thresholds scaled by `factor` into the
// value's unit; trailing empty fields dropped.
std::string PerfData(const std::string& label, const std::string& value, const Judged& judged, double factor,
                     const std::string& min, const std::string& max) {
  std::vector<std::string> fields = {
      judged.warning ? FormatThresholdRange(ScaleRange(*judged.warning, factor)) : "",
      judged.critical ? FormatThresholdRange(ScaleRange(*judged.critical, factor)) : "", min, max};
  while (!fields.empty() && fields.back().empty()) fields.pop_back();
  std::string text = PerfDataLabel(label) + "=" + value;
  for (const std::string& field : fields) text += ";" + field;
  return text;
}

std::string ClockText(int32_t seconds) {
  SYSTEMTIME local{};
  if (!EpochToLocalFields(seconds, &local)) return "?";
  char text[32] = {};
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.wHour, local.wMinute, local.wSecond);
  return text;
}

// The peak as its thresholds judge it: percent of the lines, or calls.
double PeakValue(const CheckedFigures& figures) {
  return figures.lines > 0 ? 100.0 * figures.day.peakCalls / figures.lines : figures.day.peakCalls;
}

}  // namespace

int Judged::Status(double value) const {
  if (critical && RangeAlerts(*critical, value)) return kCheckCritical;
  if (warning && RangeAlerts(*warning, value)) return kCheckWarning;
  return kCheckOk;
}

CheckRanges CheckRangesOf(const CheckOptions& options) {
  return {{RangeOf(options.warningPeak), RangeOf(options.criticalPeak)},
          {RangeOf(options.warningBlocked), RangeOf(options.criticalBlocked)},
          {RangeOf(options.warningMonths), RangeOf(options.criticalMonths)},
          {AgeRangeOf(options.warningAge), AgeRangeOf(options.criticalAge)}};
}

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

int FiguresStatus(const CheckedFigures& figures, const CheckRanges& ranges) {
  int status = std::max(ranges.peak.Status(PeakValue(figures)), ranges.blocked.Status(figures.day.blockedCalls));
  if (figures.exhaustion) status = std::max(status, ranges.months.Status(figures.exhaustion->months));
  return status;
}

std::string FiguresText(const CheckedFigures& figures, const std::string& dayWords) {
  const DayFigures& day = figures.day;
  std::string text = figures.lines > 0
                         ? "peak " + std::to_string(day.peakCalls) + " of " + std::to_string(figures.lines) +
                               " lines (" + PlainNumber(PeakValue(figures), 0) + "%)"
                         : "peak " + CountOf(day.peakCalls, "call", "calls");
  if (day.peakCalls > 0) text += " at " + ClockText(day.dayStart + day.peakSecond);
  text += ", " + CountOf(day.blockedCalls, "call", "calls") + " turned away " + dayWords;
  if (!figures.exhaustion) return text;
  const LinesExhaustion& exhaustion = *figures.exhaustion;
  char month[32] = {};
  std::snprintf(month, sizeof month, "%04d-%02d", exhaustion.year, exhaustion.month);
  switch (exhaustion.kind) {
    case ExhaustionKind::kNow:
      return text + ", the lines are too few already";
    case ExhaustionKind::kAhead:
      return text + ", the lines run out in " + CountOf(exhaustion.months, "month", "months") + " (" + month + ")";
    default:
      return text + ", the lines last the " + std::to_string(exhaustion.months) + " months projected";
  }
}

std::string FiguresPerfData(const std::string& prefix, const CheckedFigures& figures, const CheckRanges& ranges,
                            const std::string& beforeMonths) {
  const DayFigures& day = figures.day;
  const double toCalls = figures.lines > 0 ? figures.lines / 100.0 : 1.0;
  std::string text = PerfData(prefix + "peak_calls", std::to_string(day.peakCalls), ranges.peak, toCalls, "0",
                              figures.lines > 0 ? std::to_string(figures.lines) : "");
  text += " " + PerfData(prefix + "busy_hour_erlangs", PlainNumber(day.busyHourErlangs, 3), {}, 1.0, "0", "");
  text += " " + PerfData(prefix + "blocked_calls", std::to_string(day.blockedCalls), ranges.blocked, 1.0, "0", "");
  if (figures.linesNeeded) {
    text += " " + PerfData(prefix + "lines_needed", std::to_string(*figures.linesNeeded), {}, 1.0, "0", "");
  }
  if (!beforeMonths.empty()) text += " " + beforeMonths;
  if (figures.exhaustion) {
    text += " " + PerfData(prefix + "months_left", std::to_string(figures.exhaustion->months), ranges.months, 1.0,
                           "0", "");
  }
  return text;
}

std::string AgePerfData(int64_t age, const CheckRanges& ranges) {
  return PerfData("record_age", std::to_string(age) + "s", ranges.age, 1.0, "0", "");
}

std::string AgeText(int64_t seconds) {
  if (seconds < 120) return CountOf(seconds, "second", "seconds");
  if (seconds < 2 * 3600) return CountOf(seconds / 60, "minute", "minutes");
  if (seconds < 2 * 86400) return CountOf(seconds / 3600, "hour", "hours");
  return CountOf(seconds / 86400, "day", "days");
}
