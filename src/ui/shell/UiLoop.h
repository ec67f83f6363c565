#pragma once

#include <cstdint>
#include <functional>

namespace quelt::ui {

class WindowStack;

// The user-interface thread's loop: it drains the event dispatcher whenever it is woken, hands
// keys to the top window, and presents the screen when something on it changed, at most once a
// frame and never while nothing did.
class UiLoop {
 public:
  virtual ~UiLoop() = default;
  [[nodiscard]] virtual WindowStack& Windows() = 0;
  // Returns the code given to Quit.
  virtual int Run() = 0;
  virtual void Quit(int exitCode) = 0;

  // Calls `due` once on this thread after about `delayMs`; nothing wakes the loop for it sooner.
  using TimerId = uint64_t;
  virtual TimerId After(uint32_t delayMs, std::function<void()> due) = 0;
  // A timer that has not run yet never will; unknown ids are ignored.
  virtual void CancelTimer(TimerId id) = 0;
};

}  // namespace quelt::ui
