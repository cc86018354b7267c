#include "report/minutes_csv.h"

#include <cstdio>

#include "report/atomic_file.h"

std::string MinutesCsvText(std::span<const MonthMinutes> months) {
  std::string text = "month,inbound_minutes,outbound_minutes,total_minutes\r\n";
  for (const MonthMinutes& m : months) {
    char row[96] = {};
    std::snprintf(row, sizeof row, "%04d-%02d,%lld,%lld,%lld\r\n", m.year, m.month, static_cast<long long>(m.inbound),
                  static_cast<long long>(m.outbound), static_cast<long long>(m.total));
    text += row;
  }
  return text;
}

bool WriteMinutesCsv(const std::string& path, std::span<const MonthMinutes> months, std::string* error) {
  return WriteFileAtomically(path, MinutesCsvText(months), error);
}
