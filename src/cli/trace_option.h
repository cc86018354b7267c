// The option --trace FILE of the console and of plan: the trace log, in
// which the sessions report every driver failure, is opened on FILE for the
// run (appending, each line written at once) and closed at its end.
#pragma once

#include <string>

namespace CLI {
class App;
}

// Adds --trace FILE to `app`, filling `path`.
void AddTraceOption(CLI::App* app, std::string* path);

// Opens the trace log on `path`; nothing for an empty path. False, with a
// line on standard error, when it cannot be opened.
bool OpenTraceLog(const std::string& path);
