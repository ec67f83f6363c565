#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

#include "ui/shell/UiLoopBase.h"

namespace quelt::ui {

// The user-interface loop without a display, for tests: input is posted to it, every dispatcher
// wake becomes one input, and the screen is painted into a surface that stays readable.
class HeadlessUiLoop final : public UiLoopBase {
 public:
  HeadlessUiLoop(core::UiDispatcher& dispatcher, ScreenSize screen);
  // Disconnects from the dispatcher's wakes.
  ~HeadlessUiLoop() override;

  // Any thread.
  void PostInput(platform::InputEvent input);

  [[nodiscard]] size_t WakeCount() const;
  [[nodiscard]] size_t PresentCount() const;
  // True once the screen has been presented `count` times, waiting up to limitMs.
  bool WaitForPresentCount(size_t count, int limitMs);
  [[nodiscard]] bool RaisedOnce() const;

 protected:
  std::optional<platform::InputEvent> NextInput(uint32_t timeoutMs) override;
  void Present(const platform::Surface& screen) override;
  void Raise() override;
  void Interrupt() override;

 private:
  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::condition_variable presented_;
  std::deque<platform::InputEvent> inputs_;
  bool interrupted_ = false;
  size_t wakes_ = 0;
  size_t presents_ = 0;
  bool raised_ = false;
};

}  // namespace quelt::ui
