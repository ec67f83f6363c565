#include "core/Application.h"

#include <gtest/gtest.h>

#include "core/SessionWorker.h"
#include "support/FakeApplicationServices.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"
#include "support/TestUiThread.h"

namespace quelt::core {
namespace {

using test::FakeSession;
using test::RecordingListener;

constexpr EventCode kFence = EventCode::Marker;
constexpr uint32_t kShortDelayMs = 50;

class ApplicationTest : public ::testing::Test {
 protected:
  void Build(std::string_view config) {
    if (!config.empty()) test::WriteFile(folder_ / Settings::kFileName, config);
    services_.sessions = sessions_;
    services_.connections = connections_;
    services_.downloads = downloads_;
    services_.timings = {.autoConnectDelayMs = kShortDelayMs, .reconnectDelayMs = kShortDelayMs};
    dispatcher_->AddUiListener(ui_);
    application_ = std::make_unique<Application>(
        SettingsEnvironment{.programFolder = folder_.Path(), .documentsFolder = folder_.Path()}, dispatcher_, services_);
    application_->Initialise();
    application_->AddListener(core_);
  }

  // Every delayed post due before this one has been delivered once it arrives.
  void WaitPastDelayedPosts() {
    application_->PostEventDelayed(kShortDelayMs * 3, MakeEvent(kFence));
    ASSERT_TRUE(core_->WaitFor(kFence, ++fences_));
  }

  // Every event posted before this one has been delivered to the core listeners.
  void WaitForCore() {
    application_->PostEvent(MakeEvent(kFence));
    ASSERT_TRUE(core_->WaitFor(kFence, ++fences_));
  }

  size_t fences_ = 0;

  test::TempFolder folder_;
  std::shared_ptr<UiDispatcher> dispatcher_ = std::make_shared<UiDispatcher>();
  test::TestUiThread uiThread_{*dispatcher_};
  std::shared_ptr<test::FakeSessionFactory> sessions_ = std::make_shared<test::FakeSessionFactory>();
  std::shared_ptr<test::FakeConnectionRequester> connections_ = std::make_shared<test::FakeConnectionRequester>();
  std::shared_ptr<test::FakeDownloadStore> downloads_ = std::make_shared<test::FakeDownloadStore>();
  ApplicationServices services_;
  std::shared_ptr<RecordingListener> core_ = std::make_shared<RecordingListener>();
  std::shared_ptr<RecordingListener> ui_ = std::make_shared<RecordingListener>();
  std::unique_ptr<Application> application_;
};

constexpr std::string_view kBothAccounts =
    "UIN=123456\r\nMSN_ENABLED=True\r\nMSN_EMAIL=me@example.com\r\nAUTO_CONNECT=True\r\n"
    "ICQ_AUTO_STATUS=16\r\nMSN_AUTO_STATUS=2\r\n";

TEST_F(ApplicationTest, InitialiseStartsTheConfiguredSessionsAndAutoConnectPostsTheirStatus) {
  Build(kBothAccounts);
  ASSERT_EQ(sessions_->IcqCreated().size(), 1u);
  ASSERT_EQ(sessions_->MsnCreated().size(), 1u);
  EXPECT_EQ(sessions_->MsnCreated()[0]->account, u"me@example.com");
  EXPECT_TRUE(sessions_->IcqCreated()[0]->started);
  EXPECT_EQ(application_->IcqSession(), sessions_->IcqCreated()[0]);
  EXPECT_TRUE(ui_->WaitFor(EventCode::ViewRefresh));
  EXPECT_EQ(downloads_->Calls(), std::vector<std::string>{"load"});

  application_->PostAutoConnect();
  WaitPastDelayedPosts();
  std::vector<std::pair<int32_t, int32_t>> statuses;
  for (const auto& received : core_->Events()) {
    if (const auto* status = PayloadOf<StatusPayload>(*received.event)) {
      statuses.emplace_back(ToInt(received.event->Code()), status->status);
    }
  }
  EXPECT_EQ(statuses, (std::vector<std::pair<int32_t, int32_t>>{{10, 16}, {11, 2}}));
}

TEST_F(ApplicationTest, SessionsNeedTheirAccountEnabledAndNamed) {
  // ICQ switched on with no number, MSN named but not switched on: no session, no auto-connect.
  Build("ICQ_ENABLED=True\r\nUIN=\r\nMSN_EMAIL=me@example.com\r\nAUTO_CONNECT=True\r\n");
  EXPECT_TRUE(sessions_->IcqCreated().empty());
  EXPECT_TRUE(sessions_->MsnCreated().empty());
  application_->PostAutoConnect();
  WaitPastDelayedPosts();
  EXPECT_EQ(core_->Count(EventCode::SetIcqStatus) + core_->Count(EventCode::SetMsnStatus), 0u);
}

TEST_F(ApplicationTest, RecreateKeepsTheSessionWhenTheAccountIsGone) {
  Build(kBothAccounts);
  test::WriteFile(folder_ / Settings::kFileName, "UIN=\r\n");
  application_->PostEvent(MakeEvent(EventCode::MsnAccountChanged));  // drops the settings object
  ASSERT_TRUE(ui_->WaitFor(EventCode::MsnAccountChanged));
  application_->RecreateIcqSession();
  EXPECT_EQ(sessions_->IcqCreated().size(), 1u);
  EXPECT_EQ(application_->IcqSession(), sessions_->IcqCreated()[0]);
}

TEST_F(ApplicationTest, LostNetworkAsksForANewConnectionOnlyWhenASessionWantsToBeOnline) {
  Build(kBothAccounts);
  const auto icq = sessions_->IcqCreated()[0];
  application_->PostEvent(MakeEvent(EventCode::NetworkConnected));
  WaitForCore();
  EXPECT_TRUE(application_->NetworkUp().IsSet());
  EXPECT_FALSE(application_->NetworkDown().IsSet());
  application_->PostEvent(MakeEvent(EventCode::NetworkLost));
  WaitPastDelayedPosts();
  EXPECT_FALSE(application_->NetworkUp().IsSet());
  EXPECT_TRUE(application_->NetworkDown().IsSet());
  EXPECT_TRUE(icq->networkLost);
  EXPECT_TRUE(sessions_->MsnCreated()[0]->networkLost);
  EXPECT_EQ(core_->Count(EventCode::ConnectNetwork), 0u);

  icq->presence = 0;
  application_->PostEvent(MakeEvent(EventCode::NetworkLost));
  WaitPastDelayedPosts();
  EXPECT_EQ(core_->Count(EventCode::ConnectNetwork), 1u);
}

TEST_F(ApplicationTest, ConnectionIsRequestedOnlyWhileNotConnected) {
  Build("");
  application_->PostEvent(MakeEvent(EventCode::ConnectNetwork));
  WaitForCore();
  EXPECT_EQ(connections_->requests.load(), 1);

  application_->SetNetworkStateBits(1);
  application_->PostEvent(MakeEvent(EventCode::ConnectNetwork));
  WaitForCore();
  EXPECT_EQ(connections_->requests.load(), 1);
  EXPECT_EQ(application_->NetworkState(), 1u);
}

TEST_F(ApplicationTest, DeleteFileRequestRemovesTheFile) {
  Build("");
  const auto doomed = folder_ / "old.txt";
  test::WriteFile(doomed, "x");
  application_->PostEvent(MakeEvent(EventCode::DeleteFileRequest, doomed));
  application_->PostEvent(MakeEvent(EventCode::DeleteFileRequest, folder_ / "never-existed"));
  WaitForCore();
  EXPECT_FALSE(std::filesystem::exists(doomed));
}

TEST_F(ApplicationTest, AccountChangeReplacesTheSessionFromAFreshlyReadFile) {
  Build(kBothAccounts);
  const auto before = application_->GetSettings();
  const auto old = sessions_->IcqCreated()[0];
  test::WriteFile(folder_ / Settings::kFileName, "UIN=777\r\n");
  application_->PostEvent(MakeEvent(EventCode::IcqAccountChanged));
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqAccountChanged));
  ASSERT_TRUE(ui_->WaitFor(EventCode::IcqAccountChanged));

