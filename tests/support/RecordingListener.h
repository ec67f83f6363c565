#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/EventListener.h"

namespace quelt::test {

// Remembers every event it receives, with the receiving thread, and lets a test wait for one.
class RecordingListener : public core::EventListener {
 public:
  struct Received {
    core::AppEventPtr event;
    std::thread::id thread;
  };

  // `action` runs inside OnEvent before the event is recorded, on the delivering thread.
  void OnEach(std::function<void(const core::AppEventPtr&)> action) {
    std::lock_guard lock(mutex_);
    action_ = std::move(action);
  }

  void OnEvent(const core::AppEventPtr& event) override {
    std::function<void(const core::AppEventPtr&)> action;
    {
      std::lock_guard lock(mutex_);
      action = action_;
    }
    if (action) action(event);
    {
      std::lock_guard lock(mutex_);
      received_.push_back({event, std::this_thread::get_id()});
    }
    changed_.notify_all();
  }

  [[nodiscard]] std::vector<Received> Events() const {
    std::lock_guard lock(mutex_);
    return received_;
  }

  [[nodiscard]] std::vector<int32_t> Codes() const {
    std::lock_guard lock(mutex_);
    std::vector<int32_t> codes;
    for (const auto& received : received_) codes.push_back(core::ToInt(received.event->Code()));
    return codes;
  }

  // True once an event with this code has arrived (waiting up to `limit`).
  bool WaitFor(core::EventCode code, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    return WaitFor(code, 1, limit);
  }

  // True once `count` events with this code have arrived.
  bool WaitFor(core::EventCode code, size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    return WaitUntil([&] { return CountLocked(code) >= count; }, limit);
  }

  bool WaitForCount(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    return WaitUntil([&] { return received_.size() >= count; }, limit);
  }

  // The payload of the latest event carrying a T, if any.
  template <class T>
  [[nodiscard]] std::optional<T> Last() const {
    std::lock_guard lock(mutex_);
    for (auto it = received_.rbegin(); it != received_.rend(); ++it) {
      if (const T* payload = core::PayloadOf<T>(*it->event)) return *payload;
    }
    return std::nullopt;
  }

  [[nodiscard]] size_t Count(core::EventCode code) const {
    std::lock_guard lock(mutex_);
    return CountLocked(code);
  }

 private:
  template <class Predicate>
  bool WaitUntil(Predicate predicate, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, predicate);
  }

  size_t CountLocked(core::EventCode code) const {
    size_t count = 0;
    for (const auto& received : received_) count += received.event->Code() == code ? 1 : 0;
    return count;
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void(const core::AppEventPtr&)> action_;
  std::vector<Received> received_;
};

}  // namespace quelt::test
