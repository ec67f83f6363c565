#pragma once

#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "core/UiDispatcher.h"

namespace quelt::test {

// Runs `work` on the thread that drains `dispatcher`, waits for it and gives back what it returns.
template <class Work>
auto OnThreadOf(core::UiDispatcher& dispatcher, Work work) {
  auto promise = std::make_shared<std::promise<decltype(work())>>();
  auto result = promise->get_future();
  dispatcher.PostTask([promise, &work] { promise->set_value(work()); });
  return result.get();
}

// A stand-in for the user-interface thread: drains the dispatcher once per wake, on a thread of
// its own, until destroyed.
class TestUiThread {
 public:
  explicit TestUiThread(core::UiDispatcher& dispatcher) : dispatcher_(dispatcher) {
    dispatcher_.SetWake([this] {
      {
        std::lock_guard lock(mutex_);
        ++wakes_;
      }
      woken_.notify_one();
    });
    thread_ = std::thread([this] { Run(); });
  }

  ~TestUiThread() {
    dispatcher_.SetWake(nullptr);
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    woken_.notify_one();
    thread_.join();
  }

  TestUiThread(const TestUiThread&) = delete;
  TestUiThread& operator=(const TestUiThread&) = delete;

  [[nodiscard]] std::thread::id Id() const { return thread_.get_id(); }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    while (true) {
      woken_.wait(lock, [this] { return stopping_ || wakes_ > 0; });
      if (stopping_) return;
      --wakes_;
      lock.unlock();
      dispatcher_.Drain();
      lock.lock();
    }
  }

  core::UiDispatcher& dispatcher_;
  std::mutex mutex_;
  std::condition_variable woken_;
  int wakes_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace quelt::test
