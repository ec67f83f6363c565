#include "platform/Event.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <deque>
#include <future>
#include <thread>
#include <vector>

#include "platform/Clock.h"

namespace quelt::platform {
namespace {

using Mode = Event::Mode;

TEST(EventTest, ManualResetStaysSignalledAutoResetIsConsumedByOneWait) {
  for (const Mode mode : {Mode::ManualReset, Mode::AutoReset}) {
    Event event(mode, true);
    EXPECT_TRUE(event.IsSet());  // asking does not consume
    EXPECT_TRUE(event.Wait(0));
    EXPECT_EQ(event.Wait(0), mode == Mode::ManualReset);
    event.Set();
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    event.Pulse();  // with nobody waiting
    EXPECT_FALSE(event.Wait(0));
  }
}

TEST(EventTest, PulseReleasesOnlyTheThreadsWaitingAtThatMoment) {
  for (const Mode mode : {Mode::ManualReset, Mode::AutoReset}) {
    constexpr int kWaiters = 3;
    Event event(mode);
    Event stop(Mode::ManualReset);
    std::vector<std::future<int>> results(kWaiters);
    for (auto& result : results)
      result = std::async(std::launch::async, [&] { return WaitAny({&event, &stop}, kInfinite); });
    while (event.WaiterCount() < kWaiters) std::this_thread::yield();  // until all are blocked
    event.Pulse();
    EXPECT_FALSE(event.Wait(0));  // too late for the pulse
    stop.Set();                   // releases whoever the pulse did not
    int released = 0;
    for (auto& result : results) released += result.get() == 0 ? 1 : 0;
    EXPECT_EQ(released, mode == Mode::ManualReset ? kWaiters : 1);
  }
}

TEST(WaitAnyTest, PicksTheFirstSignalledInArgumentOrderAndConsumesOnlyIt) {
  // Each row: which of three auto-reset events are signalled, then the index WaitAny must return.
  const int cases[][4] = {{0, 0, 0, kWaitTimeout}, {1, 1, 1, 0}, {0, 1, 1, 1}, {0, 0, 1, 2}, {1, 0, 1, 0}};
  for (const auto& c : cases) {
    Event a(Mode::AutoReset, c[0]);
    Event b(Mode::AutoReset, c[1]);
    Event d(Mode::AutoReset, c[2]);
    const std::array<Event*, 3> events = {&a, &b, &d};
    EXPECT_EQ(WaitAny(events, 0), c[3]);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(events[i]->IsSet(), c[i] && i != c[3]) << "case " << &c - cases;
  }
}

TEST(WaitAnyTest, TimeOutsAreNeverEarly) {
  Event event(Mode::AutoReset);
  const uint32_t start = Ticks();
  EXPECT_FALSE(event.Wait(20));
  EXPECT_GE(static_cast<uint32_t>(Ticks() - start), 20u);  // a lower bound only
  EXPECT_EQ(WaitAny(std::span<Event* const>(), kInfinite), kWaitTimeout);
}

// A Set that lands while a timed-out wait is still leaving its events must either reach that
// waiter or stay in the event. The last of 64 events gives the clean-up time to be caught.
TEST(WaitAnyTest, SignalArrivingAsAWaitTimesOutIsNeverLost) {
  std::deque<Event> owned;
  std::vector<Event*> events;
  for (int i = 0; i < 64; ++i) events.push_back(&owned.emplace_back(Mode::AutoReset));
  for (int round = 0; round < 1000; ++round) {
    std::atomic<bool> returned{false};
    std::thread setter([&] {
      while (events[63]->WaiterCount() == 0 && !returned) std::this_thread::yield();
      while (events[0]->WaiterCount() != 0) std::this_thread::yield();  // the wait is leaving
      events[63]->Set();
    });
    const int woken = WaitAny(events, 1);
    returned = true;
    setter.join();
    EXPECT_NE(woken == 63, events[63]->Wait(0)) << "round " << round;
  }
}

// Each Set is acknowledged before the next, so more wake-ups than Sets means one Set released two,
// fewer that one was lost. Consumers that keep timing out also take signals at the time-out.
TEST(EventStressTest, EachAutoSetReleasesExactlyOneConsumer) {
  constexpr int kRounds = 3000;
  Event ready(Mode::AutoReset);
  Event acknowledged(Mode::AutoReset);
  Event stop(Mode::ManualReset);
  std::atomic<int> consumed{0};
  std::vector<std::thread> consumers;
  for (const uint32_t timeoutMs : {kInfinite, kInfinite, 1u, 2u}) {
    consumers.emplace_back([&, timeoutMs] {
      for (int index = kWaitTimeout; index != 0; index = WaitAny({&stop, &ready}, timeoutMs)) {
        if (index != 1) continue;
        ++consumed;
        acknowledged.Set();
      }
    });
  }
  bool lost = false;
  for (int round = 0; round < kRounds && !lost; ++round) {
    ready.Set();
    lost = !acknowledged.Wait(30000);
  }
  stop.Set();
  for (auto& consumer : consumers) consumer.join();
  ASSERT_FALSE(lost) << "signal lost";
  EXPECT_EQ(consumed.load(), kRounds);
  EXPECT_FALSE(ready.IsSet());
}

}  // namespace
}  // namespace quelt::platform
