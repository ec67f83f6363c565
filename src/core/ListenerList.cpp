#include "core/ListenerList.h"

namespace quelt::core {

ListenerList::ListenerList() : entries_(std::make_shared<const std::vector<std::shared_ptr<Entry>>>()) {}

void ListenerList::Add(const std::shared_ptr<EventListener>& listener) {
  if (!listener) return;
  auto entry = std::make_shared<Entry>();
  entry->listener = listener;
  entry->identity = listener.get();
  std::lock_guard lock(mutex_);
  auto next = std::make_shared<std::vector<std::shared_ptr<Entry>>>();
  next->reserve(entries_->size() + 1);
  // Listeners destroyed without removing themselves are dropped here, so the list cannot grow.
  for (const auto& existing : *entries_) {
    if (!existing->listener.expired()) next->push_back(existing);
  }
  next->push_back(std::move(entry));
  entries_ = std::move(next);
}

void ListenerList::Remove(const EventListener* listener) {
  std::lock_guard lock(mutex_);
  auto next = std::make_shared<std::vector<std::shared_ptr<Entry>>>();
  next->reserve(entries_->size());
  for (const auto& entry : *entries_) {
    if (entry->identity == listener) {
      entry->active.store(false);
    } else {
      next->push_back(entry);
    }
  }
  entries_ = std::move(next);
}

ListenerList::Snapshot ListenerList::Take() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

size_t ListenerList::Size() const {
  std::lock_guard lock(mutex_);
  return entries_->size();
}

void ListenerList::Deliver(const Snapshot& snapshot, const AppEventPtr& event) {
  for (const auto& entry : *snapshot) {
    if (!entry->active.load()) continue;
    // Holding the listener for the call keeps it alive even if its owner lets go meanwhile.
    if (auto listener = entry->listener.lock()) listener->OnEvent(event);
  }
}

}  // namespace quelt::core
