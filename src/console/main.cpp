#include <cstdio>

#include "cli/command_line.h"
#include "console/command_loop.h"
#include "db/sqlite_threads.h"

int main(int argc, char** argv) {
  // Range checks read on several threads; the embedded database must know
  // before its first session.
  PrepareSqliteForThreads();
  // Without arguments the program is the interactive console it has always
  // been; arguments name a command of the command line.
  if (argc <= 1) return RunConsole(stdin);
  return RunCommandLine(argc, argv);
}
