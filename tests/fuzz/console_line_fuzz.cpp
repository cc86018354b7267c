// The console's input: one word as ReadWord hands it over (no blanks), cut
// into tokens, and the date and time arguments of `d` (tokens 1-3) and
// `o,1` (tokens 2-7) turned into seconds and back into text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/date_tokens.h"
#include "console/token_list.h"
#include "timeutil/time_conversions.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A zone with clock changes, so that the conversions meet skipped and
  // repeated hours.
  setenv("TZ", "Europe/Berlin", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string word(reinterpret_cast<const char*>(data), size);
  word = word.substr(0, word.find('\0'));
  CTokenList tokens;
  tokens.Split(word.data());
  for (int32_t i = -1; i <= tokens.Count(); ++i) {
    const char* text = tokens.GetText(i);
    if ((text == nullptr) != (i < 0 || i >= tokens.Count())) std::abort();
    if (text != nullptr && (*text == '\0' || std::strchr(text, ',') != nullptr)) std::abort();
    tokens.GetInt(i);
  }
  const SYSTEMTIME today{2026, 5, 0, 10, 12, 0, 0, 0};
  const TypedDate day = DateTokensOrToday(tokens, 1, today);
  char text[64];
  FormatEpochLocal(LocalDateToEpoch(day.year, day.month, day.day), text, sizeof text);
  const TypedDate view = DateTokensOrToday(tokens, 2, today);
  const int32_t seconds =
      LocalDateTimeToEpoch(view.year, view.month, view.day, tokens.GetInt(5), tokens.GetInt(6), tokens.GetInt(7));
  FormatEpochLocal(seconds, text, sizeof text);
  SYSTEMTIME back{};
  EpochToSystemTime(seconds, &back);
  return 0;
}
