#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "platform/screen/Input.h"

namespace quelt::platform {

class Surface;

// The desktop window that shows the handset's screen, scaled by a whole factor, and the source
// of input. Created and used on the main thread, except PostWake and PostActivate.
class Display {
 public:
  // Opens the video system and a hidden window; nothing (and a reason in `error`) when there is
  // no display to show it on.
  [[nodiscard]] static std::unique_ptr<Display> Open(std::string_view title, int screenWidth, int screenHeight,
                                                     std::string& error);
  ~Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  void Show();
  void Raise();
  void Present(const Surface& screen);

  // Blocks until something happens.
  [[nodiscard]] InputEvent WaitInput();

  // Any thread. Wakes coalesce: while one is outstanding, more add nothing, so a busy main
  // thread cannot overflow the window system's queue.
  void PostWake();
  void PostActivate();

 private:
  struct State;
  explicit Display(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace quelt::platform
