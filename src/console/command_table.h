// The console commands, chosen by the first character of a command word.
#pragma once

// Runs the command for `letter`. Returns false, doing nothing, when no
// command has that letter.
bool DispatchCommand(char letter);
