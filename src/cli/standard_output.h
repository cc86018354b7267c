// The results a subcommand prints on standard output must reach it: a run
// whose output was lost (a full disk, a closed pipe) has failed.
#pragma once

#include <string>

// Flushes standard output. Returns false with a one-line reason in `error`
// when that flush or any earlier write to standard output failed.
bool FlushStandardOutput(std::string* error);
