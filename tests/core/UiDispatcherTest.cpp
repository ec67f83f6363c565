#include "core/UiDispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/RecordingListener.h"

namespace quelt::core {
namespace {

using test::RecordingListener;

AppEventPtr Numbered(int number) { return MakeEvent(EventCode::Marker, number); }

std::vector<int> Numbers(const RecordingListener& listener) {
  std::vector<int> numbers;
  for (const auto& received : listener.Events()) numbers.push_back(*PayloadOf<int>(*received.event));
  return numbers;
}

TEST(UiDispatcherTest, OneWakePerEventAndOneDrainDeliversAll) {
  UiDispatcher dispatcher;
  int wakes = 0;
  dispatcher.SetWake([&] { ++wakes; });
  auto listener = std::make_shared<RecordingListener>();
  dispatcher.AddUiListener(listener);
  for (int i = 0; i < 3; ++i) dispatcher.DispatchToUi(Numbered(i));
  EXPECT_EQ(wakes, 3);
  EXPECT_EQ(dispatcher.PendingCount(), 3u);

  dispatcher.Drain();
  EXPECT_EQ(Numbers(*listener), (std::vector<int>{0, 1, 2}));
  dispatcher.Drain();
  dispatcher.Drain();
  EXPECT_EQ(listener->Events().size(), 3u);
}

TEST(UiDispatcherTest, DrainWithoutListenersEmptiesThePendingList) {
  UiDispatcher dispatcher;
  dispatcher.DispatchToUi(Numbered(1));
  dispatcher.DispatchToUi(Numbered(2));
  dispatcher.Drain();
  EXPECT_EQ(dispatcher.PendingCount(), 0u);
}

TEST(UiDispatcherTest, ListenerUnregisteredDuringADrainIsNeverCalledAgain) {
  UiDispatcher dispatcher;
  auto first = std::make_shared<RecordingListener>();
  auto second = std::make_shared<RecordingListener>();
  auto third = std::make_shared<RecordingListener>();
  dispatcher.AddUiListener(first);
  dispatcher.AddUiListener(second);
  dispatcher.AddUiListener(third);
  // On the first event, `first` closes `second` and then itself.
  first->OnEach([&](const AppEventPtr& event) {
    if (*PayloadOf<int>(*event) == 0) {
      dispatcher.RemoveUiListener(second.get());
      dispatcher.RemoveUiListener(first.get());
    }
  });
  for (int i = 0; i < 3; ++i) dispatcher.DispatchToUi(Numbered(i));
  dispatcher.Drain();
  EXPECT_EQ(Numbers(*first), std::vector<int>{0});
  EXPECT_TRUE(second->Events().empty());
  EXPECT_EQ(Numbers(*third), (std::vector<int>{0, 1, 2}));
}

TEST(UiDispatcherTest, ListenerDestroyedDuringADrainIsNotCalled) {
  UiDispatcher dispatcher;
  auto closer = std::make_shared<RecordingListener>();
  auto window = std::make_shared<RecordingListener>();
  std::weak_ptr<RecordingListener> watch = window;
  dispatcher.AddUiListener(closer);
  dispatcher.AddUiListener(window);
  closer->OnEach([&](const AppEventPtr&) { window.reset(); });
  dispatcher.DispatchToUi(Numbered(0));
  dispatcher.Drain();
  EXPECT_TRUE(watch.expired());
}

TEST(UiDispatcherTest, ReplacedWakeIsNeverCalledAfterSetWakeReturns) {
  UiDispatcher dispatcher;
  std::atomic<bool> retired{false};
  std::atomic<int> lateCalls{0};
  dispatcher.SetWake([&] {
    if (retired.load()) ++lateCalls;
  });
  std::atomic<bool> stop{false};
  std::vector<std::thread> posters;
  for (int i = 0; i < 3; ++i) {
    posters.emplace_back([&] {
      while (!stop.load()) dispatcher.DispatchToUi(Numbered(0));
    });
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  dispatcher.SetWake([] {});
  retired = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  stop = true;
  for (auto& poster : posters) poster.join();
  EXPECT_EQ(lateCalls.load(), 0);
  dispatcher.Drain();
  EXPECT_EQ(dispatcher.PendingCount(), 0u);
}

}  // namespace
}  // namespace quelt::core
