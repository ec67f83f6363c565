#include "ui/toolkit/AnimationScheduler.h"

#include <algorithm>
#include <new>
#include <utility>

#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/OutOfMemory.h"
#include "platform/screen/Image.h"

namespace quelt::ui {

namespace {

// The scheduler whose thread this is, so that the notification may call Stop and Start.
thread_local const AnimationScheduler* runningHere = nullptr;

// Milliseconds until the item's frame is due; zero or less when it is due now. Images without
// frames are never due.
int64_t Remaining(const std::shared_ptr<platform::Image>& image, int frame, uint32_t shownAt, uint32_t now) {
  if (!image || image->FrameCount() == 0) return AnimationScheduler::kNever;
  return int64_t{image->FrameDelayMs(frame)} - int64_t{static_cast<uint32_t>(now - shownAt)};
}

uint32_t ClampTimeout(int64_t remaining) {
  return static_cast<uint32_t>(std::clamp<int64_t>(remaining, 0, AnimationScheduler::kNever));
}

}  // namespace

AnimationScheduler::AnimationScheduler(Notify notify) : notify_(std::move(notify)) {}

AnimationScheduler::~AnimationScheduler() { Stop(); }

void AnimationScheduler::Start() {
  if (runningHere == this) return;
  std::lock_guard lock(threadMutex_);
  if (thread_.joinable()) {
    if (!stop_) return;
    thread_.join();  // stopped from its own notification; let that run end first
  }
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
  wake_.Set();
}

void AnimationScheduler::Stop() {
  if (runningHere == this) {
    // The thread cannot join itself; the destructor or the next Start does.
    stop_ = true;
    wake_.Set();
    return;
  }
  std::lock_guard lock(threadMutex_);
  stop_ = true;
  wake_.Set();
  if (thread_.joinable()) thread_.join();
}

size_t AnimationScheduler::Add(std::shared_ptr<platform::Image> image) {
  // Decoding here keeps it out of the list lock that painting waits for.
  if (image) image->Decode();
  size_t index = 0;
  {
    std::lock_guard lock(mutex_);
    index = items_.size();
    items_.push_back({std::move(image), 0, platform::Ticks()});
  }
  wake_.Set();
  return index;
}

void AnimationScheduler::Clear() {
  {
    std::lock_guard lock(mutex_);
    items_.clear();
  }
  wake_.Set();
}

size_t AnimationScheduler::ItemCount() const {
  std::lock_guard lock(mutex_);
  return items_.size();
}

int AnimationScheduler::CurrentFrame(size_t item) const {
  std::lock_guard lock(mutex_);
  return item < items_.size() ? items_[item].frame : 0;
}

uint32_t AnimationScheduler::NextTimeoutLocked(uint32_t now) const {
  int64_t timeout = kNever;
  for (const Item& item : items_) {
    const int64_t remaining = Remaining(item.image, item.frame, item.shownAt, now);
    if (remaining < 1) return 0;
    timeout = std::min(timeout, remaining);
  }
  return ClampTimeout(timeout);
}

uint32_t AnimationScheduler::AdvanceLocked(uint32_t now, bool& advanced) {
  int64_t timeout = kNever;
  for (Item& item : items_) {
    int64_t candidate = Remaining(item.image, item.frame, item.shownAt, now);
    if (candidate < 1) {
      item.frame = item.frame + 1 < item.image->FrameCount() ? item.frame + 1 : 0;
      item.shownAt = now;
      candidate = item.image->FrameDelayMs(item.frame);
      advanced = true;
    }
    timeout = std::min(timeout, candidate);
  }
  return ClampTimeout(timeout);
}

void AnimationScheduler::Run() {
  runningHere = this;
  platform::GuardOutOfMemory([this] { RunLoop(); });
}

void AnimationScheduler::RunLoop() {
  bool woken = wake_.Wait(platform::kInfinite);
  for (;;) {
    // Reset before looking at the stop flag and the items: whoever set the event changed them
    // first, so nothing that the reset swallows goes unseen.
    if (woken) wake_.Reset();
    if (stop_) return;
    uint32_t timeout = kNever;
    bool notify = woken;
    {
      std::lock_guard lock(mutex_);
      // Read under the lock so that no item was shown later than `now`.
      const uint32_t now = platform::Ticks();
      timeout = woken ? NextTimeoutLocked(now) : AdvanceLocked(now, notify);
    }
    if (notify && notify_) notify_();
    woken = wake_.Wait(timeout);
  }
}

}  // namespace quelt::ui
