#pragma once

#include "ui/shell/UiLoopBase.h"

namespace quelt::platform {
class Display;
}

namespace quelt::ui {

// The user-interface loop on the desktop window.
class DisplayUiLoop final : public UiLoopBase {
 public:
  DisplayUiLoop(core::UiDispatcher& dispatcher, platform::Display& display, ScreenSize screen);
  ~DisplayUiLoop() override;

 protected:
  std::optional<platform::InputEvent> NextInput(uint32_t timeoutMs) override;
  void Present(const platform::Surface& screen) override;
  void Raise() override;
  void Interrupt() override;

 private:
  platform::Display& display_;
};

}  // namespace quelt::ui
