#include "report/prometheus_metrics.h"

#include "report/atomic_file.h"
#include "report/threshold_range.h"

namespace {

// One metric: its name, its help text, and its value in a set of figures
// (none when the set does not have it).
struct Gauge {
  const char* name;
  const char* help;
  std::optional<std::string> (*value)(const TrunkMetrics&);
};

std::optional<std::string> Whole(std::optional<int64_t> value) {
  if (!value) return std::nullopt;
  return std::to_string(*value);
}

constexpr Gauge kGauges[] = {
    {"nortesk_trunk_peak_calls", "Calls in progress at the busiest second of the day read.",
     [](const TrunkMetrics& m) { return Whole(m.peakCalls); }},
    {"nortesk_trunk_lines_installed", "Lines installed, as given to the check.",
     [](const TrunkMetrics& m) { return Whole(m.linesInstalled); }},
    {"nortesk_busy_hour_erlangs", "Traffic of the busiest hour of the day read, in erlangs.",
     [](const TrunkMetrics& m) { return std::optional<std::string>(PlainNumber(m.busyHourErlangs, 3)); }},
    {"nortesk_blocked_calls", "Calls of the day read turned away because every trunk was busy.",
     [](const TrunkMetrics& m) { return Whole(m.blockedCalls); }},
    {"nortesk_lines_needed",
     "Lines needed now by the plan: ITU-T E.520 on the reference loads of the year ending yesterday.",
     [](const TrunkMetrics& m) { return Whole(m.linesNeeded); }},
    {"nortesk_day_start_timestamp_seconds", "Local midnight that opens the day read, in Unix time.",
     [](const TrunkMetrics& m) { return Whole(m.dayStart); }},
    {"nortesk_lines_exhausted_timestamp_seconds",
     "Local midnight opening the month in which the installed lines run out by the plan's projection, in "
     "Unix time.",
     [](const TrunkMetrics& m) { return Whole(m.linesExhausted); }},
    {"nortesk_newest_record_timestamp_seconds", "Start of the newest call record of any kind, in Unix time.",
     [](const TrunkMetrics& m) { return Whole(m.newestRecord); }},
    {"nortesk_last_success_timestamp_seconds", "When these figures were made, in Unix time.",
     [](const TrunkMetrics& m) { return Whole(m.lastSuccess); }},
};

std::string LabelsOf(const TrunkMetrics& metrics) {
  std::string labels =
      "{data_source=\"" + EscapeLabelValue(metrics.dataSource) + "\",calls=\"" + EscapeLabelValue(metrics.calls) + "\"";
  if (metrics.group) labels += ",group=\"" + EscapeLabelValue(*metrics.group) + "\"";
  return labels + "}";
}

}  // namespace

std::string EscapeLabelValue(const std::string& value) {
  std::string escaped;
  for (const char c : value) {
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '"') {
      escaped += "\\\"";
    } else if (c == '\n') {
      escaped += "\\n";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string FormatTrunkMetrics(std::span<const TrunkMetrics> metrics) {
  std::string text;
  for (const Gauge& gauge : kGauges) {
    std::string samples;
    for (const TrunkMetrics& set : metrics) {
      if (const std::optional<std::string> value = gauge.value(set)) {
        samples += std::string(gauge.name) + LabelsOf(set) + " " + *value + "\n";
      }
    }
    if (samples.empty()) continue;
    text += std::string("# HELP ") + gauge.name + " " + gauge.help + "\n";
    text += std::string("# TYPE ") + gauge.name + " gauge\n";
    text += samples;
  }
  return text;
}

bool WriteTrunkMetrics(const std::string& path, std::span<const TrunkMetrics> metrics, std::string* error) {
  return WriteFileAtomically(path, FormatTrunkMetrics(metrics), error);
}
