#include "analysis/day_statements.h"

#include "platform/text.h"

void FormatDaySelect(char* out, size_t size, const char* select, int32_t dayStart, int32_t dayEnd) {
  FormatBounded(out, size, select, static_cast<int>(dayStart), static_cast<int>(dayEnd), static_cast<int>(dayEnd));
}
