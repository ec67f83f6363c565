#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/AppEvent.h"
#include "core/ListenerList.h"
#include "platform/Event.h"

namespace quelt::core {

// The queue of events for the core listeners and the hub thread that delivers them: strictly
// one event at a time, in the order posted, to a copy of the listener list taken for that
// event. Events that route to the user interface as well are handed on after the core
// listeners have seen them.
class EventHub {
 public:
  using UiForward = std::function<void(const AppEventPtr&)>;

  explicit EventHub(UiForward forwardToUi);
  // Stops and joins the hub thread.
  ~EventHub();
  EventHub(const EventHub&) = delete;
  EventHub& operator=(const EventHub&) = delete;

  void Start();
  // Ends the hub thread after the event it is delivering; what is still queued stays undelivered.
  // Does not wait.
  void Stop();
  // Waits for the hub thread to end (after Stop).
  void Join();
  // Waits at most `timeoutMs` for the hub thread to end; false when it still runs.
  [[nodiscard]] bool WaitUntilEnded(uint32_t timeoutMs) { return ended_.Wait(timeoutMs); }

  // Any thread. After Stop the event is queued but never delivered.
  void Enqueue(AppEventPtr event);

  void AddListener(const std::shared_ptr<EventListener>& listener) { listeners_.Add(listener); }
  void RemoveListener(const EventListener* listener) { listeners_.Remove(listener); }

  [[nodiscard]] bool IsRunning() const { return running_.load(); }
  [[nodiscard]] size_t QueuedCount() const;

 private:
  void Run();

  const UiForward forwardToUi_;
  ListenerList listeners_;
  mutable std::mutex mutex_;
  std::deque<AppEventPtr> queue_;
  // Signalled exactly while the queue is not empty, or to make the thread notice Stop.
  platform::Event hubEvent_{platform::Event::Mode::ManualReset, false};
  std::atomic<bool> running_{false};
  platform::Event ended_{platform::Event::Mode::ManualReset, true};  // while no hub thread runs
  std::thread thread_;
};

}  // namespace quelt::core
