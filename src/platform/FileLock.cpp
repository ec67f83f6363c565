#include "platform/FileLock.h"

#include <sys/file.h>

#include <algorithm>
#include <cerrno>

#include "platform/Clock.h"

namespace quelt::platform {

int LockWithin(int fd, bool exclusive, const LockWait& wait, uint32_t since) {
  const int operation = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  while (flock(fd, operation) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return errno;
    const uint32_t waited = Ticks() - since;
    if (waited >= wait.waitLimitMs) return EWOULDBLOCK;
    SleepMs(std::min(wait.retryMs, wait.waitLimitMs - waited));
  }
  return 0;
}

}  // namespace quelt::platform
