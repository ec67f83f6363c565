#pragma once

#include <cstdint>

namespace quelt::core {

// Base of each protocol session's worker. The process counts the workers alive, so that
// shutdown can wait for their connections to wind down.
class SessionWorker {
 public:
  SessionWorker(const SessionWorker&) = delete;
  SessionWorker& operator=(const SessionWorker&) = delete;

 protected:
  SessionWorker();
  ~SessionWorker();
};

[[nodiscard]] int32_t LiveWorkerCount();

// Returns true as soon as no worker is alive (at once when none is), false when limitMs passed
// first.
[[nodiscard]] bool WaitForWorkersToEnd(uint32_t limitMs);

}  // namespace quelt::core
