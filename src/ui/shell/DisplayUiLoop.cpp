#include "ui/shell/DisplayUiLoop.h"

#include "core/UiDispatcher.h"
#include "platform/screen/Display.h"

namespace quelt::ui {

DisplayUiLoop::DisplayUiLoop(core::UiDispatcher& dispatcher, platform::Display& display, ScreenSize screen)
    : UiLoopBase(dispatcher, screen), display_(display) {
  dispatcher_.SetWake([this] { display_.PostWake(); });
}

DisplayUiLoop::~DisplayUiLoop() { dispatcher_.SetWake(nullptr); }

std::optional<platform::InputEvent> DisplayUiLoop::NextInput(uint32_t timeoutMs) {
  return display_.WaitInput(timeoutMs);
}

void DisplayUiLoop::Present(const platform::Surface& screen) { display_.Present(screen); }

void DisplayUiLoop::Raise() { display_.Raise(); }

// Quit is called on the loop's own thread here; a wake makes sure the wait ends even otherwise.
void DisplayUiLoop::Interrupt() { display_.PostWake(); }

}  // namespace quelt::ui
