#include "console/date_tokens.h"

TypedDate DateTokensOrToday(const CTokenList& tokens, int32_t first, const SYSTEMTIME& today) {
  TypedDate date{tokens.GetInt(first), tokens.GetInt(first + 1), tokens.GetInt(first + 2)};
  if (date.month == 0) date.month = today.wMonth;
  if (date.day == 0) date.day = today.wDay;
  if (date.year == 0) date.year = today.wYear;
  return date;
}
