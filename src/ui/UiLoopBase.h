#pragma once

#include <atomic>
#include <memory>

#include "platform/screen/Input.h"
#include "ui/ScreenSize.h"
#include "ui/UiLoop.h"

namespace quelt::core {
class UiDispatcher;
}
namespace quelt::platform {
class Surface;
}

namespace quelt::ui {

// What every loop does with its input, whatever the input's source: wakes drain the
// dispatcher, keys and clicks go to the window, a close request goes to the window, and the
// screen is painted again before each wait when something asked for it.
class UiLoopBase : public UiLoop {
 public:
  UiLoopBase(core::UiDispatcher& dispatcher, ScreenSize screen);
  ~UiLoopBase() override;

  void SetWindow(std::shared_ptr<Window> window) override;
  int Run() override;
  void Quit(int exitCode) override;
  void Invalidate() override { invalid_ = true; }

  [[nodiscard]] const platform::Surface& Screen() const { return *screen_; }

 protected:
  // Blocks until the next input.
  virtual platform::InputEvent NextInput() = 0;
  virtual void Present(const platform::Surface& screen) = 0;
  virtual void Raise() = 0;
  // Called from Quit, possibly on another thread, so that a blocked NextInput returns.
  virtual void Interrupt() = 0;

  core::UiDispatcher& dispatcher_;

 private:
  void Handle(const platform::InputEvent& input);

  std::unique_ptr<platform::Surface> screen_;
  std::shared_ptr<Window> window_;
  bool invalid_ = true;
  std::atomic<bool> quit_{false};
  std::atomic<int> exitCode_{0};
};

}  // namespace quelt::ui
