#include "core/EventHub.h"

#include <new>

#include "core/EventRouting.h"
#include "platform/Log.h"
#include "platform/OutOfMemory.h"

namespace quelt::core {

EventHub::EventHub(UiForward forwardToUi) : forwardToUi_(std::move(forwardToUi)) {}

EventHub::~EventHub() {
  Stop();
  Join();
}

void EventHub::Start() {
  if (thread_.joinable()) return;
  running_.store(true);
  ended_.Reset();
  thread_ = std::thread([this] {
    Run();
    ended_.Set();
  });
}

void EventHub::Stop() {
  // Under the queue lock, so that the hub thread cannot reset the signal between our two steps.
  std::lock_guard lock(mutex_);
  running_.store(false);
  hubEvent_.Set();
}

void EventHub::Join() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void EventHub::Enqueue(AppEventPtr event) {
  std::lock_guard lock(mutex_);
  queue_.push_back(std::move(event));
  hubEvent_.Set();
}

size_t EventHub::QueuedCount() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

void EventHub::Run() {
  while (true) {
    (void)hubEvent_.Wait();
    if (!running_.load()) break;
    AppEventPtr event;
    ListenerList::Snapshot listeners;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) {
        if (running_.load()) hubEvent_.Reset();
        continue;
      }
      event = std::move(queue_.front());
      queue_.pop_front();
      listeners = listeners_.Take();
      if (queue_.empty() && running_.load()) hubEvent_.Reset();
    }
    platform::GuardOutOfMemory([&] {
      ListenerList::Deliver(listeners, event);
      if (RouteOf(event->Code()).ui && forwardToUi_) forwardToUi_(event);
    });
  }
}

}  // namespace quelt::core
