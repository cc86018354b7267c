// The trunk minutes as CSV (RFC 4180: a header row, CRLF line ends, plain
// integers), one row per month, in the order given:
//   month,inbound_minutes,outbound_minutes,total_minutes
// with the month as YYYY-MM.
#pragma once

#include <span>
#include <string>

#include "analysis/month_minutes.h"

// The whole file's text.
std::string MinutesCsvText(std::span<const MonthMinutes> months);

// Writes the file at `path` whole or not at all (report/atomic_file.h). On
// failure: false with a one-line reason in `error`.
bool WriteMinutesCsv(const std::string& path, std::span<const MonthMinutes> months, std::string* error);
