#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/screen/Input.h"
#include "ui/shell/ScreenSize.h"
#include "ui/shell/UiLoop.h"
#include "ui/toolkit/WindowStack.h"

namespace quelt::core {
class UiDispatcher;
}
namespace quelt::platform {
class Surface;
}

namespace quelt::ui {

// What every loop does with its input, whatever the input's source: wakes drain the
// dispatcher, keys and clicks go to the top window, a close request to the windows, and the
// screen is composed and presented when something on it changed, at most once per frame.
class UiLoopBase : public UiLoop {
 public:
  static constexpr uint32_t kFrameMs = 16;
  static constexpr uint32_t kForever = 0xFFFFFFFFu;

  UiLoopBase(core::UiDispatcher& dispatcher, ScreenSize screen);
  ~UiLoopBase() override;

  [[nodiscard]] WindowStack& Windows() override { return windows_; }
  int Run() override;
  void Quit(int exitCode) override;
  TimerId After(uint32_t delayMs, std::function<void()> due) override;
  void CancelTimer(TimerId id) override;
  // Runs the timers whose time has come; the loop does this itself, tests may too.
  void RunDueTimers();

  [[nodiscard]] const platform::Surface& Screen() const { return *screen_; }

 protected:
  // Blocks until the next input, or for at most timeoutMs (nothing then).
  virtual std::optional<platform::InputEvent> NextInput(uint32_t timeoutMs) = 0;
  virtual void Present(const platform::Surface& screen) = 0;
  virtual void Raise() = 0;
  // Called from Quit, possibly on another thread, so that a blocked NextInput returns.
  virtual void Interrupt() = 0;

  core::UiDispatcher& dispatcher_;

 private:
  void Handle(const platform::InputEvent& input);
  // Milliseconds until the first timer is due; kForever without one.
  [[nodiscard]] uint32_t UntilNextTimer() const;

  struct Timer {
    TimerId id = 0;
    uint32_t due = 0;  // platform::Ticks
    std::function<void()> run;
  };
  std::vector<Timer> timers_;
  TimerId nextTimer_ = 1;

  std::unique_ptr<platform::Surface> screen_;
  WindowStack windows_;
  // The window on top when a key that also types its character (a digit, * or #) was pressed.
  // When that key changed the top window (a menu item chosen by number), the character that
  // follows belongs to the old window, not to a text box of the new one.
  std::optional<const Window*> typingKeyTop_;
  std::optional<uint32_t> lastPresent_;
  std::atomic<bool> quit_{false};
  std::atomic<int> exitCode_{0};
};

}  // namespace quelt::ui
