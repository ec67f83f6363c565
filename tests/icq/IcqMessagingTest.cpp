// Two ICQ sessions talking through the scripted OSCAR server: messages both ways, typing,
// offline messages, delivery tracking, presence, and the directory.
#include <gtest/gtest.h>

#include <set>

#include "core/Application.h"
#include "core/HistoryStore.h"
#include "icq/IcqEvents.h"
#include "icq/IcqSession.h"
#include "icq/IcqSessionFactory.h"
#include "net/ConnectionWatcher.h"
#include "resources/TextResources.h"
#include "support/CountingNotifier.h"
#include "support/OscarServer.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"
#include "support/TestUiThread.h"

namespace quelt::icq {
namespace {

using core::EventCode;
using test::OscarServer;

using test::CountingNotifier;

// Polls state that no event announces; bounded, so a failure shows instead of hanging.
bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 1000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

// One signed-in messenger of its own: program folder, event machinery and application.
class Peer {
 public:
  Peer(const OscarServer& server, const std::string& uin, const std::string& extraConfig = "") {
    std::filesystem::create_directories(folder_ / "Language");
    std::filesystem::copy_file(std::filesystem::path(QUELT_DATA_DIR) / "Language" / "English.Lang.xml",
                               folder_ / "Language" / "English.Lang.xml");
    test::WriteFile(folder_ / "Messenger.config", "UIN=" + uin + "\r\nPASSWORD=pw" + uin + "\r\nLOGINHOSTS=127.0.0.1:" +
                                                      std::to_string(server.LoginPort()) + "\r\n" + extraConfig);
    dispatcher_->AddUiListener(ui);
    IcqTimings timings{.reconnect = {.networkPollMs = 100, .backoffStepMs = 100},
                       .keepAliveMs = 60000,
                       .deliveryLimitMs = 300};
    application_ = std::make_unique<core::Application>(
        core::SettingsEnvironment{.programFolder = folder_.Path()}, dispatcher_,
        core::ApplicationServices{.language = std::make_shared<resources::TextResources>(),
                               .sessions = std::make_shared<IcqSessionFactory>(timings),
                               .connections = std::make_shared<net::ConnectionWatcher>(),
                               .notifier = notifier});
    application_->Initialise();
    application_->AddListener(core);
  }

  void SetStatus(int32_t status) {
    application_->PostEvent(core::MakeEvent(EventCode::SetIcqStatus, core::StatusPayload{.status = status}));
  }
  bool SignIn() {
    SetStatus(0);
    return core->WaitFor(EventCode::IcqStartupDone, ++signOns_);
  }
  IcqSession& Session() { return dynamic_cast<IcqSession&>(*application_->IcqSession()); }
  std::optional<IcqContact> Contact(const std::string& uin) { return Session().ContactList().List().Find(uin); }
  std::vector<core::HistoryMessage> History(const std::string& uin) {
    return application_->History().ReadPage(*Session().ConversationWith(uin), 0).value_or(std::vector<core::HistoryMessage>{});
  }
  std::vector<std::shared_ptr<const IcqMessage>> Received() const {
    std::vector<std::shared_ptr<const IcqMessage>> messages;
    for (const auto& event : ui->Events()) {
      if (const auto* message = core::PayloadOf<std::shared_ptr<const IcqMessage>>(*event.event)) {
        messages.push_back(*message);
      }
    }
    return messages;
  }

  std::shared_ptr<test::RecordingListener> core = std::make_shared<test::RecordingListener>();
  std::shared_ptr<test::RecordingListener> ui = std::make_shared<test::RecordingListener>();
  std::shared_ptr<CountingNotifier> notifier = std::make_shared<CountingNotifier>();

