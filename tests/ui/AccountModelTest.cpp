// The windows' view of both accounts, against the fixture servers: contacts with their marks,
// multi-party conversations, and chats that clear what they show.
#include <gtest/gtest.h>

#include "icq/IcqSessionFixture.h"
#include "msn/MsnAccount.h"
#include "support/ui/FakeAccounts.h"
#include "ui/model/AccountModels.h"
#include "ui/shell/HeadlessUiLoop.h"
#include "ui/toolkit/WindowStack.h"
#include "ui/windows/ContactListWindow.h"

namespace quelt::ui {
namespace {

using test::OscarServer;

std::optional<ContactEntry> Find(const AccountModel& account, std::u16string_view id) {
  for (const ContactEntry& contact : account.Contacts()) {
    if (contact.id == id) return contact;
  }
  return std::nullopt;
}

// The contact list over the application's real accounts, driven by keys on the test's thread.
class ListOnScreen {
 public:
  explicit ListOnScreen(core::Application& application)
      : window_(std::make_shared<ContactListWindow>(application, loop_, ScreenSize{},
                                                    std::make_shared<ApplicationAccounts>(application),
                                                    std::make_shared<test::RecordingOpener>())) {
    loop_.Windows().Push(window_);
  }
  ~ListOnScreen() {
    while (const auto top = loop_.Windows().Top()) loop_.Windows().Remove(top.get());
  }
  bool Select(std::u16string_view id) {
    for (int i = 0; i < 20 && window_->SelectionKey() != id; ++i) loop_.Windows().OnKey(platform::Key::Down);
    return window_->SelectionKey() == id;
  }
  void Press(std::initializer_list<platform::Key> keys) {
    for (const auto key : keys) loop_.Windows().OnKey(key);
  }

