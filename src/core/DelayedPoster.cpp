#include "core/DelayedPoster.h"

#include <new>

#include "platform/Log.h"
#include "platform/OutOfMemory.h"

namespace quelt::core {

DelayedPoster::DelayedPoster(Post post) : post_(std::move(post)), thread_([this] { Run(); }) {}

DelayedPoster::~DelayedPoster() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void DelayedPoster::PostAfter(uint32_t delayMs, AppEventPtr event) {
  const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
  {
    std::lock_guard lock(mutex_);
    pending_.push(Pending{due, nextOrder_++, std::move(event)});
  }
  changed_.notify_all();
}

void DelayedPoster::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (pending_.empty()) {
      changed_.wait(lock);
      continue;
    }
    const auto due = pending_.top().due;
    if (std::chrono::steady_clock::now() < due) {
      changed_.wait_until(lock, due);
      continue;
    }
    AppEventPtr event = pending_.top().event;
    pending_.pop();
    lock.unlock();
    platform::GuardOutOfMemory([&] { post_(std::move(event)); });
    lock.lock();
  }
}

}  // namespace quelt::core
