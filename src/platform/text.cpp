#include "platform/text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

int IsEmptyText(const char* text) { return (text == nullptr || text[0] == '\0') ? 1 : 0; }

int HasText(const char* text) { return IsEmptyText(text) ? 0 : 1; }

size_t FormatBoundedV(char* out, size_t size, const char* format, va_list args) {
  if (out == nullptr || size == 0) return 0;
  if (format == nullptr) {
    out[0] = '\0';
    return 0;
  }
  int n = std::vsnprintf(out, size, format, args);
  if (n < 0) {
    out[0] = '\0';
    return 0;
  }
  return static_cast<size_t>(n) < size ? static_cast<size_t>(n) : size - 1;
}

size_t FormatBounded(char* out, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  size_t n = FormatBoundedV(out, size, format, args);
  va_end(args);
  return n;
}

int ParseLeadingInt(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  uint32_t value = 0;
  while (*p >= '0' && *p <= '9') value = value * 10u + static_cast<uint32_t>(*p++ - '0');
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

int ParseLeadingIntOf(const char* text, size_t width) {
  if (text == nullptr) return 0;
  char field[16] = {};
  std::memcpy(field, text, strnlen(text, width < sizeof field ? width : sizeof field - 1));
  return ParseLeadingInt(field);
}
