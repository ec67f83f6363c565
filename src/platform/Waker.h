#pragma once

#include "platform/UniqueFd.h"

namespace quelt::platform {

// A descriptor that a poll() can wait on and any thread can make readable: the I/O threads'
// "send pending" and "stop" signal. Stays readable until Clear.
class Waker {
 public:
  Waker();
  Waker(const Waker&) = delete;
  Waker& operator=(const Waker&) = delete;

  [[nodiscard]] bool Valid() const { return fd_.Valid(); }
  [[nodiscard]] int Fd() const { return fd_.Get(); }
  void Signal();
  void Clear();

 private:
  UniqueFd fd_;
};

}  // namespace quelt::platform
