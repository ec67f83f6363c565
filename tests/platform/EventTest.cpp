#include "platform/Event.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace quelt::platform {
namespace {

using Mode = Event::Mode;
constexpr uint32_t kGenerousMs = 30000;  // only reached when a signal was lost

// Spins until the condition holds, so that a test can act once threads are really blocked.
template <typename Condition>
bool AwaitCondition(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

TEST(EventTest, ManualResetStaysSignalledUntilReset) {
  Event event(Mode::ManualReset);
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.IsSet());
  event.Reset();
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.Wait(0));
}

TEST(EventTest, AutoResetIsConsumedByOneWaitButNotByAsking) {
  Event event(Mode::AutoReset);
  event.Set();
  event.Set();  // a second Set on a signalled event adds nothing
  EXPECT_TRUE(event.IsSet());
  EXPECT_TRUE(event.IsSet());
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.Wait(0));
}

TEST(EventTest, InitialStateIsHonouredInBothModes) {
  for (const Mode mode : {Mode::ManualReset, Mode::AutoReset}) {
    Event signalled(mode, true);
    Event clear(mode, false);
    EXPECT_TRUE(signalled.Wait(0));
    EXPECT_FALSE(clear.Wait(0));
    EXPECT_EQ(signalled.IsSet(), mode == Mode::ManualReset);
  }
}

TEST(EventTest, WaitTimesOutOnAnUnsignalledEvent) {
  Event event(Mode::AutoReset);
  EXPECT_FALSE(event.Wait(0));
  EXPECT_FALSE(event.Wait(15));
  EXPECT_EQ(event.WaiterCount(), 0u);
}

TEST(EventTest, PulseWithoutWaitersLeavesTheEventClear) {
  for (const Mode mode : {Mode::ManualReset, Mode::AutoReset}) {
    Event event(mode, true);
    event.Pulse();
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(0));
  }
}

TEST(EventTest, ManualPulseReleasesEveryThreadWaitingAtThatMoment) {
  Event event(Mode::ManualReset);
  constexpr int kWaiters = 4;
  std::vector<std::future<bool>> results;
  for (int i = 0; i < kWaiters; ++i) {
    results.push_back(std::async(std::launch::async, [&event] { return event.Wait(kGenerousMs); }));
  }
  ASSERT_TRUE(AwaitCondition([&] { return event.WaiterCount() == kWaiters; }));
  event.Pulse();
  EXPECT_FALSE(event.IsSet());
  for (auto& result : results) EXPECT_TRUE(result.get());
  // A thread that starts waiting after the pulse does not see it.
  EXPECT_FALSE(event.Wait(0));
}

TEST(EventTest, AutoPulseReleasesOneWaiter) {
  Event event(Mode::AutoReset);
  Event released(Mode::AutoReset);
  std::atomic<int> count{0};
  constexpr int kWaiters = 3;
  std::vector<std::thread> threads;
  for (int i = 0; i < kWaiters; ++i) {
    threads.emplace_back([&] {
      if (event.Wait(kGenerousMs)) ++count;
      released.Set();
    });
  }
  ASSERT_TRUE(AwaitCondition([&] { return event.WaiterCount() == kWaiters; }));
  event.Pulse();
  EXPECT_FALSE(event.IsSet());
  ASSERT_TRUE(released.Wait(kGenerousMs));
  EXPECT_EQ(count.load(), 1);
  EXPECT_EQ(event.WaiterCount(), kWaiters - 1u);
  // The others are still waiting; each Set releases exactly one of them.
  for (int i = 1; i < kWaiters; ++i) {
    event.Set();
    ASSERT_TRUE(released.Wait(kGenerousMs));
    EXPECT_EQ(count.load(), i + 1);
  }
  for (auto& thread : threads) thread.join();
  EXPECT_FALSE(event.IsSet());
}

