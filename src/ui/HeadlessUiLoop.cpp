#include "ui/HeadlessUiLoop.h"

#include "core/UiDispatcher.h"

namespace quelt::ui {

HeadlessUiLoop::HeadlessUiLoop(core::UiDispatcher& dispatcher, ScreenSize screen) : UiLoopBase(dispatcher, screen) {
  dispatcher_.SetWake([this] {
    {
      std::lock_guard lock(mutex_);
      ++wakes_;
    }
    PostInput({.kind = platform::InputEvent::Kind::Wake});
  });
}

HeadlessUiLoop::~HeadlessUiLoop() { dispatcher_.SetWake(nullptr); }

void HeadlessUiLoop::PostInput(platform::InputEvent input) {
  {
    std::lock_guard lock(mutex_);
    inputs_.push_back(std::move(input));
  }
  posted_.notify_one();
}

platform::InputEvent HeadlessUiLoop::NextInput() {
  std::unique_lock lock(mutex_);
  posted_.wait(lock, [this] { return interrupted_ || !inputs_.empty(); });
  if (inputs_.empty()) {
    // Quit was called: hand back an input that changes nothing, so Run sees the flag.
    interrupted_ = false;
    return {.kind = platform::InputEvent::Kind::Redraw};
  }
  platform::InputEvent input = std::move(inputs_.front());
  inputs_.pop_front();
  return input;
}

void HeadlessUiLoop::Present(const platform::Surface& /*screen*/) {
  {
    std::lock_guard lock(mutex_);
    ++presents_;
  }
  presented_.notify_all();
}

bool HeadlessUiLoop::WaitForPresentCount(size_t count, int limitMs) {
  std::unique_lock lock(mutex_);
  return presented_.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return presents_ >= count; });
}

void HeadlessUiLoop::Raise() {
  std::lock_guard lock(mutex_);
  raised_ = true;
}

void HeadlessUiLoop::Interrupt() {
  {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
  }
  posted_.notify_one();
}

size_t HeadlessUiLoop::WakeCount() const {
  std::lock_guard lock(mutex_);
  return wakes_;
}

size_t HeadlessUiLoop::PresentCount() const {
  std::lock_guard lock(mutex_);
  return presents_;
}

bool HeadlessUiLoop::RaisedOnce() const {
  std::lock_guard lock(mutex_);
  return raised_;
}

}  // namespace quelt::ui
