// The windows' view of both accounts, against the fixture servers: contacts with their marks,
// multi-party conversations, and chats that clear what they show.
#include "ui/model/AccountModels.h"

#include <gtest/gtest.h>

#include "icq/IcqSessionFixture.h"
#include "msn/MsnAccount.h"

namespace quelt::ui {
namespace {

using test::OscarServer;

std::optional<ContactEntry> Find(const AccountModel& account, std::u16string_view id) {
  for (const ContactEntry& contact : account.Contacts()) {
    if (contact.id == id) return contact;
  }
  return std::nullopt;
}

class IcqAccountModelTest : public icq::IcqSessionFixture {};

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
  EXPECT_FALSE(Find(icq, u"2222")->showStatus);
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

}  // namespace
}  // namespace quelt::ui