TEST(EventTest, AutoSetHandsTheSignalToABlockedWaiter) {
  Event event(Mode::AutoReset);
  auto waiter = std::async(std::launch::async, [&event] { return event.Wait(kGenerousMs); });
  ASSERT_TRUE(AwaitCondition([&] { return event.WaiterCount() == 1; }));
  event.Set();
  // The signal went to the waiter, not into the event, even before the waiter has woken.
  EXPECT_FALSE(event.IsSet());
  EXPECT_TRUE(waiter.get());
  EXPECT_FALSE(event.Wait(0));
}

TEST(EventTest, ManualSetReleasesAllWaitersAndStaysSet) {
  Event event(Mode::ManualReset);
  std::vector<std::future<bool>> results;
  for (int i = 0; i < 3; ++i) {
    results.push_back(std::async(std::launch::async, [&event] { return event.Wait(kGenerousMs); }));
  }
  ASSERT_TRUE(AwaitCondition([&] { return event.WaiterCount() == 3; }));
  event.Set();
  for (auto& result : results) EXPECT_TRUE(result.get());
  EXPECT_TRUE(event.IsSet());
}

TEST(WaitAnyTest, PicksTheFirstSignalledInArgumentOrderAndConsumesOnlyIt) {
  struct Case {
    std::array<bool, 3> signalled;
    int expected;
  };
  const Case cases[] = {
      {{false, false, false}, kWaitTimeout}, {{true, true, true}, 0}, {{false, true, true}, 1},
      {{false, false, true}, 2},             {{true, false, true}, 0},
  };
  for (const auto& c : cases) {
    Event a(Mode::AutoReset, c.signalled[0]);
    Event b(Mode::AutoReset, c.signalled[1]);
    Event d(Mode::AutoReset, c.signalled[2]);
    EXPECT_EQ(WaitAny({&a, &b, &d}, 0), c.expected);
    const std::array<Event*, 3> events = {&a, &b, &d};
    for (int i = 0; i < 3; ++i) {
      const bool shouldRemain = c.signalled[i] && i != c.expected;
      EXPECT_EQ(events[i]->IsSet(), shouldRemain) << "event " << i << " expected " << c.expected;
    }
  }
}

TEST(WaitAnyTest, ManualEventsAreNotConsumed) {
  Event manual(Mode::ManualReset, true);
  Event automatic(Mode::AutoReset, true);
  EXPECT_EQ(WaitAny({&manual, &automatic}, 0), 0);
  EXPECT_EQ(WaitAny({&manual, &automatic}, 0), 0);
  EXPECT_TRUE(automatic.IsSet());
  manual.Reset();
  EXPECT_EQ(WaitAny({&manual, &automatic}, 0), 1);
  EXPECT_EQ(WaitAny({&manual, &automatic}, 5), kWaitTimeout);
}

TEST(WaitAnyTest, WakesForAnEventSignalledWhileBlockedAndLeavesNoRegistration) {
  Event first(Mode::AutoReset);
  Event second(Mode::AutoReset);
  Event third(Mode::ManualReset);
  auto result = std::async(std::launch::async, [&] { return WaitAny({&first, &second, &third}, kGenerousMs); });
  ASSERT_TRUE(AwaitCondition([&] { return third.WaiterCount() == 1; }));
  second.Set();
  EXPECT_EQ(result.get(), 1);
  EXPECT_FALSE(second.IsSet());
  for (const Event* event : {&first, &second, &third}) EXPECT_EQ(event->WaiterCount(), 0u);
  // A later Set on the others is kept for the next wait rather than handed to a gone waiter.
  first.Set();
  EXPECT_TRUE(first.IsSet());
}

TEST(WaitAnyTest, RejectsAnEmptyOrOversizedList) {
  EXPECT_EQ(WaitAny(std::span<Event* const>(), 0), kWaitTimeout);
  std::vector<std::unique_ptr<Event>> owned;
  std::vector<Event*> events;
  for (int i = 0; i < 65; ++i) {
    owned.push_back(std::make_unique<Event>(Mode::ManualReset, true));
    events.push_back(owned.back().get());
  }
  EXPECT_EQ(WaitAny(std::span<Event* const>(events).first(64), 0), 0);
  EXPECT_EQ(WaitAny(events, 0), kWaitTimeout);
}

