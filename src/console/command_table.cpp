#include "console/command_table.h"

#include "console/peak_commands.h"
#include "analysis/trunk_minutes.h"
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
    {'e', [] { PeakCallsCommand(kCheckExtension); }},
    {'t', [] { PeakCallsCommand(kCheckTrunk); }},
    {'T', [] { PeakCallsCommand(kCheckTrunkWithoutSipTie); }},
    {'d', [] { PeakDayCommand(); }},
    {'o', [] { OptionsCommand(); }},
    {'m', [] { TrunkMinutesCommand(0); }},
    {'M', [] { TrunkMinutesCommand(1); }},
    {'y', [] { LoadSampleCdr(); }},
};

}  // namespace

bool DispatchCommand(char letter) {
  for (const Command& command : kCommands) {
    if (command.letter == letter) {
      command.handler();
      return true;
    }
  }
  return false;
}
