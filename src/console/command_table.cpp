#include "console/command_table.h"

#include "console/command_loop.h"

namespace {

struct Command {
  char letter;
  void (*handler)();
};

// Letter case matters. 'q' is handled by the loop itself.
constexpr Command kCommands[] = {
    {'?', [] { PrintMenu(); }},
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
