#pragma once

#include <cstdint>

namespace quelt::platform {

// How long to wait for another holder of a file's advisory lock: try again every `retryMs` until
// `waitLimitMs` have passed, then give up.
struct LockWait {
  uint32_t retryMs = 500;
  uint32_t waitLimitMs = 5000;
};

// Takes the advisory lock (flock) of an open file, shared or exclusive, trying again as `wait`
// says, counted from the tick count `since`. 0 once it is held; otherwise the errno, EWOULDBLOCK
// when another holder kept it for the whole wait.
[[nodiscard]] int LockWithin(int fd, bool exclusive, const LockWait& wait, uint32_t since);

}  // namespace quelt::platform
