#include "core/EventHub.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/Application.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"
#include "support/TestUiThread.h"

namespace quelt::core {
namespace {

using test::RecordingListener;

// Codes posted to mark the end of a test's traffic; both go to both sides.
constexpr EventCode kFence = EventCode::Marker;
constexpr EventCode kOther = EventCode::OtherMarker;

// Where the codes must go, written out here from the routing rules rather than taken from the
// program's table, so that a wrong entry in either shows. Every other code goes to both sides.
constexpr int32_t kCoreOnly[] = {1, 2, 9, 10, 11, 12, 25, 26, 27, 28, 29, 30, 31,
                                 32, 33, 54, 55, 57, 59, 61, 62, 63, 66, 70, 71};
constexpr int32_t kUiOnly[] = {8, 14, 15, 16, 17, 36, 37, 40, 42, 44, 45, 49, 50, 51};

struct Sequenced {
  int producer = 0;
  int sequence = 0;
};

class EventDeliveryTest : public ::testing::Test {
 protected:
  EventDeliveryTest()
      : dispatcher_(std::make_shared<UiDispatcher>()),
        uiThread_(*dispatcher_),
        application_(SettingsEnvironment{.programFolder = folder_.Path(), .documentsFolder = folder_.Path()},
                     dispatcher_) {
    dispatcher_->AddUiListener(ui_);  // before Initialise, so it sees the first refresh
    application_.Initialise();
    application_.AddListener(core_);
  }

  void PostFenceAndWait() {
    application_.PostEvent(MakeEvent(kFence));
    ASSERT_TRUE(core_->WaitFor(kFence));
    ASSERT_TRUE(ui_->WaitFor(kFence));
  }