 private:
  test::TempFolder folder_;
  std::shared_ptr<core::UiDispatcher> dispatcher_ = std::make_shared<core::UiDispatcher>();
  test::TestUiThread uiThread_{*dispatcher_};
  std::unique_ptr<core::Application> application_;
  size_t signOns_ = 0;
};

OscarServer::Script TwoAccounts() {
  OscarServer::Script script;
  script.accounts = {{"1111", "pw1111"}, {"2222", "pw2222"}};
  script.profiles = {
      {.uin = "2222", .nickname = "Bee", .firstName = "Beatrice", .city = "Oslo", .notes = "hi there", .age = 33}};
  return script;
}

TEST(IcqMessagingTest, MessagesTravelBothWaysInEveryEncodingAndLandInBothHistories) {
  OscarServer server(TwoAccounts());
  Peer ann(server, "1111", "CODE_PAGE=1251\r\n");
  Peer bee(server, "2222", "CODE_PAGE=1251\r\n");
  ASSERT_TRUE(ann.SignIn());
  ASSERT_TRUE(bee.SignIn());
  ASSERT_TRUE(Eventually([&] { return ann.Contact("2222") && ann.Contact("2222")->status == 0; }));
  ASSERT_TRUE(Eventually([&] { return bee.Contact("1111") && bee.Contact("1111")->status == 0; }));

  // ASCII; Cyrillic in the shared code page 1251 (Unicode announced but not preferred); and
  // the other way, with prefer-Unicode set, as UTF-16BE.
  EXPECT_EQ(ann.Session().Messaging().SendMessage("2222", u"Hello").result, IcqMessaging::SendResult::Sent);
  EXPECT_EQ(ann.Session().Messaging().SendMessage("2222", u"Привет").result, IcqMessaging::SendResult::Sent);
  bee.Session().ContactList().List().Update("1111", [](IcqContact& contact) { contact.preferUnicode = true; });
  EXPECT_EQ(bee.Session().Messaging().SendMessage("1111", u"Ответ ✓").result, IcqMessaging::SendResult::Sent);
  ASSERT_TRUE(bee.ui->WaitFor(EventCode::IcqMessageReceived, 2));
  ASSERT_TRUE(ann.ui->WaitFor(EventCode::IcqMessageReceived, 1));
  EXPECT_EQ(bee.Received()[0]->text, u"Hello");
  EXPECT_EQ(bee.Received()[1]->text, u"Привет");
  EXPECT_EQ(ann.Received()[0]->text, u"Ответ ✓");
  EXPECT_EQ(ann.Received()[0]->senderUin, "2222");
  EXPECT_EQ(bee.notifier->sounds.load(), 2);

  // Both sides keep each message; the receiver sees it from position 1, the sender from 0.
  const auto annHistory = ann.History("2222");
  ASSERT_EQ(annHistory.size(), 3u);
  EXPECT_EQ(annHistory[0].text, u"Ответ ✓");
  EXPECT_EQ(annHistory[0].sender, 1);
  EXPECT_EQ(annHistory[2].text, u"Hello");
  EXPECT_EQ(annHistory[2].sender, 0);
  EXPECT_EQ(bee.History("1111").size(), 3u);
  // The server acknowledged both of Ann's messages (acknowledgements are asked for by default).
  EXPECT_TRUE(ann.ui->WaitFor(EventCode::IcqMessageConfirmed, 2));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST(IcqMessagingTest, Channel2MessagesAreAcknowledgedAndSilentOnesMakeNoSound) {
  OscarServer server(TwoAccounts());
  Peer ann(server, "1111");
  ASSERT_TRUE(ann.SignIn());
  ASSERT_TRUE(server.SendChannel2("1111", "2222", "Как дела?"));
  ASSERT_TRUE(server.SendChannel2("1111", "2222", "silent:"));
  ASSERT_TRUE(server.SendChannel2("1111", "2222", "SILENT:   hi"));
  ASSERT_TRUE(ann.ui->WaitFor(EventCode::IcqMessageReceived, 2));
  EXPECT_EQ(ann.Received()[0]->text, u"Как дела?");
  EXPECT_EQ(ann.Received()[1]->text, u"hi");
  EXPECT_EQ(ann.notifier->sounds.load(), 1);
  EXPECT_EQ(ann.notifier->vibrations.load(), 1);
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x04, 0x0B) == 3; }));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST(IcqMessagingTest, TypingNoticesAndPresenceChangesReachTheOtherSide) {
  OscarServer server(TwoAccounts());
  Peer ann(server, "1111");
  Peer bee(server, "2222");
  ASSERT_TRUE(ann.SignIn());
  ASSERT_TRUE(bee.SignIn());
  ASSERT_TRUE(Eventually([&] { return ann.Contact("2222") && ann.Contact("2222")->status == 0; }));
  ASSERT_TRUE(Eventually([&] { return bee.Contact("1111") && bee.Contact("1111")->status == 0; }));
  EXPECT_TRUE(ann.Contact("2222")->unicodeSupport);

  ASSERT_TRUE(bee.Session().Messaging().SendTyping("1111", true));
  ASSERT_TRUE(ann.ui->WaitFor(EventCode::IcqTyping));
  EXPECT_TRUE(ann.Contact("2222")->typing);
  ASSERT_TRUE(bee.Session().Messaging().SendTyping("1111", false));
  ASSERT_TRUE(ann.ui->WaitFor(EventCode::IcqTyping, 2));
  EXPECT_FALSE(ann.Contact("2222")->typing);

  bee.SetStatus(0x0011);
  ASSERT_TRUE(Eventually([&] { return ann.Contact("2222")->status == 0x0011; }));
  bee.SetStatus(-1);
  ASSERT_TRUE(Eventually([&] { return ann.Contact("2222")->status == -1; }));
  // Offline, Bee's contacts are offline too, and typing to an offline contact sends nothing.
  EXPECT_EQ(bee.Contact("1111")->status, -1);
  EXPECT_FALSE(bee.Session().Messaging().SendTyping("1111", true));
}

