// MSN conversations end to end: the notification fixture grants switchboards on the switchboard
// fixture, where simulated contacts (or a second messenger) join, type, talk and leave.
#include <gtest/gtest.h>

#include <regex>

#include "msn/MsnAccount.h"
#include "core/HistoryStore.h"
#include "msn/MsnConversationEvents.h"
#include "platform/Clock.h"

namespace quelt::msn {
namespace {

// The name in the first MsnSendFailed the user interface got; empty when none came.
std::u16string FailedConversation(const test::RecordingListener& ui) {
  for (const auto& received : ui.Events()) {
    if (const auto* failed = core::PayloadOf<MsnSendFailedEvent>(*received.event)) return failed->conversation;
  }
  return {};
}

TEST(MsnConversationTest, TheWholeRoadFromXfrToAcknowledgementThenTheSameSwitchboardThenANewOneThenOut) {
  MsnSwitchboardServer switchboards;
  Account alice(switchboards, kAlice, {kBob});
  ASSERT_TRUE(alice.SignedIn());
  const auto chat = alice.Open(kBob);
  ASSERT_TRUE(chat);
  EXPECT_FALSE(alice.Send(*chat, u"too early"));  // Bob is offline
  ASSERT_TRUE(alice.Online(kBob));

  ASSERT_TRUE(alice.Send(*chat, u"Hello, Bob \u263A"));
  EXPECT_FALSE(chat->SendText());  // the first is not acknowledged yet
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextDelivered));
  auto log = switchboards.Snapshot();
  const int connection = log.ConnectionOf(kAlice);
  auto lines = log.LinesOf(connection);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(lines[0].starts_with("USR 1 alice@example.com "));
  EXPECT_EQ(lines[1], "CAL 2 bob@example.com");
  const std::string payload = "Content-Type: text/plain; charset=UTF-8\r\nMIME-Version: 1.0\r\n\r\nHello, Bob \u263A";
  EXPECT_EQ(lines[2], "MSG 3 A " + std::to_string(payload.size()));
  EXPECT_EQ(log.lines.back().payload, payload);
  EXPECT_EQ(alice.History(*chat), (std::vector<std::pair<int, std::u16string>>{{0, u"Hello, Bob \u263A"}}));
  EXPECT_FALSE(alice.Contact(kBob).sending);
  EXPECT_EQ(alice.Contact(kBob).unsentText, u"");

  // Bob is on that switchboard now: no new call.
  ASSERT_TRUE(alice.Send(*chat, u"again"));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextDelivered, 2));
  EXPECT_TRUE(switchboards.Snapshot().LinesOf(connection).back().starts_with("MSG 4 A "));
  EXPECT_EQ(alice.History(*chat).size(), 2u);

  // The server closes it; the next message asks for another.
  ASSERT_TRUE(switchboards.Drop(connection));
  ASSERT_TRUE(Eventually([&] { return chat->SwitchboardIds().empty(); }));
  ASSERT_TRUE(alice.Send(*chat, u"third"));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextDelivered, 3));
  EXPECT_EQ(alice.server.Snapshot().Count("XFR"), 2);
  EXPECT_EQ(alice.peer.ui->Count(EventCode::MsnSendFailed), 0u);

  // Closing the chat leaves its switchboard, so Bob's next words cannot land in a chat nobody reads.
  const int last = switchboards.Snapshot().ConnectionOf(kAlice);
  chat->Close();
  EXPECT_TRUE(switchboards.WaitFor(
      [&](const auto& now) { return now.LinesOf(last).back() == "OUT" && !now.connections[size_t(last) - 1].open; }));
  EXPECT_FALSE(switchboards.Say(last, kBob, MsnSwitchboardServer::TextPayload("still there?")));
  ExpectNoViolations(switchboards, {&alice});
}

TEST(MsnConversationTest, AReadySwitchboardInThePoolIsCalledOnAtOnce) {
  MsnSwitchboardServer switchboards;
  Account alice(switchboards, kAlice, {kBob});
  ASSERT_TRUE(alice.SignedIn());
  ASSERT_TRUE(alice.Online(kBob));
  auto& manager = alice.Session().Manager();
  EXPECT_EQ(manager.RequestSwitchboard(), 0);  // nothing ready: asked for with XFR
  ASSERT_TRUE(Eventually([&] { return !manager.PooledSwitchboards().empty(); }));

  const auto chat = alice.Open(kBob);
  ASSERT_TRUE(alice.Send(*chat, u"quick"));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextDelivered));
  EXPECT_EQ(alice.server.Snapshot().Count("XFR"), 1);
  const auto log = switchboards.Snapshot();
  EXPECT_EQ(log.LinesOf(log.ConnectionOf(kAlice)).at(1), "CAL 2 bob@example.com");
  EXPECT_TRUE(manager.PooledSwitchboards().empty());
  ExpectNoViolations(switchboards, {&alice});
}

