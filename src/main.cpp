#include <cstdio>

#include "cli/command_line.h"
#include "console/command_loop.h"
#include "db/driver_process.h"

int main(int argc, char** argv) {
  // Before the first session of any command.
  PrepareProcessForDrivers();
  // Without arguments the program is the interactive console it has always
  // been; arguments name a command of the command line.
  if (argc <= 1) return RunConsole(stdin);
  return RunCommandLine(argc, argv);
}
