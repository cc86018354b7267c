// The kinds of calls the peak checks count, in one table: the console's
// letter (e, t, T), the name --calls takes, the words each output uses,
// and the two statements of a day with the pass flag of the second.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "analysis/day_statements.h"

struct CallKind {
  char letter;             // the console's command
  const char* name;        // the value of --calls
  const char* counted;     // how the plan's report names the calls
  const char* peakHeader;  // the header of the list of the ten busiest days
  const char* records;     // what the range check says it is checking
  const char* menu;        // the console menu's line, after "X -> "
  DaySelects selects;      // the mode flag, the pass flag and the statements
  // The row conditions of the two statements alone, for statements made
  // around them (the grouped ones), the condition that the caller's end is
  // of the kind, and whether an end of type CallerType or TargetType is.
  const char* oneEndWhere;
  const char* bothEndsWhere;
  const char* callerEndWhere;
  bool (*isEndOfKind)(int32_t endType);
  uint32_t Mode() const { return selects.mode; }
};

// Every kind, the default of --calls (trunk) first.
std::span<const CallKind> CallKinds();

// The kind called `name`; the default for an unknown name.
const CallKind& CallKindNamed(const std::string& name);

// The kind of the first mode flag set in `checkMode` (kCheckExtension,
// kCheckTrunk, kCheckTrunkWithoutSipTie in that order); null when none is.
const CallKind* CallKindOfMode(uint32_t checkMode);

// The statements of CallKindOfMode(checkMode); null when it has none.
const DaySelects* DaySelectsFor(uint32_t checkMode);

// The kind of the console's letter `letter`; null for another letter.
const CallKind* CallKindOfLetter(char letter);
