#include "console/command_table.h"

#include "analysis/peak_commands.h"
#include "console/command_loop.h"
#include "console/options_command.h"
#include "console/settings.h"

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
