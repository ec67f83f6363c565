#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

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

  static constexpr uint32_t kForever = 0xFFFFFFFFu;
  // Blocks until something happens, or for at most timeoutMs (nothing then).
  [[nodiscard]] std::optional<InputEvent> WaitInput(uint32_t timeoutMs = kForever);

  // Any thread. Wakes coalesce: while one is outstanding, more add nothing, so a busy main
  // thread cannot overflow the window system's queue.
  void PostWake();
  void PostActivate();

 private:
  // A point of the desktop window in the handset screen's pixels.
  [[nodiscard]] std::pair<int, int> ScreenPoint(int windowX, int windowY) const;

  struct State;
  explicit Display(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace quelt::platform
