#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

namespace quelt::platform {

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;
inline constexpr int kWaitTimeout = -1;

struct EventWaiter;

// A signal in the manner of the handset's kernel events. A manual-reset event stays signalled
// until Reset; an auto-reset event releases exactly one waiter and then falls back to
// non-signalled. Pulse releases the threads that are waiting at that moment (all of them for
// manual reset, one for auto reset) and leaves the event non-signalled.
//
// Thread-safe. An Event must outlive every wait on it.
class Event {
 public:
  enum class Mode { ManualReset, AutoReset };

  explicit Event(Mode mode, bool initiallySignalled = false);
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  void Pulse();

  // True when the event was signalled within timeoutMs (kInfinite waits for ever).
  [[nodiscard]] bool Wait(uint32_t timeoutMs = kInfinite);

  // A snapshot; an auto-reset event is not consumed by asking.
  [[nodiscard]] bool IsSet() const;

  // The threads blocked in a wait on this event at this moment, for tests and diagnostics.
  [[nodiscard]] size_t WaiterCount() const;

 private:
  friend int WaitAny(std::span<Event* const> events, uint32_t timeoutMs);

  // Hands the signal to registered waiters; returns true when one took an auto-reset signal.
  bool ReleaseWaitersLocked(bool releaseAll);

  const Mode mode_;
  mutable std::mutex mutex_;
  bool signalled_;
  // Threads blocked in WaitAny on this event, with the event's index in their argument list.
  std::vector<std::pair<EventWaiter*, int>> waiters_;
};

// Waits until one of the events is signalled and returns its index. When several are signalled
// already, the first in argument order wins; only that one is consumed (auto reset). Returns
// kWaitTimeout when timeoutMs passes first. At most 64 events, as on the handset.
[[nodiscard]] int WaitAny(std::span<Event* const> events, uint32_t timeoutMs);
[[nodiscard]] int WaitAny(std::initializer_list<Event*> events, uint32_t timeoutMs);
// The same wait, answered with the event that was signalled (null on time-out), so that callers
// compare with their events by name instead of by position.
[[nodiscard]] Event* WaitFirst(std::span<Event* const> events, uint32_t timeoutMs);
[[nodiscard]] Event* WaitFirst(std::initializer_list<Event*> events, uint32_t timeoutMs);

}  // namespace quelt::platform
