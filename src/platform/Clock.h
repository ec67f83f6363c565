#pragma once

#include <cstdint>

namespace quelt::platform {

// Milliseconds from a monotonic clock, truncated to 32 bits: it wraps after about 49.7 days,
// so compare tick values only by unsigned difference.
[[nodiscard]] uint32_t Ticks();

void SleepMs(uint32_t milliseconds);

}  // namespace quelt::platform
