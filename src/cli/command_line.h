// The command line of nortesk-etp, for runs with arguments (without any the
// program is the interactive console):
//
//   nortesk-etp --help | --version
//   nortesk-etp plan [options]        see cli/plan_command.h; plan --help
//   nortesk-etp doctor [--dsn NAME]   see cli/doctor_command.h
//
// Parsed with CLI11. Results go to standard output, messages to standard
// error; the exit status is one of cli/exit_status.h.
#pragma once

// Runs the command that argv[1..argc-1] name and returns the exit status.
int RunCommandLine(int argc, char** argv);