  EXPECT_TRUE(old->disconnected);
  EXPECT_TRUE(old->shutDown);
  ASSERT_EQ(sessions_->IcqCreated().size(), 2u);
  EXPECT_EQ(sessions_->IcqCreated()[1]->account, u"777");
  EXPECT_TRUE(sessions_->IcqCreated()[1]->started);
  EXPECT_EQ(application_->IcqSession(), sessions_->IcqCreated()[1]);
  EXPECT_NE(application_->GetSettings(), before);
  // The download list was saved under the old settings and loaded under the new.
  EXPECT_EQ(downloads_->Calls(), (std::vector<std::string>{"load", "save", "load"}));
  EXPECT_EQ(downloads_->LastLoadedWith(), application_->GetSettings());
}

TEST_F(ApplicationTest, SettingsChangedAdoptsTheCarriedSettings) {
  Build("");
  auto changed = application_->GetSettings()->Clone();
  changed->Update([](SettingsValues& values) { values.sound = false; });
  application_->PostEvent(MakeEvent(EventCode::SettingsChanged, changed));
  EXPECT_EQ(application_->GetSettings(), changed);
  EXPECT_FALSE(application_->GetSettings()->Values().sound);
  ASSERT_TRUE(core_->WaitFor(EventCode::SettingsChanged));
  ASSERT_TRUE(ui_->WaitFor(EventCode::SettingsChanged));
}

TEST(ShutdownWaitTest, EndsAtOnceWithoutWorkersAndWhenTheLastOneGoes) {
  EXPECT_EQ(LiveWorkerCount(), 0);
  EXPECT_TRUE(WaitForWorkersToEnd(0));

  auto worker = std::make_unique<FakeSession>(u"1");
  EXPECT_EQ(LiveWorkerCount(), 1);
  EXPECT_FALSE(WaitForWorkersToEnd(50));
  std::thread ender([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    worker.reset();
  });
  EXPECT_TRUE(WaitForWorkersToEnd(60000));
  ender.join();
  EXPECT_EQ(LiveWorkerCount(), 0);
}

}  // namespace
}  // namespace quelt::core
