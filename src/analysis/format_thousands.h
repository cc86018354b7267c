// Decimal text of an integer with "," between groups of three digits,
// counted from the right: 1234 -> "1,234", 6000000000 -> "6,000,000,000",
// -86400 -> "-86,400".
#pragma once

#include <cstddef>
#include <cstdint>

// The most bytes FormatThousands ever writes, terminator included
// ("-9,223,372,036,854,775,808").
inline constexpr size_t kThousandsTextMax = 27;

// Writes the grouped text of `value`, NUL-terminated, into `out`, which
// must have room for kThousandsTextMax bytes. Returns `out`.
char* FormatThousands(int64_t value, char* out);
