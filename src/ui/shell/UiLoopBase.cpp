#include "ui/shell/UiLoopBase.h"

#include "core/UiDispatcher.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/screen/Surface.h"
#include "ui/toolkit/Window.h"

namespace quelt::ui {

UiLoopBase::UiLoopBase(core::UiDispatcher& dispatcher, ScreenSize screen)
    : dispatcher_(dispatcher),
      screen_(platform::Surface::Create(screen.width, screen.height)),
      windows_(screen.width, screen.height) {}

UiLoopBase::~UiLoopBase() = default;

int UiLoopBase::Run() {
  while (!quit_.load()) {
    uint32_t wait = kForever;
    if (windows_.NeedsPaint() && screen_) {
      // However many changes arrive, the screen is presented once a frame at most.
      const uint32_t now = platform::Ticks();
      const uint32_t since = lastPresent_ ? now - *lastPresent_ : kFrameMs;
      if (since >= kFrameMs) {
        windows_.Compose(*screen_);
        Present(*screen_);
        lastPresent_ = now;
        continue;
      }
      wait = kFrameMs - since;
    }
    if (const auto input = NextInput(wait)) Handle(*input);
  }
  return exitCode_.load();
}

void UiLoopBase::Quit(int exitCode) {
  exitCode_.store(exitCode);
  quit_.store(true);
  Interrupt();
}

void UiLoopBase::Handle(const platform::InputEvent& input) {
  using Kind = platform::InputEvent::Kind;
  switch (input.kind) {
    case Kind::Wake: dispatcher_.Drain(); break;
    case Kind::Key: windows_.OnKey(input.key); break;
    case Kind::Click: windows_.OnClick(input.x, input.y); break;
    case Kind::Quit:
      if (windows_.Empty()) {
        Quit(0);
      } else {
        windows_.OnCloseRequest();
      }
      break;
    case Kind::Activate:
      platform::Log("asked to come to the front");
      Raise();
      break;
    case Kind::Redraw: windows_.InvalidateAll(); break;
    case Kind::Text: windows_.OnText(input.text); break;
  }
}

}  // namespace quelt::ui
