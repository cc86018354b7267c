// The debugger output channel. There is no attached debugger to speak to on
// this system, so the text goes to standard error unchanged.
#pragma once

void OutputDebugText(const char* text);
