// Decimal text of an integer with "," between groups of three digits,
// counted from the right: 1234 -> "1,234", 2147483647 -> "2,147,483,647",
// -86400 -> "-86,400".
#pragma once

#include <cstddef>
#include <cstdint>

// The most bytes FormatThousands ever writes, terminator included
// ("-2,147,483,648").
inline constexpr size_t kThousandsTextMax = 15;

// Writes the grouped text of `value`, NUL-terminated, into `out`, which
// must have room for kThousandsTextMax bytes. Returns `out`.
char* FormatThousands(int32_t value, char* out);