  test::TempFolder folder_;
  std::shared_ptr<UiDispatcher> dispatcher_;
  test::TestUiThread uiThread_;
  Application application_;
  std::shared_ptr<RecordingListener> core_ = std::make_shared<RecordingListener>();
  std::shared_ptr<RecordingListener> ui_ = std::make_shared<RecordingListener>();
};

TEST_F(EventDeliveryTest, EveryCodeReachesExactlyItsDestinations) {
  std::vector<int32_t> expectCore;
  std::vector<int32_t> expectUi = {ToInt(EventCode::ViewRefresh)};  // from Initialise
  // 47 and 48 re-create sessions and post a refresh of their own; they are covered elsewhere.
  for (int32_t code = 1; code <= 75; ++code) {
    if (code == 47 || code == 48 || code == ToInt(kFence)) continue;
    if (std::ranges::count(kUiOnly, code) == 0) expectCore.push_back(code);
    if (std::ranges::count(kCoreOnly, code) == 0) expectUi.push_back(code);
    application_.PostEvent(MakeEvent(static_cast<EventCode>(code)));
  }
  PostFenceAndWait();
  expectCore.push_back(ToInt(kFence));
  expectUi.push_back(ToInt(kFence));
  EXPECT_EQ(core_->Codes(), expectCore);
  // User-interface-only events skip the hub, so they may overtake those that pass it: compare
  // what arrived, not the order between the two roads.
  auto uiCodes = ui_->Codes();
  std::sort(uiCodes.begin(), uiCodes.end());
  std::sort(expectUi.begin(), expectUi.end());
  EXPECT_EQ(uiCodes, expectUi);
}

TEST_F(EventDeliveryTest, CoreListenersRunOnTheHubThreadBeforeTheUserInterfaceSees) {
  std::atomic<bool> coreSawIt{false};
  core_->OnEach([&](const AppEventPtr& event) {
    if (event->Code() == kOther) coreSawIt = true;
  });
  std::atomic<bool> uiSawItAfterCore{false};
  ui_->OnEach([&](const AppEventPtr& event) {
    if (event->Code() == kOther) uiSawItAfterCore = coreSawIt.load();
  });
  application_.PostEvent(MakeEvent(kOther));
  PostFenceAndWait();
  EXPECT_TRUE(uiSawItAfterCore);

  const auto coreEvents = core_->Events();
  const auto uiEvents = ui_->Events();
  ASSERT_FALSE(coreEvents.empty());
  ASSERT_FALSE(uiEvents.empty());
  EXPECT_NE(coreEvents.front().thread, std::this_thread::get_id());
  EXPECT_NE(coreEvents.front().thread, uiThread_.Id());
  EXPECT_EQ(uiEvents.back().thread, uiThread_.Id());
}

TEST_F(EventDeliveryTest, EachProducersOrderHoldsOnBothSides) {
  constexpr int kProducers = 4;
  constexpr int kPerProducer = 500;
  std::vector<std::thread> producers;
  for (int producer = 0; producer < kProducers; ++producer) {
    producers.emplace_back([this, producer] {
      for (int sequence = 0; sequence < kPerProducer; ++sequence) {
        application_.PostEvent(MakeEvent(kOther, Sequenced{producer, sequence}));
      }
    });
  }
  for (auto& producer : producers) producer.join();
  PostFenceAndWait();

  for (const auto* listener : {core_.get(), ui_.get()}) {
    std::map<int, int> next;
    int seen = 0;
    for (const auto& received : listener->Events()) {
      const auto* item = PayloadOf<Sequenced>(*received.event);
      if (item == nullptr) continue;
      EXPECT_EQ(item->sequence, next[item->producer]) << "producer " << item->producer;
      next[item->producer] = item->sequence + 1;
      ++seen;
    }
    EXPECT_EQ(seen, kProducers * kPerProducer);
  }
}

TEST_F(EventDeliveryTest, ListenerAddedDuringDeliveryFirstSeesTheNextEvent) {
  auto late = std::make_shared<RecordingListener>();
  core_->OnEach([&](const AppEventPtr& event) {
    if (event->Code() == kOther) application_.AddListener(late);
  });
  application_.PostEvent(MakeEvent(kOther));
  PostFenceAndWait();
  EXPECT_EQ(late->Codes(), std::vector<int32_t>{ToInt(kFence)});
}

TEST_F(EventDeliveryTest, ListenerRemovedDuringDeliveryIsNotCalledAgain) {
  auto victim = std::make_shared<RecordingListener>();
  application_.AddListener(victim);  // registered after core_, so it would be called next
  core_->OnEach([&](const AppEventPtr& event) {
    if (event->Code() == kOther) application_.RemoveListener(victim.get());
  });
  application_.PostEvent(MakeEvent(kOther));
  PostFenceAndWait();
  EXPECT_TRUE(victim->Codes().empty());
}

TEST_F(EventDeliveryTest, DelayedPostsArriveAfterTheirDelayInDueOrder) {
  const auto start = std::chrono::steady_clock::now();
  application_.PostEventDelayed(300, MakeEvent(kFence));
  application_.PostEventDelayed(100, MakeEvent(kOther));
  ASSERT_TRUE(core_->WaitFor(kFence));
  ASSERT_EQ(core_->Codes(), (std::vector<int32_t>{ToInt(kOther), ToInt(kFence)}));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
}

TEST(EventHubTest, PostsAfterStopStayQueuedAndUndelivered) {
  auto listener = std::make_shared<RecordingListener>();
  EventHub hub(nullptr);
  hub.AddListener(listener);
  hub.Start();
  hub.Enqueue(MakeEvent(kOther));
  ASSERT_TRUE(listener->WaitFor(kOther));
  hub.Stop();
  hub.Join();
  hub.Enqueue(MakeEvent(kFence));
  EXPECT_EQ(hub.QueuedCount(), 1u);
  EXPECT_EQ(listener->Codes(), std::vector<int32_t>{ToInt(kOther)});
  EXPECT_FALSE(hub.IsRunning());
}

TEST(EventHubTest, StopWhileEventsKeepArrivingEndsTheThread) {
  // The hub must notice Stop even when it races with the queue becoming empty.
  for (int round = 0; round < 50; ++round) {
    EventHub hub(nullptr);
    hub.Start();
    std::thread producer([&] {
      for (int i = 0; i < 200; ++i) hub.Enqueue(MakeEvent(kOther));
    });
    hub.Stop();
    EXPECT_TRUE(hub.WaitUntilEnded(10000)) << "round " << round;
    producer.join();
    hub.Enqueue(MakeEvent(kFence));  // wakes a hub that missed the stop, so the test can end
  }
}

}  // namespace
}  // namespace quelt::core
