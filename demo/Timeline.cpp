#include "Timeline.h"

namespace quelt::demo {

Timeline::Timeline() : thread_([this] { Run(); }) {}

Timeline::~Timeline() { Stop(); }

void Timeline::After(std::chrono::milliseconds delay, std::function<void()> action) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    actions_.emplace(std::chrono::steady_clock::now() + delay, std::move(action));
  }
  changed_.notify_one();
}

void Timeline::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    actions_.clear();
  }
  changed_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void Timeline::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (actions_.empty()) {
      changed_.wait(lock);
      continue;
    }
    const auto due = actions_.begin()->first;  // a copy: the map may change while waiting
    if (changed_.wait_until(lock, due) == std::cv_status::no_timeout) continue;
    if (actions_.empty() || actions_.begin()->first > std::chrono::steady_clock::now()) continue;
    auto action = std::move(actions_.begin()->second);
    actions_.erase(actions_.begin());
    lock.unlock();
    action();
    lock.lock();
  }
}

}  // namespace quelt::demo
