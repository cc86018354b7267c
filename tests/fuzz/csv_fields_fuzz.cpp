// The CSV files' fields. None of them holds text from outside (dates,
// clock times, counts and decimals only), so none needs quoting: whatever
// the numbers, a field holds no comma, quote or line end, and a row of
// minutes.csv has its four fields.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "report/minutes_csv.h"
#include "report/plan_csv.h"
#include "report/plan_formats.h"

namespace {

template <typename T>
T Take(const uint8_t*& data, size_t& size) {
  T value{};
  const size_t n = size < sizeof value ? size : sizeof value;
  std::memcpy(&value, data, n);
  data += n;
  size -= n;
  return value;
}

void ExpectField(const std::string& field) {
  if (field.find_first_of(",\"\r\n") != std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ExpectField(ErlangsText(Take<double>(data, size)));
  ExpectField(QuarterHourText(Take<int32_t>(data, size)));
  const int32_t year = Take<int32_t>(data, size), month = Take<int32_t>(data, size);
  ExpectField(MonthText(year, month, '-'));
  std::vector<MonthMinutes> months;
  while (size > 0 && months.size() < 64) {
    MonthMinutes m;
    m.year = Take<int32_t>(data, size);
    m.month = Take<int32_t>(data, size);
    m.inbound = Take<int64_t>(data, size);
    m.outbound = Take<int64_t>(data, size);
    m.total = Take<int64_t>(data, size);
    months.push_back(m);
  }
  const std::string text = MinutesCsvText(months);
  size_t rows = 0;
  for (size_t at = 0; at < text.size(); ++rows) {
    const size_t end = text.find("\r\n", at);
    if (end == std::string::npos) std::abort();
    const std::string row = text.substr(at, end - at);
    size_t commas = 0;
    for (char c : row) commas += c == ',';
    if (commas != 3 || row.find_first_of("\"\r\n") != std::string::npos) std::abort();
    at = end + 2;
  }
  if (rows != months.size() + 1) std::abort();
  return 0;
}
