#pragma once

#include "core/AppEvent.h"

namespace quelt::core {

// Receives events: core listeners on the hub thread, user-interface listeners on the main
// thread. A listener may keep the event, post further events and add or remove listeners
// (itself included) from within OnEvent.
class EventListener {
 public:
  virtual ~EventListener() = default;
  virtual void OnEvent(const AppEventPtr& event) = 0;
};

}  // namespace quelt::core
