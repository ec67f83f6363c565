#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "core/EventListener.h"

namespace quelt::core {

// An ordered list of listeners, delivered to from snapshots taken under a short lock.
//
// Entries hold listeners weakly: a listener that has been destroyed is skipped, and the list
// never keeps one alive. Removal takes effect at once, also for a snapshot that is being
// delivered: a listener removed on the delivering thread (from within OnEvent, say) is not
// called again, even for the rest of the current delivery. A call that has already begun on
// another thread may still finish after Remove returns. Thread-safe.
class ListenerList {
 public:
  struct Entry {
    std::weak_ptr<EventListener> listener;
    const EventListener* identity = nullptr;
    std::atomic<bool> active{true};
  };
  using Snapshot = std::shared_ptr<const std::vector<std::shared_ptr<Entry>>>;

  ListenerList();

  void Add(const std::shared_ptr<EventListener>& listener);
  // Removes every entry for this listener.
  void Remove(const EventListener* listener);

  [[nodiscard]] Snapshot Take() const;
  [[nodiscard]] size_t Size() const;

  // Calls every still-registered, still-living listener of the snapshot in order.
  static void Deliver(const Snapshot& snapshot, const AppEventPtr& event);

 private:
  mutable std::mutex mutex_;
  // Copied on write, so that a snapshot is one reference count and delivery never locks.
  Snapshot entries_;
};

}  // namespace quelt::core
