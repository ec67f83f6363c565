#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace quelt::demo {

// Runs actions at their times, one after another, on a thread of its own. What the demo's
// contacts do (typing, answering, changing presence) waits here, so that no server thread sleeps.
class Timeline {
 public:
  Timeline();
  ~Timeline();
  Timeline(const Timeline&) = delete;
  Timeline& operator=(const Timeline&) = delete;

  // Ignored once Stop has begun.
  void After(std::chrono::milliseconds delay, std::function<void()> action);
  // Drops what is waiting and joins; an action under way finishes first.
  void Stop();

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> actions_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace quelt::demo
