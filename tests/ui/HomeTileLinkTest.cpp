#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "homeplugin/StateBlock.h"
#include "platform/Port.h"
#include "support/ui/ContactListScene.h"
#include "ui/windows/HomeTileLink.h"

namespace quelt::ui {
namespace {

using core::EventCode;
using namespace std::chrono_literals;

TEST(HomeTileLinkTest, OnlineCountFollowsTheStrongestStatus) {
  struct Case {
    Protocol service;
    int32_t presence;
    bool online;
  };
  const Case cases[] = {
      {Protocol::Icq, 0x0000, true},   {Protocol::Icq, 0x0020, true},  {Protocol::Icq, 0x0100, true},
      {Protocol::Icq, 0x0120, true},   {Protocol::Icq, 0x0101, false},  // away outranks invisible
      {Protocol::Icq, 0x0022, false},                                   // do not disturb outranks free for chat
      {Protocol::Icq, 0x10004, false}, {Protocol::Icq, -1, false},     {Protocol::Msn, 1, true},
      {Protocol::Msn, 8, true},        {Protocol::Msn, 2, false},      {Protocol::Msn, -1, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CountsAsOnline(c.service, c.presence), c.online) << c.presence;
  }
}

class HomeTileLinkSceneTest : public ::testing::Test {
 protected:
  HomeTileLinkSceneTest() {
    scene_.Window().LinkHomeTile(link_);
    row_ = platform::PortListener::Listen(home::kTileListenerClass, [this](const platform::PortMessage& message) {
      std::lock_guard lock(mutex_);
      received_.push_back(message);
      return 1u;
    });
  }
  // What the row heard once it has heard `count` messages (5 s at most), or after a moment
  // when none is expected.
  std::vector<platform::PortMessage> Received(size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + (count == 0 ? 200ms : 5s);
    while (std::chrono::steady_clock::now() < deadline) {
      {
        std::lock_guard lock(mutex_);
        if (count > 0 && received_.size() >= count) break;
      }
      std::this_thread::sleep_for(5ms);
    }
    std::lock_guard lock(mutex_);
    return std::exchange(received_, {});
  }
  void Post(EventCode code) {
    scene_.App().PostEvent(core::MakeEvent(code));
    scene_.Deliver();
  }

  test::TempFolder runtime_;
  test::ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.Path().string()};
  test::ContactListScene scene_{{.screen = {240, 320}, .config = "", .prepare = nullptr}};
  std::shared_ptr<HomeTileLink> link_ = std::make_shared<HomeTileLink>();
  std::mutex mutex_;
  std::vector<platform::PortMessage> received_;
  std::unique_ptr<platform::PortListener> row_;
};

TEST_F(HomeTileLinkSceneTest, StatusStripUpdatesReachTheRowUntilTheMessengerCloses) {
  ASSERT_TRUE(row_);
  auto& icq = scene_.Icq();
  auto& msn = scene_.Msn();
  icq.Add({.id = u"1", .presence = 0});
  icq.Add({.id = u"2", .presence = 0x0001});
  icq.Add({.id = u"3", .presence = 0x0120, .unread = true});
  icq.Add({.id = u"4", .presence = -1, .unread = true});
  msn.Add({.id = u"a@x", .presence = 8, .unread = true});
  msn.signedIn = false;

  scene_.App().PostEvent(core::MakeEvent(EventCode::IcqOwnStatus, uint32_t{0}));
  scene_.Deliver();
  auto messages = Received(1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].tag, home::kStateBlockTag);
  const auto state = home::ReadStateMessage(messages[0].tag, messages[0].bytes);
  EXPECT_EQ(state.icq, (home::ServiceTileState{.enabled = true, .online = 2, .unread = 2, .text = u"Online"}));
  EXPECT_EQ(state.msn, (home::ServiceTileState{.enabled = true, .online = -1, .unread = 1, .text = u"Offline"}));

  Post(EventCode::SettingsChanged);  // not the status strip's
  EXPECT_TRUE(Received(0).empty());
  Post(EventCode::ViewRefresh);  // a contact's presence or a message changed the counts
  EXPECT_EQ(Received(1).size(), 1u);

  link_->Close();
  link_->Close();
  messages = Received(1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].tag, home::kMessengerGoneTag);
  EXPECT_TRUE(messages[0].bytes.empty());
  Post(EventCode::ViewRefresh);
  EXPECT_TRUE(Received(0).empty());
}

}  // namespace
}  // namespace quelt::ui
