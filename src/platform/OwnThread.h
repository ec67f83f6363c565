#pragma once

#include <thread>

namespace quelt::platform {

// For the destructor of an object whose own thread may hold the last reference to it: waits for
// the thread, unless this is that thread, which cannot wait for itself and is let go instead.
inline void JoinOrRelease(std::thread& thread) {
  if (!thread.joinable()) return;
  if (thread.get_id() == std::this_thread::get_id()) {
    thread.detach();
  } else {
    thread.join();
  }
}

}  // namespace quelt::platform
