#include "trace/trace.h"

#include <cstdarg>

#include "platform/debug_output.h"
#include "platform/text.h"

COTrace ProcessTrace;

void Trace(const char* sourcePath, int line, const char* format, ...) {
  try {
    char message[512] = {};
    va_list args;
    va_start(args, format);
    FormatBoundedV(message, sizeof message, format, args);
    va_end(args);
    ProcessTrace.LogTrace(sourcePath, line, message);
  } catch (...) {
    OutputDebugText("Exception in Trace()\r\n");
  }
}