TEST(MsnConversationTest, AnUnacknowledgedMessageIsReportedOnceItsTimeIsUpAndCanBeSentAgain) {
  struct Case {
    const char* what;
    MsnSwitchboardServer::Script switchboard;
    bool grant;
    int xfrAfterRetry;
  };
  const Case cases[] = {
      {"the contact never joins", {.simulatedJoin = false}, true, 1},
      {"the switchboard refuses it", {.ack = MsnSwitchboardServer::AckMode::Nak}, true, 1},
      {"no switchboard is granted", {}, false, 2},  // the retry asks again instead of waiting for ever
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MsnSwitchboardServer switchboards(c.switchboard);
    Account alice(switchboards, kAlice, {kBob}, [](MsnTimings& timings) { timings.sendTimeoutMs = 300; }, c.grant);
    ASSERT_TRUE(alice.SignedIn());
    ASSERT_TRUE(alice.Online(kBob));
    const auto chat = alice.Open(kBob);
    ASSERT_TRUE(alice.Send(*chat, u"lost"));
    ASSERT_TRUE(alice.peer.ui->WaitFor(EventCode::MsnSendFailed));
    EXPECT_EQ(FailedConversation(*alice.peer.ui), u"bob@example.com");
    EXPECT_FALSE(alice.Contact(kBob).sending);
    EXPECT_EQ(alice.Contact(kBob).unsentText, u"lost");  // kept for another try
    EXPECT_TRUE(alice.History(*chat).empty());
    EXPECT_TRUE(chat->SendText());
    EXPECT_TRUE(alice.server.WaitFor([&](const auto& log) { return log.Count("XFR") == c.xfrAfterRetry; }));
    EXPECT_EQ(alice.peer.core->Count(EventCode::MsnTextDelivered), 0u);
    // Closing the chat mid-send leaves the contact free for the next one.
    chat->Close();
    EXPECT_FALSE(alice.Contact(kBob).sending);
    const auto next = alice.Open(kBob);
    EXPECT_NE(next, chat);
    EXPECT_TRUE(next->SendText());
    ExpectNoViolations(switchboards, {&alice});
  }
}

TEST(MsnConversationTest, AMessageOnItsWayWhenTheChatGrowsIsTheConversationsToFinish) {
  MsnSwitchboardServer switchboards({.simulatedJoin = false});
  Account alice(switchboards, kAlice, {kBob}, [](MsnTimings& timings) { timings.sendTimeoutMs = 300; });
  ASSERT_TRUE(alice.SignedIn());
  ASSERT_TRUE(alice.Online(kBob));
  const auto chat = alice.Open(kBob);
  ASSERT_TRUE(alice.Send(*chat, u"waiting for Bob"));
  ASSERT_TRUE(switchboards.WaitFor([](const auto& log) { return log.Count("CAL") == 1; }));
  ASSERT_TRUE(switchboards.Join(switchboards.Snapshot().ConnectionOf(kAlice), kCarol, "Carol"));
  ASSERT_TRUE(Eventually([&] { return chat->IsMultiParty(); }));
  EXPECT_TRUE(chat->Sending());
  EXPECT_EQ(chat->UnsentText(), u"waiting for Bob");
  EXPECT_FALSE(alice.Contact(kBob).sending);

  // The check of the attempt finds the conversation under its new name.
  ASSERT_TRUE(alice.peer.ui->WaitFor(EventCode::MsnSendFailed));
  EXPECT_EQ(FailedConversation(*alice.peer.ui), chat->Name());
  EXPECT_FALSE(chat->Sending());
  ExpectNoViolations(switchboards, {&alice});
}

