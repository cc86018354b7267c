#include "analysis/format_thousands.h"

char* FormatThousands(int64_t value, char* out) {
  // Digits are produced from the right; work on the magnitude as unsigned so
  // that the most negative value has one too.
  uint64_t magnitude = value < 0 ? 0u - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char reversed[20];
  int count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);

  size_t at = 0;
  if (value < 0) out[at++] = '-';
  for (int i = count - 1; i >= 0; --i) {
    out[at++] = reversed[i];
    if (i > 0 && i % 3 == 0) out[at++] = ',';
  }
  out[at] = '\0';
  return out;
}
