#include "core/UiDispatcher.h"

namespace quelt::core {

void UiDispatcher::SetWake(Wake wake) {
  // Waits for wakes in progress, so the loop that installed the old one may go away after this.
  std::lock_guard lock(wakeMutex_);
  wake_ = std::move(wake);
}

void UiDispatcher::DispatchToUi(AppEventPtr event) {
  {
    std::lock_guard lock(mutex_);
    pending_.push_back({std::move(event), nullptr});
  }
  // Not under mutex_: the loop may start draining on its own thread before we return.
  std::lock_guard lock(wakeMutex_);
  if (wake_) wake_();
}

void UiDispatcher::PostTask(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    pending_.push_back({nullptr, std::move(task)});
  }
  // Not under mutex_: the loop may start draining on its own thread before we return.
  std::lock_guard lock(wakeMutex_);
  if (wake_) wake_();
}

void UiDispatcher::Drain() {
  std::vector<Pending> pending;
  ListenerList::Snapshot listeners;
  {
    std::lock_guard lock(mutex_);
    pending.swap(pending_);
    listeners = listeners_.Take();
  }
  for (const auto& item : pending) {
    if (item.event) {
      ListenerList::Deliver(listeners, item.event);
    } else if (item.task) {
      item.task();
    }
  }
}

size_t UiDispatcher::PendingCount() const {
  std::lock_guard lock(mutex_);
  return pending_.size();
}

}  // namespace quelt::core