TEST(MsnConversationTest, TypingGoesOutSpacedAndOnlyWithTextAndAContactsNoticeLapses) {
  MsnSwitchboardServer switchboards;
  Account alice(switchboards, kAlice, {kBob}, [](MsnTimings& timings) { timings.typingExpiryMs = 300; });
  ASSERT_TRUE(alice.SignedIn());
  ASSERT_TRUE(alice.Online(kBob));
  const auto chat = alice.Open(kBob);
  ASSERT_TRUE(alice.Send(*chat, u"first"));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextDelivered));

  chat->NotifyTyping(false);  // an empty input tells nobody anything
  chat->NotifyTyping(true);
  chat->NotifyTyping(true);  // too soon after the last
  ASSERT_TRUE(alice.Send(*chat, u"second"));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextDelivered, 2));
  const int connection = switchboards.Snapshot().ConnectionOf(kAlice);
  const auto lines = switchboards.Snapshot().LinesOf(connection);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_TRUE(lines[3].starts_with("MSG 4 U "));
  EXPECT_TRUE(lines[4].starts_with("MSG 5 A "));

  // Bob's notice shows until it lapses, or until his text arrives.
  ASSERT_TRUE(switchboards.Say(connection, kBob, MsnSwitchboardServer::TypingPayload(kBob)));
  EXPECT_TRUE(Eventually([&] { return alice.Contact(kBob).typing; }));
  EXPECT_TRUE(Eventually([&] { return !alice.Contact(kBob).typing; }));
  ASSERT_TRUE(switchboards.Say(connection, kBob, MsnSwitchboardServer::TypingPayload(kBob)));
  ASSERT_TRUE(Eventually([&] { return alice.Contact(kBob).typing; }));
  ASSERT_TRUE(switchboards.Say(connection, kBob, MsnSwitchboardServer::TextPayload("Hi, Alice")));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextReceived));
  EXPECT_FALSE(alice.Contact(kBob).typing);
  EXPECT_TRUE(alice.Contact(kBob).unread);
  EXPECT_EQ(alice.History(*chat).front(), (std::pair<int, std::u16string>{1, u"Hi, Alice"}));
  EXPECT_EQ(alice.peer.notifier->sounds, 1);
  EXPECT_EQ(alice.peer.notifier->vibrations, 1);

  // Plain text without the blank line that ends the headers is not a message.
  ASSERT_TRUE(
      switchboards.Say(connection, kBob, "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\nheadless"));
  ASSERT_TRUE(switchboards.Say(connection, kBob, MsnSwitchboardServer::TextPayload("after")));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextReceived, 2));
  EXPECT_EQ(alice.History(*chat).size(), 4u);
  EXPECT_EQ(alice.History(*chat).front().second, u"after");
  ExpectNoViolations(switchboards, {&alice});
}

