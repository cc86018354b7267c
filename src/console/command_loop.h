// The console: start-up, the command loop and shut-down.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Prints the five menu lines.
void PrintMenu();

// Runs the program against `input`: banner, program directory, default data
// source, the peak checker's session, menu; then one command word at a time
// until a word beginning with 'q' or the end of `input`; then closes the
// checker's session and the trace log. Range checks read their days on
// `sessions` sessions (0: DefaultRangeSessions()). Returns the exit status, 0.
int RunConsole(std::FILE* input, int32_t sessions = 0);

// Reads the next word of `input` (a run of characters without white space,
// of any length) into `word`. False at the end of input with no word read.
bool ReadWord(std::FILE* input, std::string& word);
