#include "db/driver_process.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>

namespace {

// A day's result of a busy system, as a driver holds it.
constexpr size_t kDayResult = 4 * 1024 * 1024;

TEST(DriverProcess, AFreedDayResultStaysWithTheProcessForTheNextStatement) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's allocator keeps its own books";
#else
  PrepareProcessForDrivers();
  const struct mallinfo2 before = mallinfo2();
  void* result = std::malloc(kDayResult);
  ASSERT_NE(result, nullptr);
  std::memset(result, 1, kDayResult);
  asm volatile("" : : "g"(result) : "memory");
  EXPECT_EQ(mallinfo2().hblks, before.hblks) << "the block got a mapping of its own";
  std::free(result);
  EXPECT_GE(mallinfo2().fordblks, kDayResult) << "the block went back to the system";
#endif
}

}  // namespace
