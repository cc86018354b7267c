#include "report/prometheus_metrics.h"

#include "report/atomic_file.h"
#include "report/threshold_range.h"

namespace {

void AddGauge(std::string* text, const char* name, const char* help, const std::string& labels,
              const std::string& value) {
  *text += std::string("# HELP ") + name + " " + help + "\n";
  *text += std::string("# TYPE ") + name + " gauge\n";
  *text += std::string(name) + labels + " " + value + "\n";
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

std::string FormatTrunkMetrics(const TrunkMetrics& metrics) {
  const std::string labels =
      "{data_source=\"" + EscapeLabelValue(metrics.dataSource) + "\",calls=\"" + EscapeLabelValue(metrics.calls) + "\"}";
  std::string text;
  AddGauge(&text, "nortesk_trunk_peak_calls", "Calls in progress at the busiest second of the day read.", labels,
           std::to_string(metrics.peakCalls));
  if (metrics.linesInstalled) {
    AddGauge(&text, "nortesk_trunk_lines_installed", "Lines installed, as given to the check.", labels,
             std::to_string(*metrics.linesInstalled));
  }
  AddGauge(&text, "nortesk_busy_hour_erlangs", "Traffic of the busiest hour of the day read, in erlangs.", labels,
           PlainNumber(metrics.busyHourErlangs, 3));
  AddGauge(&text, "nortesk_blocked_calls", "Calls of the day read turned away because every trunk was busy.", labels,
           std::to_string(metrics.blockedCalls));
  if (metrics.linesNeeded) {
    AddGauge(&text, "nortesk_lines_needed",
             "Lines needed now by the plan: ITU-T E.520 on the reference loads of the year ending yesterday.",
             labels, std::to_string(*metrics.linesNeeded));
  }
  AddGauge(&text, "nortesk_day_start_timestamp_seconds", "Local midnight that opens the day read, in Unix time.",
           labels, std::to_string(metrics.dayStart));
  if (metrics.linesExhausted) {
    AddGauge(&text, "nortesk_lines_exhausted_timestamp_seconds",
             "Local midnight opening the month in which the installed lines run out by the plan's projection, in "
             "Unix time.",
             labels, std::to_string(*metrics.linesExhausted));
  }
  if (metrics.newestRecord) {
    AddGauge(&text, "nortesk_newest_record_timestamp_seconds",
             "Start of the newest call record of any kind, in Unix time.", labels,
             std::to_string(*metrics.newestRecord));
  }
  AddGauge(&text, "nortesk_last_success_timestamp_seconds", "When these figures were made, in Unix time.", labels,
           std::to_string(metrics.lastSuccess));
  return text;
}

bool WriteTrunkMetrics(const std::string& path, const TrunkMetrics& metrics, std::string* error) {
  return WriteFileAtomically(path, FormatTrunkMetrics(metrics), error);
}
