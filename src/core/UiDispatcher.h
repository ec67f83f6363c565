#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "core/AppEvent.h"
#include "core/ListenerList.h"

namespace quelt::core {

// Carries events to the user-interface listeners on the main thread. Any thread appends to
// the pending list and wakes the main thread once per event; the main thread's Drain delivers
// everything pending at that moment, so later wakes may find nothing to do.
class UiDispatcher {
 public:
  using Wake = std::function<void()>;

  UiDispatcher() = default;
  UiDispatcher(const UiDispatcher&) = delete;
  UiDispatcher& operator=(const UiDispatcher&) = delete;

  // Installed by the user-interface loop; until then events wait in the pending list. The wake
  // must not call back into the dispatcher.
  void SetWake(Wake wake);

  // Any thread; removal should happen on the main thread, where it takes effect at once, also
  // in the middle of a drain.
  void AddUiListener(const std::shared_ptr<EventListener>& listener) { listeners_.Add(listener); }
  void RemoveUiListener(const EventListener* listener) { listeners_.Remove(listener); }

  // Any thread.
  void DispatchToUi(AppEventPtr event);
  // Any thread: runs `task` on the main thread with the next drain, after the events before it.
  void PostTask(std::function<void()> task);

  // Main thread only.
  void Drain();

  [[nodiscard]] size_t PendingCount() const;

 private:
  mutable std::mutex mutex_;  // the pending list
  // What to deliver, in order: an event, or a task when `event` is null.
  struct Pending {
    AppEventPtr event;
    std::function<void()> task;
  };
  std::vector<Pending> pending_;
  std::mutex wakeMutex_;  // the wake and the calls to it
  Wake wake_;
  ListenerList listeners_;
};

}  // namespace quelt::core
