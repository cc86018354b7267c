// A calendar date typed as three argument tokens: month, day, year.
#pragma once

#include <cstdint>

#include "console/token_list.h"
#include "platform/local_time.h"

struct TypedDate {
  int32_t month;
  int32_t day;
  int32_t year;
};

// Reads month, day and year from tokens `first`, `first`+1 and `first`+2;
// a token that is missing or reads as 0 takes that field of `today`.
TypedDate DateTokensOrToday(const CTokenList& tokens, int32_t first, const SYSTEMTIME& today);
