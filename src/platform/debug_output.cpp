#include "platform/debug_output.h"

#include <cstdio>

void OutputDebugText(const char* text) {
  if (text == nullptr) return;
  std::fputs(text, stderr);
  std::fflush(stderr);
}