TEST(MsnConversationTest, AThirdPersonMakesAMultiPartyConversationThatEndsWhenTheLastOneLeaves) {
  constexpr uint32_t kTypingExpiryMs = 600;
  MsnSwitchboardServer switchboards;
  Account alice(switchboards, kAlice, {kBob}, [](MsnTimings& timings) { timings.typingExpiryMs = kTypingExpiryMs; });
  ASSERT_TRUE(alice.SignedIn());
  ASSERT_TRUE(alice.Online(kBob));
  const auto chat = alice.Open(kBob);
  ASSERT_TRUE(alice.Send(*chat, u"just us"));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextDelivered));
  const int connection = switchboards.Snapshot().ConnectionOf(kAlice);
  ASSERT_TRUE(switchboards.Say(connection, kBob, MsnSwitchboardServer::TypingPayload(kBob)));
  ASSERT_TRUE(Eventually([&] { return alice.Contact(kBob).typing; }));
  const auto oneToOne = chat->History();

  ASSERT_TRUE(switchboards.Join(connection, kCarol, "Carol"));
  ASSERT_TRUE(Eventually([&] { return chat->IsMultiParty(); }));
  EXPECT_TRUE(std::regex_match(platform::Utf16ToUtf8(chat->Name()),
                               std::regex("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}")));
  EXPECT_FALSE(alice.Contact(kBob).typing);
  ASSERT_EQ(chat->Participants().size(), 2u);
  EXPECT_EQ(chat->Participants()[1].email, u"carol@example.com");
  // Carol, a stranger, becomes a contact and is put on the lists.
  EXPECT_EQ(alice.Contact(kCarol).email, u"carol@example.com");
  ASSERT_TRUE(alice.server.WaitFor([](const auto& log) { return log.Count("ADC") == 2; }));
  const auto adc = alice.server.Snapshot().lines;
  EXPECT_NE(std::find_if(adc.begin(), adc.end(),
                         [](const auto& line) {
                           return line.text.ends_with(" FL N=carol@example.com F=carol@example.com");
                         }),
            adc.end());
  ASSERT_TRUE(chat->History()->HasParticipantsFile());

  ASSERT_TRUE(switchboards.Say(connection, kCarol, MsnSwitchboardServer::TextPayload("Hello, all")));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextReceived));
  EXPECT_EQ(alice.History(*chat), (std::vector<std::pair<int, std::u16string>>{{2, u"Hello, all"}}));
  EXPECT_EQ(alice.peer.application->History().ReadPage(*oneToOne, 0)->size(), 1u);  // Bob's own history keeps the one-to-one part
  EXPECT_TRUE(chat->Unread());

  // Carol goes offline and Bob alone is left: the chat stays a multi-party one with marks of its
  // own, while a new one-to-one chat with Bob keeps its marks on Bob. Bob types in both, here
  // first, so this notice lapses first and must leave the one-to-one chat's mark alone.
  ASSERT_TRUE(alice.server.Send("FLN carol@example.com"));
  ASSERT_TRUE(Eventually([&] { return chat->Participants().size() == 1; }));
  EXPECT_TRUE(chat->IsMultiParty());
  chat->MarkRead();
  EXPECT_FALSE(chat->Unread());
  const auto direct = alice.Open(kBob);
  ASSERT_NE(direct, chat);
  ASSERT_TRUE(alice.Send(*direct, u"only you"));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextDelivered, 2));
  const int second = switchboards.Snapshot().ConnectionOf(kAlice);
  ASSERT_TRUE(switchboards.Say(connection, kBob, MsnSwitchboardServer::TypingPayload(kBob)));
  ASSERT_TRUE(Eventually([&] { return chat->Participants()[0].typingTime != 0; }));
  EXPECT_FALSE(alice.Contact(kBob).typing);
  platform::SleepMs(kTypingExpiryMs / 2);
  ASSERT_TRUE(switchboards.Say(second, kBob, MsnSwitchboardServer::TypingPayload(kBob)));
  ASSERT_TRUE(Eventually([&] { return alice.Contact(kBob).typing; }));
  ASSERT_TRUE(Eventually([&] { return chat->Participants()[0].typingTime == 0; }));
  EXPECT_TRUE(alice.Contact(kBob).typing);

  ASSERT_TRUE(switchboards.Leave(connection, kBob));
  // Carol went offline above, so Bob's leaving may end the chat and the client leave the room
  // before her BYE: either way the conversation ends.
  (void)switchboards.Leave(connection, kCarol);
  EXPECT_TRUE(Eventually([&] {
    const auto open = alice.Session().Conversations().List();
    return std::find(open.begin(), open.end(), chat) == open.end();
  }));
  EXPECT_TRUE(switchboards.WaitFor([&](const auto& log) { return !log.connections[size_t(connection) - 1].open; }));
  ExpectNoViolations(switchboards, {&alice});
}

TEST(MsnConversationTest, InvitationsOpenConversationsWithContactsOnlyAndGoingOfflineEndsOrResetsThem) {
  MsnSwitchboardServer switchboards;
  Account alice(switchboards, kAlice, {kBob});
  ASSERT_TRUE(alice.SignedIn());
  ASSERT_TRUE(alice.Online(kBob));
  auto& conversations = alice.Session().Conversations();

  ASSERT_TRUE(alice.server.Send(switchboards.Invite(kAlice, {{"stranger@example.com", "Stranger"}})));
  ASSERT_TRUE(switchboards.WaitFor([](const auto& log) { return log.Count("ANS") == 1; }));
  ASSERT_TRUE(alice.server.Send(switchboards.Invite(kAlice, {{kBob, "Bob"}})));
  ASSERT_TRUE(Eventually([&] { return conversations.List().size() == 1; }));
  const auto chat = conversations.List().front();
  EXPECT_FALSE(chat->IsMultiParty());
  EXPECT_EQ(chat->Name(), u"bob@example.com");
  EXPECT_EQ(alice.Open(kBob), chat);
  EXPECT_EQ(alice.Contact("stranger@example.com").email, u"");

  // The answer goes over the switchboard Bob invited Alice to.
  ASSERT_TRUE(alice.Send(*chat, u"thanks"));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextDelivered));
  EXPECT_EQ(alice.server.Snapshot().Count("XFR"), 0);

  ASSERT_TRUE(alice.server.Send(switchboards.Invite(kAlice, {{kBob, "Bob"}, {kCarol, "Carol"}})));
  ASSERT_TRUE(Eventually([&] { return conversations.List().size() == 2; }));
  EXPECT_TRUE(conversations.List().back()->IsMultiParty());
  EXPECT_EQ(conversations.List().back()->Participants().size(), 2u);
  EXPECT_EQ(alice.Contact(kCarol).email, u"carol@example.com");

  alice.peer.SetStatus(-1);
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnDisconnected));
  ASSERT_TRUE(Eventually([&] { return conversations.List().size() == 1; }));
  EXPECT_EQ(conversations.List().front(), chat);
  EXPECT_TRUE(chat->SwitchboardIds().empty());
  EXPECT_TRUE(chat->Participants().front().joined.empty());
  ExpectNoViolations(switchboards, {&alice});
}

