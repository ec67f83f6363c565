#include "ui/UiLoopBase.h"

#include "core/UiDispatcher.h"
#include "platform/Log.h"
#include "platform/screen/Surface.h"
#include "ui/Window.h"

namespace quelt::ui {

UiLoopBase::UiLoopBase(core::UiDispatcher& dispatcher, ScreenSize screen)
    : dispatcher_(dispatcher), screen_(platform::Surface::Create(screen.width, screen.height)) {}

UiLoopBase::~UiLoopBase() = default;

void UiLoopBase::SetWindow(std::shared_ptr<Window> window) {
  window_ = std::move(window);
  invalid_ = true;
}

int UiLoopBase::Run() {
  while (!quit_.load()) {
    if (invalid_ && window_ && screen_) {
      invalid_ = false;
      window_->Paint(*screen_);
      Present(*screen_);
    }
    Handle(NextInput());
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
    case Kind::Key:
      if (window_) window_->OnKey(input.key);
      break;
    case Kind::Click:
      if (window_) {
        if (const auto key = window_->KeyForClick(input.x, input.y)) window_->OnKey(*key);
      }
      break;
    case Kind::Quit:
      if (window_) {
        window_->OnCloseRequest();
      } else {
        Quit(0);
      }
      break;
    case Kind::Activate:
      platform::Log("asked to come to the front");
      Raise();
      break;
    case Kind::Redraw: invalid_ = true; break;
    case Kind::Text: break;
  }
}

}  // namespace quelt::ui
