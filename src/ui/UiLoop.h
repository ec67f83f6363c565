#pragma once

#include <memory>

namespace quelt::ui {

class Window;

// The user-interface thread's loop: it drains the event dispatcher whenever it is woken, shows
// the top window and hands it the keys, until Quit.
class UiLoop {
 public:
  virtual ~UiLoop() = default;
  // The window that gets the keys and fills the screen.
  virtual void SetWindow(std::shared_ptr<Window> window) = 0;
  // Returns the code given to Quit.
  virtual int Run() = 0;
  virtual void Quit(int exitCode) = 0;
  // Asks for the window to be painted again before the loop next waits.
  virtual void Invalidate() = 0;
};

}  // namespace quelt::ui