TEST(MsnConversationTest, InvitationsWaitingForASwitchboardAreCalledUnlessTheyLapsed) {
  for (const uint32_t expiryMs : {15000u, 0u}) {
    SCOPED_TRACE(expiryMs);
    MsnSwitchboardServer switchboards;
    Account alice(switchboards, kAlice, {kBob},
                  [expiryMs](MsnTimings& timings) { timings.invitationExpiryMs = expiryMs; });
    ASSERT_TRUE(alice.SignedIn());
    ASSERT_TRUE(alice.Online(kBob));
    const auto chat = alice.Open(kBob);
    chat->Invite(u"carol@example.com");
    ASSERT_TRUE(switchboards.WaitFor([](const auto& log) { return log.Count("USR") == 1; }));
    if (expiryMs > 0) {
      // Carol is called, and so is Bob, whose chat this was.
      ASSERT_TRUE(switchboards.WaitFor([](const auto& log) { return log.Count("CAL") == 2; }));
      const auto log = switchboards.Snapshot();
      EXPECT_EQ(log.LinesOf(log.ConnectionOf(kAlice)),
                (std::vector<std::string>{log.LinesOf(log.ConnectionOf(kAlice))[0], "CAL 2 carol@example.com",
                                          "CAL 3 bob@example.com"}));
      EXPECT_TRUE(Eventually([&] { return chat->IsMultiParty(); }));
    } else {
      ASSERT_TRUE(Eventually([&] { return !chat->SwitchboardIds().empty(); }));
      ASSERT_TRUE(alice.Send(*chat, u"only Bob"));
      ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextDelivered));
      EXPECT_EQ(switchboards.Snapshot().Count("CAL"), 1);
      EXPECT_FALSE(chat->IsMultiParty());
    }
    ExpectNoViolations(switchboards, {&alice});
  }
}

TEST(MsnConversationTest, TwoMessengersTalkBothWaysAndBothKeepEveryMessage) {
  MsnSwitchboardServer switchboards;
  Account alice(switchboards, kAlice, {kBob});
  Account bob(switchboards, kBob, {kAlice});
  switchboards.SetRinger(kAlice, [&](const std::string& line) { alice.server.Send(line); });
  switchboards.SetRinger(kBob, [&](const std::string& line) { bob.server.Send(line); });
  ASSERT_TRUE(alice.SignedIn());
  ASSERT_TRUE(bob.SignedIn());
  ASSERT_TRUE(alice.Online(kBob));
  ASSERT_TRUE(bob.Online(kAlice));

  const auto aliceChat = alice.Open(kBob);
  ASSERT_TRUE(alice.Send(*aliceChat, u"Hi, Bob"));
  ASSERT_TRUE(bob.peer.core->WaitFor(EventCode::MsnTextReceived));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextDelivered));
  ASSERT_EQ(bob.Session().Conversations().List().size(), 1u);
  const auto bobChat = bob.Open(kAlice);
  EXPECT_EQ(bobChat, bob.Session().Conversations().List().front());

  ASSERT_TRUE(bob.Send(*bobChat, u"Hi, Alice \u00e9"));
  ASSERT_TRUE(alice.peer.core->WaitFor(EventCode::MsnTextReceived));
  ASSERT_TRUE(bob.peer.core->WaitFor(EventCode::MsnTextDelivered));
  using Page = std::vector<std::pair<int, std::u16string>>;
  EXPECT_EQ(alice.History(*aliceChat), (Page{{1, u"Hi, Alice \u00e9"}, {0, u"Hi, Bob"}}));
  EXPECT_EQ(bob.History(*bobChat), (Page{{0, u"Hi, Alice \u00e9"}, {1, u"Hi, Bob"}}));
  EXPECT_EQ(alice.server.Snapshot().Count("XFR"), 1);
  EXPECT_EQ(bob.server.Snapshot().Count("XFR"), 0);
  ExpectNoViolations(switchboards, {&alice, &bob});
}

}  // namespace
}  // namespace quelt::msn
