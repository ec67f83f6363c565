#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/screen/Image.h"
#include "support/GifBytes.h"
#include "support/TempFolder.h"
#include "ui/toolkit/AnimationScheduler.h"

namespace quelt::ui {
namespace {

using platform::Image;
using namespace std::chrono_literals;

// Long enough for any machine under a sanitizer; the waits end as soon as the condition holds.
constexpr auto kPatience = 20s;
constexpr int kFrames = 3;

// What the scheduler reported, written by its thread and awaited by the test.
class Recorder {
 public:
  // Runs on the scheduler's thread with the recorder's lock held.
  using Probe = std::function<void()>;

  void SetProbe(Probe probe) {
    std::lock_guard lock(mutex_);
    probe_ = std::move(probe);
  }

  void Notify() {
    std::lock_guard lock(mutex_);
    ++notifications_;
    if (probe_) probe_();
    changed_.notify_all();
  }

  // True when the condition held within the limit; it is checked under the recorder's lock.
  bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = kPatience) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, condition);
  }

  int Notifications() {
    std::lock_guard lock(mutex_);
    return notifications_;
  }
  // Only inside a WaitFor condition, which holds the lock already.
  int NotificationsLocked() const { return notifications_; }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int notifications_ = 0;
  Probe probe_;
};

class AnimationSchedulerTest : public ::testing::Test {
 protected:
  AnimationSchedulerTest() {
    // Frames of 20 ms, the shortest the images keep as they are.
    const test::GifPalette palette = {{{255, 0, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}};
    std::vector<test::GifFrame> frames;
    for (uint8_t i = 0; i < kFrames; ++i) frames.push_back({{i, 1, 2, 3}, 2});
    test::WriteFile(folder_ / "anim.gif", test::GifBytes(2, 2, palette, frames));
    test::WriteFile(folder_ / "broken.gif", "GIF89a");
  }

  std::shared_ptr<Image> Animated() const {
    return std::make_shared<Image>(folder_ / "anim.gif", Image::Mode::TransparentKey);
  }
  std::shared_ptr<Image> Broken() const {
    return std::make_shared<Image>(folder_ / "broken.gif", Image::Mode::TransparentKey);
  }

  test::TempFolder folder_;
  Recorder recorder_;
};

TEST_F(AnimationSchedulerTest, FramesAdvanceInOrderAndWrapWhileFramelessImagesStayPut) {
  AnimationScheduler scheduler([this] { recorder_.Notify(); });
  const size_t broken = scheduler.Add(Broken());
  const size_t animated = scheduler.Add(Animated());
  EXPECT_EQ(scheduler.ItemCount(), 2u);

  std::vector<int> seen;  // the animated item's frame at each notification
  bool brokenMoved = false;
  recorder_.SetProbe([&] {
    seen.push_back(scheduler.CurrentFrame(animated));
    brokenMoved = brokenMoved || scheduler.CurrentFrame(broken) != 0;
  });
  scheduler.Start();
  int wraps = 0;
  ASSERT_TRUE(recorder_.WaitFor([&] {
    wraps = 0;
    for (size_t i = 1; i < seen.size(); ++i) wraps += seen[i] == 0 && seen[i - 1] == kFrames - 1 ? 1 : 0;
    return wraps >= 2;
  }));
  scheduler.Stop();

  EXPECT_FALSE(brokenMoved);
  EXPECT_EQ(seen.front(), 0);
  // Wake-ups repaint without advancing, so a frame may repeat but never skip.
  for (size_t i = 1; i < seen.size(); ++i)
    EXPECT_TRUE(seen[i] == seen[i - 1] || seen[i] == (seen[i - 1] + 1) % kFrames) << seen[i - 1] << " -> " << seen[i];
  EXPECT_EQ(scheduler.CurrentFrame(99), 0);
}

TEST_F(AnimationSchedulerTest, ClearEndsTheNotificationsAndRestartsIndices) {
  AnimationScheduler scheduler([this] { recorder_.Notify(); });
  scheduler.Add(Animated());
  bool sawEmpty = false;
  recorder_.SetProbe([&] { sawEmpty = scheduler.ItemCount() == 0; });
  scheduler.Start();
  ASSERT_TRUE(recorder_.WaitFor([&] { return scheduler.CurrentFrame(0) == 2; }));

  scheduler.Clear();
  EXPECT_EQ(scheduler.ItemCount(), 0u);
  EXPECT_EQ(scheduler.CurrentFrame(0), 0);
  // The clear asks for one repaint, and an advance made just before it may still announce
  // itself; after those nothing is left to animate.
  ASSERT_TRUE(recorder_.WaitFor([&] { return sawEmpty; }));
  const int settled = recorder_.Notifications();
  // Waiting for something that must not happen needs a limit: ten frame times.
  EXPECT_FALSE(recorder_.WaitFor([&] { return recorder_.NotificationsLocked() > settled + 1; }, 200ms));

  EXPECT_EQ(scheduler.Add(Animated()), 0u);
  ASSERT_TRUE(recorder_.WaitFor([&] { return scheduler.CurrentFrame(0) == 1; }));
}

TEST_F(AnimationSchedulerTest, StopFromTheNotificationEndsTheThreadAndStartResumes) {
  AnimationScheduler scheduler([this] { recorder_.Notify(); });
  scheduler.Add(Animated());
  bool stopped = false;
  recorder_.SetProbe([&] {
    if (!stopped && scheduler.CurrentFrame(0) == 1) {
      stopped = true;
      scheduler.Stop();
    }
  });
  scheduler.Start();
  ASSERT_TRUE(recorder_.WaitFor([&] { return stopped; }));
  scheduler.Start();  // joins the thread that stopped itself, then runs again
  ASSERT_TRUE(recorder_.WaitFor([&] { return scheduler.CurrentFrame(0) == 0; }));
  ASSERT_TRUE(recorder_.WaitFor([&] { return scheduler.CurrentFrame(0) == 2; }));
}

TEST_F(AnimationSchedulerTest, DestructionIsPromptAndNeverFollowedByANotification) {
  struct Case {
    const char* name;
    bool start;
    int animated;
    int frameless;
  };
  // Frameless items alone make the thread wait without a time-out; the destructor must wake it.
  const Case cases[] = {
      {"never started", false, 1, 0},         {"no items", true, 0, 0},
      {"frameless only", true, 0, 2},         {"animated", true, 2, 0},
      {"animated and frameless", true, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int round = 0; round < 5; ++round) {
      std::atomic<bool> destroyed{false};
      std::atomic<int> late{0};
      std::atomic<int> calls{0};
      auto scheduler = std::make_unique<AnimationScheduler>([&] {
        if (destroyed) ++late;
        ++calls;
        recorder_.Notify();
      });
      for (int i = 0; i < c.animated; ++i) scheduler->Add(Animated());
      for (int i = 0; i < c.frameless; ++i) scheduler->Add(Broken());
      if (c.start) {
        scheduler->Start();
        // Destroy while the thread is busy: right after it has announced something.
        ASSERT_TRUE(recorder_.WaitFor([&] { return calls > 0; }));
      }
      scheduler.reset();
      destroyed = true;
      EXPECT_EQ(late, 0);
      EXPECT_EQ(calls > 0, c.start);
    }
  }
}

}  // namespace
}  // namespace quelt::ui
