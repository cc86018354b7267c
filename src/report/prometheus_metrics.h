// The trunk figures in Prometheus' text exposition format, as the node
// exporter's textfile collector reads them from a *.prom file: for every
// metric a "# HELP" and a "# TYPE ... gauge" line, then its samples, one for
// each set of figures that has it, with the labels data_source and calls,
// and group for the figures of one group (--group-by; the sets of one file
// are of one data source and kind of calls, each group's once); no
// timestamps (the collector refuses them). A metric no set has is left out.
// Names carry the unit in base units (seconds, erlangs) or the thing
// counted; none ends in _total, since every one is a gauge.
//
//   nortesk_trunk_peak_calls                    calls in progress at the day's busiest second
//   nortesk_trunk_lines_installed               --lines (only when given)
//   nortesk_busy_hour_erlangs                   the day's busy-hour traffic
//   nortesk_blocked_calls                       the day's calls turned away (every trunk busy)
//   nortesk_lines_needed                        lines for that traffic at the grade of service
//   nortesk_day_start_timestamp_seconds         the local midnight that opens the day
//   nortesk_lines_exhausted_timestamp_seconds   the local midnight opening the month the
//                                               lines run out (only when the plan says one)
//   nortesk_newest_record_timestamp_seconds     the start of the newest record of any kind
//                                               (only when known: check reads it)
//   nortesk_last_success_timestamp_seconds      when the figures were made
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

struct TrunkMetrics {
  std::string dataSource;  // label data_source
  std::string calls;       // label calls: trunk, trunk-no-sip-tie or extension
  // Label group: the name of the group the figures are of (kNoGroupName
  // of analysis/group_by.h for the one without); none for every call's.
  std::optional<std::string> group;
  int32_t peakCalls = 0;
  std::optional<int32_t> linesInstalled;
  double busyHourErlangs = 0.0;
  int32_t blockedCalls = 0;
  // The lines needed now by the plan (ITU-T E.520 on the reference loads
  // of the year ending yesterday); none when no plan was made.
  std::optional<int32_t> linesNeeded;
  int64_t dayStart = 0;
  std::optional<int64_t> linesExhausted;
  std::optional<int64_t> newestRecord;
  int64_t lastSuccess = 0;
};

// The exposition text of the sets `metrics`, in their order within each
// metric, every line ending in "\n"; "" for no set.
std::string FormatTrunkMetrics(std::span<const TrunkMetrics> metrics);

// Escapes a label value: backslash, double quote and line feed.
std::string EscapeLabelValue(const std::string& value);

// Writes the text to `path` atomically (report/atomic_file.h: a temporary
// file beside it, whose name does not end in .prom, renamed into place).
// False with a one-line reason in `error` when it could not be written.
bool WriteTrunkMetrics(const std::string& path, std::span<const TrunkMetrics> metrics, std::string* error);
