#include <cstdio>

#include "console/command_loop.h"

int main() { return RunConsole(stdin); }
