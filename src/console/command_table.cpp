#include "console/command_table.h"

#include "analysis/call_kinds.h"
#include "analysis/trunk_minutes.h"
#include "console/peak_commands.h"
#include "console/command_loop.h"
#include "console/options_command.h"
#include "settings/settings.h"
#include "loader/load_sample_cdr.h"

namespace {

struct Command {
  char letter;
  void (*handler)();
};

// Letter case matters. 'q' is handled by the loop itself.
constexpr Command kCommands[] = {
    {'?', [] { PrintMenu(); }},
    {'d', [] { PeakDayCommand(); }},
    {'o', [] { OptionsCommand(); }},
    {'m', [] { TrunkMinutesCommand(0); }},
    {'M', [] { TrunkMinutesCommand(1); }},
    {'y', [] { LoadSampleCdr(); }},
};

}  // namespace

bool DispatchCommand(char letter) {
  // The peak checks by their kinds' letters (analysis/call_kinds.h).
  if (const CallKind* kind = CallKindOfLetter(letter); kind != nullptr) {
    PeakCallsCommand(kind->Mode());
    return true;
  }
  for (const Command& command : kCommands) {
    if (command.letter == letter) {
      command.handler();
      return true;
    }
  }
  return false;
}