TEST(WaitAnyTest, LastEventOfSixtyFourCanWakeAWaiter) {
  std::vector<std::unique_ptr<Event>> owned;
  std::vector<Event*> events;
  for (int i = 0; i < 64; ++i) {
    owned.push_back(std::make_unique<Event>(Mode::AutoReset));
    events.push_back(owned.back().get());
  }
  auto result = std::async(std::launch::async, [&] { return WaitAny(events, kGenerousMs); });
  ASSERT_TRUE(AwaitCondition([&] { return events.back()->WaiterCount() == 1; }));
  events.back()->Set();
  EXPECT_EQ(result.get(), 63);
}

// A Set that races the waiter's time-out either reaches the waiter or stays in the event,
// never neither and never both. The Set is aimed at the moment of the time-out, on the last of
// many events so that the waiter's clean-up after the time-out takes a while.
TEST(EventStressTest, SignalRacingATimeOutIsNeverLost) {
  constexpr int kRounds = 1000;
  std::vector<std::unique_ptr<Event>> owned;
  std::vector<Event*> events;
  for (int i = 0; i < 64; ++i) {
    owned.push_back(std::make_unique<Event>(Mode::AutoReset));
    events.push_back(owned.back().get());
  }
  Event& last = *events.back();
  for (int round = 0; round < kRounds; ++round) {
    const uint32_t timeoutMs = round % 3;
    const auto aim = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs) +
                     std::chrono::microseconds((round * 37) % 400);
    std::thread setter([&] {
      while (std::chrono::steady_clock::now() < aim) std::this_thread::yield();
      last.Set();
    });
    const int woken = WaitAny(events, timeoutMs);
    setter.join();
    EXPECT_NE(woken == 63, last.IsSet()) << "round " << round;
    EXPECT_TRUE(woken == 63 || woken == kWaitTimeout);
    (void)last.Wait(0);
  }
}

// Every Set is acknowledged before the next, so the consumers together must see exactly as
// many wake-ups as there were Sets: more means a Set released two, fewer means one was lost.
TEST(EventStressTest, EachAutoSetReleasesExactlyOneOfManyConsumers) {
  constexpr int kConsumers = 4;
  constexpr int kRounds = 3000;
  Event ready(Mode::AutoReset);
  Event acknowledged(Mode::AutoReset);
  Event stop(Mode::ManualReset);
  std::atomic<int> consumed{0};
  std::vector<std::thread> consumers;
  for (int i = 0; i < kConsumers; ++i) {
    consumers.emplace_back([&] {
      while (WaitAny({&stop, &ready}, kInfinite) == 1) {
        ++consumed;
        acknowledged.Set();
      }
    });
  }
  int lostInRound = -1;
  for (int round = 0; round < kRounds && lostInRound < 0; ++round) {
    ready.Set();
    if (!acknowledged.Wait(kGenerousMs)) lostInRound = round;
  }
  stop.Set();
  for (auto& consumer : consumers) consumer.join();
  ASSERT_EQ(lostInRound, -1) << "signal lost";
  EXPECT_EQ(consumed.load(), kRounds);
  EXPECT_FALSE(ready.IsSet());
}

// Consumers that keep timing out: a signal handed over just as a wait times out must still be
// reported, or the producer waits for an acknowledgement that never comes.
TEST(EventStressTest, SignalsHandedOverAtTimeOutAreNotLost) {
  constexpr int kConsumers = 3;
  constexpr int kRounds = 3000;
  Event ready(Mode::AutoReset);
  Event acknowledged(Mode::AutoReset);
  Event stop(Mode::ManualReset);
  std::atomic<int> consumed{0};
  std::vector<std::thread> consumers;
  for (int i = 0; i < kConsumers; ++i) {
    consumers.emplace_back([&] {
      while (true) {
        const int index = WaitAny({&stop, &ready}, 1);
        if (index == 0) return;
        if (index == 1) {
          ++consumed;
          acknowledged.Set();
        }
      }
    });
  }
  int lostInRound = -1;
  for (int round = 0; round < kRounds && lostInRound < 0; ++round) {
    ready.Set();
    if (!acknowledged.Wait(5000)) lostInRound = round;
  }
  stop.Set();
  for (auto& consumer : consumers) consumer.join();
  ASSERT_EQ(lostInRound, -1) << "signal lost";
  EXPECT_EQ(consumed.load(), kRounds);
}

