// The kinds of calls the planner counts, named as --calls takes them: the
// rows and passes of the peak checks t, T and e.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct CallKind {
  const char* name;     // the value of --calls
  uint32_t mode;        // the range check's mode flag
  const char* counted;  // how the report names the calls
};

// Every kind, the default (trunk) first.
std::span<const CallKind> CallKinds();

// The kind called `name`; the default for an unknown name.
const CallKind& CallKindNamed(const std::string& name);
