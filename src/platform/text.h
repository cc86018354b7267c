// Small text helpers shared by every subsystem.
#pragma once

#include <cstdarg>
#include <cstddef>

// 1 when `text` is null or begins with NUL, else 0.
int IsEmptyText(const char* text);

// 1 only for a non-null, non-empty string.
int HasText(const char* text);

// printf into out[0..size-1]: text that does not fit is cut, and the result
// is always NUL-terminated (for size > 0). Returns the length written.
size_t FormatBounded(char* out, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
size_t FormatBoundedV(char* out, size_t size, const char* format, va_list args);

// atoi as the C library defines it, without undefined behaviour on overflow:
// optional blanks and sign, then decimal digits up to the first non-digit;
// no digits give 0; values beyond 32 bits wrap as two's complement.
int ParseLeadingInt(const char* text);

// ParseLeadingInt of the first `width` characters of `text` alone (at most
// 15; a NUL ends the text earlier), as in reading "YYYYMMDD" field by field.
int ParseLeadingIntOf(const char* text, size_t width);
