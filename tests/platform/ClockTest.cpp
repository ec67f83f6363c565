#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <chrono>

namespace quelt::platform {
namespace {

TEST(ClockTest, SleepLastsAtLeastTheRequestedTimeAndTicksFollow) {
  for (const uint32_t milliseconds : {0u, 1u, 25u}) {
    const uint32_t startTicks = Ticks();
    const auto start = std::chrono::steady_clock::now();
    SleepMs(milliseconds);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(milliseconds));
    // Unsigned difference, as callers compare ticks across the 32-bit wrap.
    EXPECT_GE(static_cast<uint32_t>(Ticks() - startTicks), milliseconds);
  }
}

TEST(ClockTest, TicksAgreeWithTheSteadyClock) {
  // Both count milliseconds of the same monotonic clock, apart from the 32-bit truncation.
  const auto steady = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  const uint32_t ticks = Ticks();
  EXPECT_LE(static_cast<uint32_t>(ticks - static_cast<uint32_t>(steady.count())), 1000u);
}

}  // namespace
}  // namespace quelt::platform