// Two auto-reset events watched together: a wait that consumed both but reported one would
// lose the other's signal and stall the producer.
TEST(EventStressTest, WaitAnyConsumesOnlyTheEventItReturns) {
  constexpr int kConsumers = 3;
  constexpr int kRounds = 2000;
  Event stop(Mode::ManualReset);
  Event left(Mode::AutoReset);
  Event right(Mode::AutoReset);
  Event progress(Mode::AutoReset);
  std::atomic<int> counts[2] = {0, 0};
  std::atomic<int> handled{0};
  std::vector<std::thread> consumers;
  for (int i = 0; i < kConsumers; ++i) {
    consumers.emplace_back([&] {
      while (true) {
        const int index = WaitAny({&stop, &left, &right}, kInfinite);
        if (index == 0) return;
        ++counts[index - 1];
        ++handled;
        progress.Set();
      }
    });
  }
  int expectedLeft = 0;
  int expectedRight = 0;
  int lostInRound = -1;
  for (int round = 0; round < kRounds && lostInRound < 0; ++round) {
    // Both signalled at once every third round, so that one wait may find two ready.
    const bool both = round % 3 == 0;
    const bool setLeft = both || round % 2 == 0;
    const bool setRight = both || round % 2 == 1;
    expectedLeft += setLeft;
    expectedRight += setRight;
    if (setLeft) left.Set();
    if (setRight) right.Set();
    while (handled.load() < expectedLeft + expectedRight) {
      if (!progress.Wait(kGenerousMs)) {
        lostInRound = round;
        break;
      }
    }
  }
  stop.Set();
  for (auto& consumer : consumers) consumer.join();
  ASSERT_EQ(lostInRound, -1) << "signal lost";
  EXPECT_EQ(counts[0].load(), expectedLeft);
  EXPECT_EQ(counts[1].load(), expectedRight);
}

// Free-running producers and consumers sharing a work count, as the program's queues do: no
// item may be stranded, and no Set may wake more than one consumer.
TEST(EventStressTest, ProducersAndConsumersHammeringOneAutoEvent) {
  constexpr int kProducers = 3;
  constexpr int kConsumers = 3;
  constexpr int kItemsEach = 3000;
  constexpr int kTotal = kProducers * kItemsEach;
  Event ready(Mode::AutoReset);
  Event stop(Mode::ManualReset);
  Event allDone(Mode::ManualReset);
  std::mutex mutex;
  int pending = 0;
  int consumed = 0;
  std::atomic<int> sets{0};
  std::atomic<int> wakes{0};

  std::vector<std::thread> threads;
  for (int i = 0; i < kConsumers; ++i) {
    threads.emplace_back([&] {
      while (WaitAny({&stop, &ready}, kInfinite) == 1) {
        ++wakes;
        bool more = false;
        {
          std::lock_guard lock(mutex);
          if (pending > 0) {
            --pending;
            if (++consumed == kTotal) allDone.Set();
          }
          more = pending > 0;
        }
        // Several Sets may have collapsed into one signal, so pass it on while work is left.
        if (more) {
          ++sets;
          ready.Set();
        }
      }
    });
  }
  for (int i = 0; i < kProducers; ++i) {
    threads.emplace_back([&] {
      for (int item = 0; item < kItemsEach; ++item) {
        {
          std::lock_guard lock(mutex);
          ++pending;
        }
        ++sets;
        ready.Set();
      }
    });
  }
  const bool finished = allDone.Wait(kGenerousMs);
  stop.Set();
  for (auto& thread : threads) thread.join();
  ASSERT_TRUE(finished) << "items stranded: " << pending;
  EXPECT_EQ(consumed, kTotal);
  EXPECT_LE(wakes.load() + (ready.IsSet() ? 1 : 0), sets.load());
}

}  // namespace
}  // namespace quelt::platform
