#include "platform/Waker.h"

#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>

namespace quelt::platform {

Waker::Waker() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void Waker::Signal() {
  const uint64_t one = 1;
  while (::write(fd_.Get(), &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void Waker::Clear() {
  uint64_t count = 0;
  while (::read(fd_.Get(), &count, sizeof count) < 0 && errno == EINTR) {
  }
}

}  // namespace quelt::platform
