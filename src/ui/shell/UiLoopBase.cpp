#include "ui/shell/UiLoopBase.h"

#include <algorithm>
#include <utility>

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
    wait = std::min(wait, UntilNextTimer());
    if (const auto input = NextInput(wait)) Handle(*input);
    RunDueTimers();
  }
  return exitCode_.load();
}

void UiLoopBase::Quit(int exitCode) {
  exitCode_.store(exitCode);
  quit_.store(true);
  Interrupt();
}

UiLoop::TimerId UiLoopBase::After(uint32_t delayMs, std::function<void()> due) {
  const TimerId id = nextTimer_++;
  timers_.push_back({id, platform::Ticks() + delayMs, std::move(due)});
  return id;
}

void UiLoopBase::CancelTimer(TimerId id) {
  std::erase_if(timers_, [id](const Timer& timer) { return timer.id == id; });
}

uint32_t UiLoopBase::UntilNextTimer() const {
  const uint32_t now = platform::Ticks();
  uint32_t wait = kForever;
  for (const auto& timer : timers_) {
    // Signed distance, so that the tick counter wrapping round does not matter.
    const auto left = static_cast<int32_t>(timer.due - now);
    wait = std::min(wait, left > 0 ? static_cast<uint32_t>(left) : 0u);
  }
  return wait;
}

void UiLoopBase::RunDueTimers() {
  const uint32_t now = platform::Ticks();
  std::vector<TimerId> due;
  for (const auto& timer : timers_) {
    if (static_cast<int32_t>(timer.due - now) <= 0) due.push_back(timer.id);
  }
  // One at a time: a timer may cancel or set others while it runs.
  for (const TimerId id : due) {
    const auto found =
        std::find_if(timers_.begin(), timers_.end(), [id](const Timer& timer) { return timer.id == id; });
    if (found == timers_.end()) continue;
    auto run = std::move(found->run);
    timers_.erase(found);
    run();
  }
}

void UiLoopBase::Handle(const platform::InputEvent& input) {
  using Kind = platform::InputEvent::Kind;
  switch (input.kind) {
    case Kind::Wake: dispatcher_.Drain(); break;
    case Kind::Key: {
      const bool types = (input.key >= platform::Key::Digit0 && input.key <= platform::Key::Digit9) ||
                         input.key == platform::Key::Star || input.key == platform::Key::Hash;
      typingKeyTop_.reset();
      if (types) typingKeyTop_ = windows_.Top().get();
      windows_.OnKey(input.key);
      break;
    }
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
    case Kind::Text: {
      const auto top = std::exchange(typingKeyTop_, std::nullopt);
      if (!top || *top == windows_.Top().get()) windows_.OnText(input.text);
      break;
    }
  }
}

}  // namespace quelt::ui
