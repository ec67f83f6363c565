#include "ui/shell/HeadlessUiLoop.h"

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

std::optional<platform::InputEvent> HeadlessUiLoop::NextInput(uint32_t timeoutMs) {
  std::unique_lock lock(mutex_);
  const auto ready = [this] { return interrupted_ || !inputs_.empty(); };
  if (timeoutMs == kForever) {
    posted_.wait(lock, ready);
  } else if (!posted_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
    return std::nullopt;
  }
  if (inputs_.empty()) {
    // Quit was called: nothing came, and Run sees the flag.
    interrupted_ = false;
    return std::nullopt;
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