 private:
  core::UiDispatcher dispatcher_;  // the loop is never run: keys go straight to the windows
  HeadlessUiLoop loop_{dispatcher_, ScreenSize{}};
  std::shared_ptr<ContactListWindow> window_;
};

using platform::Key;

class IcqAccountModelTest : public icq::IcqSessionFixture {};

TEST_F(IcqAccountModelTest, MovingAContactFromTheMenuEditsTheServerList) {
  OscarServer server(OscarServer::Script{.list = {{"Friends", 1, 0, 1}, {"Work", 2, 0, 1}, {"2222", 1, 60, 0}}});
  SignIn(icq::Host(server.LoginPort()), "SHOW_OFFLINE=TRUE\r\n");
  ASSERT_TRUE(core_->WaitFor(core::EventCode::IcqStartupDone));
  ListOnScreen list(*application_);
  ASSERT_TRUE(list.Select(u"2222"));
  list.Press({Key::RightSoft, Key::Digit1, Key::Digit4, Key::Digit1});  // menu, user, move to group, Work
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x13, 0x12) == 1; }));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST_F(IcqAccountModelTest, ContactsShowTheirMarksAndTheChatAndMenusClearThem) {
  OscarServer server(OscarServer::Script{.list = {{"Friends", 1, 0, 1}, {"2222", 1, 60, 0}}});
  SignIn(icq::Host(server.LoginPort()));
  ASSERT_TRUE(core_->WaitFor(core::EventCode::IcqStartupDone));
  const auto models = AccountModels(*application_);
  ASSERT_EQ(models.size(), 1u);
  AccountModel& icq = *models.front();
  EXPECT_TRUE(icq.SignedIn());
  EXPECT_EQ(icq.Groups(), (std::vector<GroupEntry>{{1, u"Friends"}}));

  ASSERT_TRUE(server.SendAuthorizationRequest("777", "let me in"));
  ASSERT_TRUE(server.SendChannel2("123456789", "2222", "hello"));
  ASSERT_TRUE(ui_->WaitFor(core::EventCode::IcqMessageReceived, 2));
  EXPECT_TRUE(Find(icq, u"777")->asksAuthorization);
  const auto bee = Find(icq, u"2222");
  ASSERT_TRUE(bee);
  EXPECT_TRUE(bee->unread && bee->onServerList);
  EXPECT_EQ(bee->groupId, 1);

  const auto chat = icq.OpenChat(u"2222");
  ASSERT_TRUE(chat);
  EXPECT_EQ(icq.OpenChat(u"2222"), chat);  // opened once
  EXPECT_TRUE(Find(icq, u"2222")->openChat);
  chat->MarkRead();
  EXPECT_FALSE(Find(icq, u"2222")->unread);
  chat->SetUnsentText(u"half a thought");
  EXPECT_EQ(chat->UnsentText(), u"half a thought");
  EXPECT_EQ(chat->Send(u"hi"), ChatModel::SendResult::Sent);
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x04, 0x06) == 1; }));
  chat->Close();
  EXPECT_FALSE(Find(icq, u"2222")->openChat);
  EXPECT_FALSE(icq.OpenChat(u"424242"));  // nobody on the list

  EXPECT_TRUE(icq.Authorize(u"777"));
  EXPECT_FALSE(Find(icq, u"777")->asksAuthorization);
  EXPECT_TRUE(icq.SetShowStatus(u"2222", false));
  EXPECT_FALSE(Find(icq, u"2222")->options.showStatus);
  const ContactOptions options{.showStatus = true, .codePage = 1251, .preferUnicode = true};
  EXPECT_TRUE(icq.SetOptions(u"2222", options));
  EXPECT_EQ(Find(icq, u"2222")->options, options);
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x13, 0x1A) == 1; }));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST(MsnAccountModelTest, ContactsConversationsAndChatsFollowTheSession) {
  using msn::Account;
  msn::MsnSwitchboardServer switchboards;
  Account alice(switchboards, msn::kAlice, {msn::kBob});
  ASSERT_TRUE(alice.SignedIn());
  ASSERT_TRUE(alice.Online(msn::kBob));
  const auto models = AccountModels(*alice.peer.application);
  ASSERT_EQ(models.size(), 1u);
  AccountModel& msn = *models.front();
  const auto bob = Find(msn, u"bob@example.com");
  ASSERT_TRUE(bob);
  EXPECT_EQ(bob->presence, 1);
  EXPECT_TRUE(bob->onServerList);

  const auto chat = msn.OpenChat(u"bob@example.com");
  ASSERT_TRUE(chat);
  EXPECT_EQ(chat->Send(u"hello"), ChatModel::SendResult::Sent);
  ASSERT_TRUE(alice.peer.core->WaitFor(core::EventCode::MsnTextDelivered));
  const int connection = switchboards.Snapshot().ConnectionOf(msn::kAlice);
  ASSERT_TRUE(switchboards.Say(connection, msn::kBob, msn::MsnSwitchboardServer::TextPayload("hi")));
  ASSERT_TRUE(alice.peer.core->WaitFor(core::EventCode::MsnTextReceived));
  ASSERT_TRUE(msn::Eventually([&] { return Find(msn, u"bob@example.com")->unread; }));
  EXPECT_TRUE(Find(msn, u"bob@example.com")->openChat);
  chat->MarkRead();
  EXPECT_FALSE(Find(msn, u"bob@example.com")->unread);

  // Carol joins: the chat becomes a conversation row of its own, found by its new name.
  ASSERT_TRUE(switchboards.Join(connection, msn::kCarol, "Carol"));
  ASSERT_TRUE(msn::Eventually([&] { return msn.Conversations().size() == 1; }));
  const ConversationEntry row = msn.Conversations().front();
  EXPECT_EQ(row.id, chat->Id());
  EXPECT_TRUE(row.openChat);
  EXPECT_EQ(row.participants.size(), 2u);
  EXPECT_EQ(msn.OpenChat(row.id), chat);
  EXPECT_FALSE(Find(msn, u"bob@example.com")->openChat);
  chat->Close();
  EXPECT_TRUE(msn::Eventually([&] { return msn.Conversations().empty(); }));
  msn::ExpectNoViolations(switchboards, {&alice});
}

TEST(MsnAccountModelTest, BlockingAContactFromTheMenuPutsItOnTheBlockList) {
  msn::MsnSwitchboardServer switchboards;
  msn::Account alice(switchboards, msn::kAlice, {msn::kBob});
  ASSERT_TRUE(alice.SignedIn());
  ASSERT_TRUE(alice.Online(msn::kBob));
  ListOnScreen list(*alice.peer.application);
  ASSERT_TRUE(list.Select(u"bob@example.com"));
  list.Press({Key::RightSoft, Key::Digit1, Key::Digit4});  // menu, user, block
  ASSERT_TRUE(alice.server.WaitFor([](const auto& log) {
    const auto lines = log.LinesOf(1);
    return std::any_of(lines.begin(), lines.end(),
                       [](const std::string& line) { return line.find(" BL N=bob@example.com") != std::string::npos; });
  }));
  msn::ExpectNoViolations(switchboards, {&alice});
}

}  // namespace
}  // namespace quelt::ui