TEST(IcqMessagingTest, OfflineMessagesArriveInLocalTimeAndAreDeletedOnce) {
  OscarServer server(TwoAccounts());
  server.StoreOffline({.from = "2222", .to = "1111", .text = "left for you", .time = {2007, 1, 1, 10, 0}});
  Peer ann(server, "1111");
  ASSERT_TRUE(ann.SignIn());
  ASSERT_TRUE(ann.ui->WaitFor(EventCode::IcqMessageReceived));
  const auto message = ann.Received()[0];
  EXPECT_EQ(message->text, u"left for you");
  EXPECT_EQ(message->time, core::UtcToLocal({2007, 1, 1, 10, 0, 0}));
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return log.offlineDeleted.size() == 1; }));
  EXPECT_EQ(server.Snapshot().offlineDeleted, std::vector<std::string>{"1111"});
}

TEST(IcqMessagingTest, DeliveryIsTrackedAndRefusedTextsAreNotSent) {
  OscarServer server(TwoAccounts());
  Peer ann(server, "1111");
  ASSERT_TRUE(ann.SignIn());
  // Bee is offline: stored by the server, but this server acknowledges only the first message.
  // Each outcome names its own message, so a chat can mark the right one.
  const auto first = ann.Session().Messaging().SendMessage("2222", u"are you there?");
  ASSERT_TRUE(ann.ui->WaitFor(EventCode::IcqMessageConfirmed));
  server.SetAcknowledgeStored(false);
  const auto second = ann.Session().Messaging().SendMessage("2222", u"hello?");
  const auto third = ann.Session().Messaging().SendMessage("2222", u"anyone?");
  ASSERT_TRUE(ann.ui->WaitFor(EventCode::IcqMessageNotConfirmed, 2));
  std::set<uint64_t> confirmed, lapsed;
  for (const auto& received : ann.ui->Events()) {
    if (const auto* delivery = core::PayloadOf<IcqDeliveryEvent>(*received.event)) {
      EXPECT_EQ(delivery->uin, "2222");
      (received.event->Code() == EventCode::IcqMessageConfirmed ? confirmed : lapsed).insert(delivery->cookie);
    }
  }
  EXPECT_EQ(confirmed, std::set<uint64_t>{first.cookie});
  EXPECT_EQ(lapsed, (std::set<uint64_t>{second.cookie, third.cookie}));
  EXPECT_NE(second.cookie, third.cookie);
  // Cyrillic to an offline contact in code page 1252 cannot be sent faithfully.
  EXPECT_EQ(ann.Session().Messaging().SendMessage("2222", u"Привет").result, IcqMessaging::SendResult::CantSend);
  EXPECT_EQ(ann.History("2222").size(), 3u);
}

TEST(IcqMessagingTest, DirectoryAnswersInfoAndSearchesAndReportsErrors) {
  auto script = TwoAccounts();
  script.metaErrorFor = 0x0569;  // searches by number fail
  OscarServer server(script);
  Peer ann(server, "1111");
  ASSERT_TRUE(ann.SignIn());
  auto& directory = ann.Session().Directory();
  const uint32_t info = directory.RequestInfo(2222);
  ASSERT_TRUE(ann.ui->WaitFor(EventCode::IcqUserInfoReceived, 3));
  const auto infoEvent = ann.ui->Last<IcqUserInfoEvent>();
  ASSERT_TRUE(infoEvent);
  EXPECT_EQ(infoEvent->requestId, info);
  EXPECT_EQ(infoEvent->info.nickname, u"Bee");
  EXPECT_EQ(infoEvent->info.city, u"Oslo");
  EXPECT_EQ(infoEvent->info.age, 33);
  EXPECT_EQ(infoEvent->info.notes, u"hi there");

  EXPECT_NE(directory.Search({.nickname = u"Bee"}), 0u);
  ASSERT_TRUE(ann.ui->WaitFor(EventCode::IcqSearchResult));
  const auto found = ann.ui->Last<IcqSearchEvent>();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->result.uin, 2222u);
  EXPECT_EQ(found->result.nickname, u"Bee");
  EXPECT_TRUE(found->result.last);
  const auto frames = server.Frames();
  const auto search = std::find_if(frames.begin(), frames.end(), [](const auto& f) {
    const auto meta = OscarServer::MetaOf(f);
    return meta && meta->subtype == 0x055F;
  });
  ASSERT_NE(search, frames.end());
  EXPECT_EQ(OscarServer::MetaOf(*search)->tlvs->size(), 1u);  // the nickname alone

  EXPECT_NE(directory.SearchByUin(2222), 0u);
  EXPECT_TRUE(ann.ui->WaitFor(EventCode::IcqError));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

}  // namespace
}  // namespace quelt::icq
