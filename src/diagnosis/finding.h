// One finding of nortesk-etp doctor about a data source: whether a check
// passed, failed or was skipped, and what it found, as the front end prints
// it after its label. A failed finding's text says what to do about it.
#pragma once

#include <string>

enum class Verdict { kPassed, kFailed, kSkipped };

struct Finding {
  Verdict verdict;
  std::string text;  // one line, without its end
};
