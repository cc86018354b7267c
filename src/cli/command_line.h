// The command line of nortesk-etp, for runs with arguments (without any the
// program is the interactive console):
//
//   nortesk-etp --help | --version
//   nortesk-etp --trace FILE          the console, with the trace log open
//   nortesk-etp plan [options]        see cli/plan_command.h; plan --help
//   nortesk-etp --sessions K          the console, its range checks on K sessions
//   nortesk-etp index [--dsn NAME]    see cli/index_command.h
//   nortesk-etp minutes [options]     see cli/minutes_command.h
//   nortesk-etp ivr-maintain [options]  see cli/ivr_maintain_command.h
//   nortesk-etp doctor [--dsn NAME]   see cli/doctor_command.h
//
// Parsed with CLI11. Results go to standard output, messages to standard
// error; the exit status is one of cli/exit_status.h.
#pragma once

// Runs the command that argv[1..argc-1] name and returns the exit status.
int RunCommandLine(int argc, char** argv);
