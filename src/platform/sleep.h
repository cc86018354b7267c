// Blocking the calling thread for a while.
#pragma once

#include <cstdint>

// Blocks the calling thread for at least `milliseconds`.
void SleepMilliseconds(uint32_t milliseconds);

// Replaces what SleepMilliseconds does with `sleeper` (for example a recorder
// that returns at once); null restores real sleeping. For tests of code that
// waits, so that they never really wait.
void SetSleepForTesting(void (*sleeper)(uint32_t milliseconds));
