#include "platform/Event.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>

namespace quelt::platform {

// One thread inside WaitAny. Events hand it a signal by setting `fired` to the event's index in
// the thread's argument list; the first hand-over wins and later ones pass it by.
struct EventWaiter {
  std::mutex mutex;
  std::condition_variable wake;
  int fired = kWaitTimeout;
};

namespace {

constexpr size_t kMaxWaitObjects = 64;

// Called with the event's lock held; the lock order is always event, then waiter.
bool TryFire(EventWaiter& waiter, int index) {
  std::lock_guard lock(waiter.mutex);
  if (waiter.fired != kWaitTimeout) return false;
  waiter.fired = index;
  waiter.wake.notify_one();
  return true;
}

}  // namespace

Event::Event(Mode mode, bool initiallySignalled) : mode_(mode), signalled_(initiallySignalled) {}

Event::~Event() = default;

bool Event::ReleaseWaitersLocked(bool releaseAll) {
  bool released = false;
  for (const auto& [waiter, index] : waiters_) {
    if (TryFire(*waiter, index)) {
      released = true;
      if (!releaseAll) break;
    }
  }
  return released;
}

void Event::Set() {
  std::lock_guard lock(mutex_);
  if (mode_ == Mode::ManualReset) {
    signalled_ = true;
    ReleaseWaitersLocked(true);
  } else if (!ReleaseWaitersLocked(false)) {
    signalled_ = true;
  }
}

void Event::Reset() {
  std::lock_guard lock(mutex_);
  signalled_ = false;
}

void Event::Pulse() {
  std::lock_guard lock(mutex_);
  ReleaseWaitersLocked(mode_ == Mode::ManualReset);
  signalled_ = false;
}

bool Event::Wait(uint32_t timeoutMs) {
  Event* const self = this;
  return WaitAny(std::span<Event* const>(&self, 1), timeoutMs) == 0;
}

bool Event::IsSet() const {
  std::lock_guard lock(mutex_);
  return signalled_;
}

size_t Event::WaiterCount() const {
  std::lock_guard lock(mutex_);
  return waiters_.size();
}

int WaitAny(std::span<Event* const> events, uint32_t timeoutMs) {
  if (events.empty() || events.size() > kMaxWaitObjects) return kWaitTimeout;
  const auto start = std::chrono::steady_clock::now();
  EventWaiter waiter;
  const bool mayBlock = timeoutMs != 0;

  // Take the first event that is signalled already, registering with the ones before it so that
  // a Set on them while we look further is not missed.
  size_t registered = 0;
  for (size_t i = 0; i < events.size(); ++i) {
    Event& event = *events[i];
    std::lock_guard eventLock(event.mutex_);
    {
      std::lock_guard waiterLock(waiter.mutex);
      if (waiter.fired != kWaitTimeout) break;
      if (event.signalled_) {
        if (event.mode_ == Event::Mode::AutoReset) event.signalled_ = false;
        waiter.fired = static_cast<int>(i);
        break;
      }
    }
    if (mayBlock) {
      event.waiters_.emplace_back(&waiter, static_cast<int>(i));
      registered = i + 1;
    }
  }

  if (mayBlock) {
    std::unique_lock waiterLock(waiter.mutex);
    const auto fired = [&waiter] { return waiter.fired != kWaitTimeout; };
    if (timeoutMs == kInfinite) {
      waiter.wake.wait(waiterLock, fired);
    } else {
      waiter.wake.wait_until(waiterLock, start + std::chrono::milliseconds(timeoutMs), fired);
    }
  }

  // A Set may hand us a signal right up to the moment we leave an event's list, so `fired` is
  // read only once no event can reach the waiter any more.
  for (size_t i = 0; i < registered; ++i) {
    Event& event = *events[i];
    std::lock_guard eventLock(event.mutex_);
    std::erase_if(event.waiters_, [&waiter](const auto& entry) { return entry.first == &waiter; });
  }
  std::lock_guard waiterLock(waiter.mutex);
  return waiter.fired;
}

int WaitAny(std::initializer_list<Event*> events, uint32_t timeoutMs) {
  return WaitAny(std::span<Event* const>(events.begin(), events.size()), timeoutMs);
}

Event* WaitFirst(std::span<Event* const> events, uint32_t timeoutMs) {
  const int woken = WaitAny(events, timeoutMs);
  return woken >= 0 && static_cast<size_t>(woken) < events.size() ? events[static_cast<size_t>(woken)] : nullptr;
}

Event* WaitFirst(std::initializer_list<Event*> events, uint32_t timeoutMs) {
  return WaitFirst(std::span<Event* const>(events.begin(), events.size()), timeoutMs);
}

}  // namespace quelt::platform
