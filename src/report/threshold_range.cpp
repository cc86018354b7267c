#include "report/threshold_range.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A plain decimal: an optional sign, digits with at most one point, at least
// one digit.
bool ParseDecimal(const std::string& text, double* value) {
  size_t at = 0;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  bool digits = false;
  bool point = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  *value = std::strtod(text.c_str(), nullptr);
  return std::isfinite(*value);
}

// The user's text for a one-line reason: control characters (a line end
// among them) shown as '?'.
std::string OneLineText(const std::string& text) {
  std::string shown = text;
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  return shown;
}

}  // namespace

bool ParseThresholdRange(const std::string& text, ThresholdRange* range, std::string* error) {
  ThresholdRange parsed;
  std::string rest = text;
  if (!rest.empty() && rest[0] == '@') {
    parsed.inside = true;
    rest.erase(0, 1);
  }
  const size_t colon = rest.find(':');
  bool valid = !rest.empty();
  if (valid && colon == std::string::npos) {
    valid = ParseDecimal(rest, &parsed.end);
  } else if (valid) {
    const std::string start = rest.substr(0, colon);
    const std::string end = rest.substr(colon + 1);
    if (start == "~") {
      parsed.start = -kInfinity;
    } else if (!start.empty()) {
      valid = ParseDecimal(start, &parsed.start);
    }
    if (end.empty()) {
      parsed.end = kInfinity;
    } else if (valid) {
      valid = ParseDecimal(end, &parsed.end);
    }
  }
  if (!valid) {
    *error = "a range such as 10, 10:, ~:10, 10:20 or @10:20 is needed, not \"" + OneLineText(text) + "\"";
    return false;
  }
  if (parsed.start > parsed.end) {
    *error = "the range \"" + OneLineText(text) + "\" starts after it ends";
    return false;
  }
  *range = parsed;
  return true;
}

bool RangeAlerts(const ThresholdRange& range, double value) {
  const bool within = value >= range.start && value <= range.end;
  return range.inside ? within : !within;
}

ThresholdRange ScaleRange(const ThresholdRange& range, double factor) {
  ThresholdRange scaled = range;
  scaled.start = range.start * factor;
  scaled.end = range.end * factor;
  return scaled;
}

std::string PlainNumber(double value, int places) {
  // Sized to the number: the largest doubles have over 300 digits.
  const int length = std::snprintf(nullptr, 0, "%.*f", places, value);
  if (length <= 0) return "";
  std::string number(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(number.data(), number.size(), "%.*f", places, value);
  number.resize(static_cast<size_t>(length));
  if (number.find('.') != std::string::npos) {
    while (number.back() == '0') number.pop_back();
    if (number.back() == '.') number.pop_back();
  }
  if (number == "-0") number = "0";
  return number;
}

std::string FormatThresholdRange(const ThresholdRange& range) {
  std::string text = range.inside ? "@" : "";
  const std::string end = std::isinf(range.end) ? "" : PlainNumber(range.end, 3);
  const std::string start = std::isinf(range.start) ? "~" : PlainNumber(range.start, 3);
  // A start that is written as 0 goes, as 0 itself does.
  if (start == "0" && !end.empty()) return text + end;
  text += start;
  return text + ":" + end;
}
