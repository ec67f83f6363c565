#pragma once

#include <new>
#include <utility>

#include "platform/Log.h"

namespace quelt::platform {

// Runs `body`. Running out of memory inside it ends only the body, with "out of memory" in the
// log, never the program: every thread of the program starts through it, and loops that must
// outlive one failed step run each step through it. False when memory ran out.
template <class Body>
bool GuardOutOfMemory(Body&& body) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (const std::bad_alloc&) {
    Log("out of memory");
    return false;
  }
}

}  // namespace quelt::platform
