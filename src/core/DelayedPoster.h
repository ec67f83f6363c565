#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

#include "core/AppEvent.h"

namespace quelt::core {

// Posts events after a delay. One timer thread serves every delayed post of an application,
// so that nothing outlives it: posts still waiting when it is destroyed are dropped.
class DelayedPoster {
 public:
  using Post = std::function<void(AppEventPtr)>;

  explicit DelayedPoster(Post post);
  ~DelayedPoster();
  DelayedPoster(const DelayedPoster&) = delete;
  DelayedPoster& operator=(const DelayedPoster&) = delete;

  // Any thread.
  void PostAfter(uint32_t delayMs, AppEventPtr event);

 private:
  struct Pending {
    std::chrono::steady_clock::time_point due;
    uint64_t order;  // keeps posts with the same due time in the order they were made
    AppEventPtr event;
    bool operator>(const Pending& other) const { return due != other.due ? due > other.due : order > other.order; }
  };

  void Run();

  const Post post_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::priority_queue<Pending, std::vector<Pending>, std::greater<>> pending_;
  uint64_t nextOrder_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace quelt::core
