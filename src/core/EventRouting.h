#pragma once

#include "core/EventCode.h"

namespace quelt::core {

// Where an event goes: to the core listeners on the hub thread, to the user-interface listeners
// on the main thread, or to both (core first).
struct EventRoute {
  bool core = false;
  bool ui = false;
};

// Codes in neither list of the table go to both sides.
[[nodiscard]] EventRoute RouteOf(EventCode code);

}  // namespace quelt::core
