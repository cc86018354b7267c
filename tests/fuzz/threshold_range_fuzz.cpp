// The monitoring check's threshold ranges (--warning, --critical): any text
// is taken or refused with a reason; a range taken is written back in a
// form that reads as the same range.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "report/threshold_range.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ThresholdRange range;
  std::string error;
  if (!ParseThresholdRange(text, &range, &error)) {
    // A reason, on one line whatever the text held.
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  if (std::isnan(range.start) || std::isnan(range.end) || range.start > range.end) std::abort();
  for (double value : {range.start, range.end, 0.0, -1.0, 1e9}) RangeAlerts(range, value);
  FormatThresholdRange(ScaleRange(range, 60.0));
  // Written back, the range reads again as the same range but for the
  // rounding to three places.
  const std::string written = FormatThresholdRange(range);
  ThresholdRange again;
  if (!ParseThresholdRange(written, &again, &error)) std::abort();
  auto near = [](double a, double b) { return a == b || std::fabs(a - b) <= 0.0005 + std::fabs(b) * 1e-12; };
  if (again.inside != range.inside || !near(again.start, range.start) || !near(again.end, range.end)) std::abort();
  return 0;
}
