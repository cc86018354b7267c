#include "platform/sleep.h"

#include <cerrno>
#include <ctime>

namespace {

void (*testSleeper)(uint32_t) = nullptr;

}  // namespace

void SetSleepForTesting(void (*sleeper)(uint32_t)) { testSleeper = sleeper; }

void SleepMilliseconds(uint32_t milliseconds) {
  if (testSleeper != nullptr) {
    testSleeper(milliseconds);
    return;
  }
  timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal cuts nanosleep short; carry on with what is left.
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}
