#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Event.h"

namespace quelt::platform {
class Image;
}

namespace quelt::ui {

// Advances the frames of the animated images a window shows, on a thread of its own, and tells
// the window when it should repaint them. Each chat window and the smiley picker own one.
//
// Thread-safe. The notification runs on the scheduler's thread; it should only post a repaint
// and must not block on the thread that stops or destroys the scheduler, nor destroy the
// scheduler. It is never called after Stop or the destructor has returned.
class AnimationScheduler {
 public:
  using Notify = std::function<void()>;

  // The time-out that stands for "until woken": images without frames never advance.
  static constexpr uint32_t kNever = 0x7FFFFFFF;

  explicit AnimationScheduler(Notify notify);
  // Stops and joins the thread.
  ~AnimationScheduler();
  AnimationScheduler(const AnimationScheduler&) = delete;
  AnimationScheduler& operator=(const AnimationScheduler&) = delete;

  // Starts the thread; does nothing while it runs.
  void Start();
  // Ends the thread and waits for it; from within the notification it only asks the thread to end.
  void Stop();

  // Appends an item shown from frame 0 on and returns its index, which stays valid until Clear.
  size_t Add(std::shared_ptr<platform::Image> image);
  void Clear();

  [[nodiscard]] size_t ItemCount() const;
  // The frame to paint for an item; 0 for an index that is not (or no longer) there.
  [[nodiscard]] int CurrentFrame(size_t item) const;

 private:
  struct Item {
    std::shared_ptr<platform::Image> image;
    int frame = 0;
    uint32_t shownAt = 0;  // platform::Ticks when the frame was shown
  };

  void Run();
  void RunLoop();
  // Both return the time-out for the next wait; called with mutex_ held.
  uint32_t NextTimeoutLocked(uint32_t now) const;
  uint32_t AdvanceLocked(uint32_t now, bool& advanced);

  const Notify notify_;
  mutable std::mutex mutex_;  // guards items_
  std::vector<Item> items_;
  platform::Event wake_{platform::Event::Mode::ManualReset};
  std::atomic<bool> stop_{false};

  std::mutex threadMutex_;  // guards thread_ across Start, Stop and destruction
  std::thread thread_;
};

}  // namespace quelt::ui
