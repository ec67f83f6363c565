#include "net/ConnectionWatcher.h"

#include <gtest/gtest.h>

#include "core/Application.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"

namespace quelt::net {
namespace {

using core::EventCode;

class ConnectionWatcherTest : public ::testing::Test {
 protected:
  ConnectionWatcherTest() {
    application_.Initialise();
    application_.AddListener(events_);
  }

  // The events the statuses produce, in order, once the hub has delivered them.
  std::vector<int32_t> EventsFor(std::initializer_list<uint32_t> statuses) {
    for (uint32_t status : statuses) watcher_->OnStatus(application_, status);
    application_.PostEvent(core::MakeEvent(kFence));
    EXPECT_TRUE(events_->WaitFor(kFence, ++fences_));
    std::vector<int32_t> codes;
    for (int32_t code : events_->Codes()) {
      if (code != core::ToInt(kFence)) codes.push_back(code);
    }
    return codes;
  }

  static constexpr EventCode kFence = EventCode::Marker;
  test::TempFolder folder_;
  std::shared_ptr<ConnectionWatcher> watcher_ = std::make_shared<ConnectionWatcher>();
  core::Application application_{core::SettingsEnvironment{.programFolder = folder_.Path()}, nullptr,
                                 core::ApplicationServices{.connections = watcher_}};
  std::shared_ptr<test::RecordingListener> events_ = std::make_shared<test::RecordingListener>();
  size_t fences_ = 0;
};

TEST_F(ConnectionWatcherTest, StatusesMapToNetworkStates) {
  const std::vector<std::pair<uint32_t, uint32_t>> table = {
      {0x10, 1}, {0x80, 4}, {0x81, 4}, {0x25, 2}, {0x26, 2}, {0x40, 2}, {0x41, 2}, {0x42, 2}, {0x00, 8}, {0x20, 8},
      {0x24, 8}, {0x27, 8}, {0x2B, 8}, {0x11, 0}, {0x2C, 0}, {0x30, 0}, {0x43, 0}, {0x82, 0},
  };
  for (const auto& [status, state] : table) {
    EXPECT_EQ(ConnectionWatcher::StateForStatus(status), state) << std::hex << status;
    watcher_->OnStatus(application_, status);
    EXPECT_EQ(application_.NetworkState(), state) << std::hex << status;
  }
}

TEST_F(ConnectionWatcherTest, ChangesPostEventsAndRepeatsOnlyRewriteTheState) {
  const auto lost = core::ToInt(EventCode::NetworkLost);
  const auto waiting = core::ToInt(EventCode::NetworkWaiting);
  const auto connected = core::ToInt(EventCode::NetworkConnected);
  // 0x11 (suspended) changes the state to 0 but posts nothing; repeats post nothing either.
  EXPECT_EQ(EventsFor({0x26, 0x26, 0x10, 0x10, 0x11, 0x21, 0x21}),
            (std::vector<int32_t>{waiting, connected, lost}));
  EXPECT_EQ(application_.NetworkState(), 8u);
  EXPECT_TRUE(application_.NetworkDown().IsSet());
  EXPECT_FALSE(application_.NetworkUp().IsSet());
}

TEST_F(ConnectionWatcherTest, ConnectNetworkIsAnsweredAtOnceAndNotAskedAgainWhileConnected) {
  application_.PostEvent(core::MakeEvent(EventCode::ConnectNetwork));
  ASSERT_TRUE(events_->WaitFor(EventCode::NetworkConnected));
  EXPECT_EQ(application_.NetworkState(), 1u);
  EXPECT_TRUE(application_.NetworkUp().IsSet());
  // While connected a further request changes nothing and posts nothing.
  application_.PostEvent(core::MakeEvent(EventCode::ConnectNetwork));
  EXPECT_EQ(EventsFor({}), (std::vector<int32_t>{1, 4, 1}));
}

}  // namespace
}  // namespace quelt::net
