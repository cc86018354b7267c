#include "cli/trace_option.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "trace/trace.h"

void AddTraceOption(CLI::App* app, std::string* path) {
  app->add_option("--trace", *path, "write the trace log (driver failures and other reports) into FILE")
      ->type_name("FILE");
}

bool OpenTraceLog(const std::string& path) {
  if (path.empty()) return true;
  if (ProcessTrace.Open(path.c_str(), kTraceToFile) == 1) return true;
  std::fprintf(stderr, "nortesk-etp: cannot open the trace log %s\n", path.c_str());
  return false;
}
