// The MSN contact list against the scripted server: synchronisation and acceptance, the server's
// list changes, the user's edits, the address search, contact presence and the challenge.
#include <gtest/gtest.h>

#include "MsnSessionFixture.h"
#include "msn/MsnChallenge.h"

namespace quelt::msn {
namespace {

// Lines the client sent on a connection from the first one starting with `word` on.
std::vector<std::string> LinesFrom(const MsnServer::Log& log, int connection, std::string_view word) {
  std::vector<std::string> lines = LinesOf(log, connection);
  const auto first = std::find_if(lines.begin(), lines.end(), [&](const auto& line) { return line.starts_with(word); });
  return {first, lines.end()};
}

class MsnListTest : public MsnSessionFixture {
 protected:
  // Signs in and waits for the confirmed presence.
  void LogIn(MsnServer& server, int32_t status = 1) {
    passport_.SetAccount("alice@example.com", "secret", "t=ticket123&p=profile456");
    Start(server, passport_, "alice@example.com", "secret");
    SetStatus(status);
    ASSERT_TRUE(ui_->WaitFor(EventCode::MsnOwnStatus, ++logins_));
  }
  std::optional<MsnContact> Contact(const std::u16string& email) { return Session().Contacts().FindByEmail(email); }

  PassportServer passport_;
  size_t logins_ = 0;
};

TEST(MsnChallengeTest, AnswerIsTheDigestOfChallengeAndKey) {
  EXPECT_EQ(ChallengeAnswer("15570131571988941333"), "8f2f5a91b72102cd28355e9fc9000d6e");
  EXPECT_EQ(ChallengeAnswer("").value_or("").size(), 32u);
}

TEST_F(MsnListTest, AChangedListIsDownloadedAcceptedCachedAndNotAskedForAgain) {
  MsnServer::Script script;
  script.synReply = "12 13 3 2";
  script.listLines = {"LSG Friends 1", "LSG Work%20%C3%A9 2",
                      "LST N=bob@example.com F=Bob C=guid-bob 11 1",      // FL AL RL: nothing to do
                      "LST N=carol@example.com F=Carol 16",               // only pending
                      "LST N=dave@example.com F=Dave C=guid-dave 13 2"};  // FL BL RL: blocked stays
  MsnServer server(script);
  LogIn(server);
  const auto lines = LinesFrom(server.Snapshot(), 1, "SYN");
  EXPECT_EQ(lines, (std::vector<std::string>{"SYN 5 0 0", "ADC 6 AL N=carol@example.com", "REM 7 PL carol@example.com",
                                             "ADC 8 RL N=carol@example.com", "CHG 9 NLN 1"}));
  ASSERT_EQ(Session().Contacts().Contacts().size(), 3u);
  EXPECT_EQ(Contact(u"carol@example.com")->lists, kAllowList | kReverseList);
  EXPECT_EQ(Contact(u"bob@example.com")->guid, "guid-bob");
  EXPECT_EQ(Session().Contacts().Groups().at(1).name, u"Work \u00e9");
  EXPECT_EQ(Session().Contacts().Versions(), (std::pair<std::u16string, std::u16string>{u"12", u"13"}));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();

  // The next start reads the cache and asks with its versions; unchanged, nothing is downloaded.
  application_.reset();
  MsnServer::Script unchanged;
  unchanged.synReply = "12 13";
  MsnServer again(unchanged);
  LogIn(again);
  EXPECT_EQ(LinesFrom(again.Snapshot(), 1, "SYN"), (std::vector<std::string>{"SYN 5 12 13", "CHG 6 NLN 1"}));
  EXPECT_EQ(Session().Contacts().Contacts().size(), 3u);

  // A changed list later keeps the user's own name and unsent text for a contact that stays.
  Session().Contacts().Update(u"bob@example.com", [](MsnContact& bob) {
    bob.SetLocalName(u"Bobby");
    bob.SetUnsentText(u"half a thought", 1);
  });
  ASSERT_TRUE(Session().Contacts().SaveCache());
  application_.reset();
  MsnServer::Script changed;
  changed.synReply = "14 15 1 0";
  changed.listLines = {"LST N=bob@example.com F=Bob C=guid-bob 11"};
  MsnServer third(changed);
  LogIn(third);
  ASSERT_EQ(Session().Contacts().Contacts().size(), 1u);
  EXPECT_EQ(Contact(u"bob@example.com")->localName, u"Bobby");
  EXPECT_EQ(Contact(u"bob@example.com")->unsentText, u"half a thought");
}

TEST_F(MsnListTest, ASynchronisationWithoutContactsCompletesAtOnce) {
  MsnServer::Script script;
  script.synReply = "7 8 0 1";
  script.listLines = {"LSG Lonely 1"};
  MsnServer server(script);
  LogIn(server);
  EXPECT_EQ(LinesFrom(server.Snapshot(), 1, "SYN"), (std::vector<std::string>{"SYN 5 0 0", "CHG 6 NLN 1"}));
  EXPECT_TRUE(Session().Contacts().Contacts().empty());
  EXPECT_EQ(Session().Contacts().Versions().first, u"7");
}

TEST_F(MsnListTest, TheServersListChangesAndTheUsersEdits) {
  MsnServer server;
  LogIn(server);
  // Somebody adds the account: a new contact on the reverse list, allowed at once.
  ASSERT_TRUE(server.Send("ADC 0 RL N=erin@example.com F=Erin"));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("ADC") == 1; }));
  EXPECT_EQ(LinesFrom(server.Snapshot(), 1, "ADC").front(), "ADC 7 AL N=erin@example.com");
  ASSERT_TRUE(server.Send("ADC 7 AL N=erin@example.com"));
  ASSERT_TRUE(server.Send("ADC 0 FL N=erin@example.com F=Erin C=guid-erin"));
  ASSERT_TRUE(server.Send("NLN BSY erin@example.com Erin%20E. 0"));
  ASSERT_TRUE(Eventually([&] { return Contact(u"erin@example.com")->status == 2; }));
  EXPECT_EQ(Contact(u"erin@example.com")->friendlyName, u"Erin E.");
  EXPECT_EQ(Contact(u"erin@example.com")->lists, kForwardList | kAllowList | kReverseList);
  ASSERT_TRUE(server.Send("FLN erin@example.com"));
  ASSERT_TRUE(Eventually([&] { return Contact(u"erin@example.com")->status == -1; }));

  // The user's edits go out in their order and change nothing until the server echoes them.
  auto& lists = Session().Lists();
  EXPECT_TRUE(lists.Block(u"erin@example.com"));
  EXPECT_TRUE(lists.Unblock(u"erin@example.com"));
  EXPECT_TRUE(lists.DeleteContact(u"erin@example.com"));
  EXPECT_TRUE(lists.AddContact(u"frank@example.com"));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("ADC") == 5; }));  // with the earlier ADC 7
  EXPECT_EQ(
      LinesFrom(server.Snapshot(), 1, "REM"),
      (std::vector<std::string>{"REM 8 AL erin@example.com", "ADC 9 BL N=erin@example.com",
                                "REM 10 BL erin@example.com", "ADC 11 AL N=erin@example.com", "REM 12 FL guid-erin",
                                "ADC 13 FL N=frank@example.com F=frank@example.com", "ADC 14 AL N=frank@example.com"}));
  EXPECT_EQ(Contact(u"erin@example.com")->lists, kForwardList | kAllowList | kReverseList);

  // The echo of the delete: still on the reverse list, so kept without its GUID.
  ASSERT_TRUE(server.Send("REM 12 FL guid-erin"));
  ASSERT_TRUE(Eventually([&] { return !Contact(u"erin@example.com")->In(kForwardList); }));
  EXPECT_EQ(Contact(u"erin@example.com")->guid, "");
  // Off the reverse list too, but still allowed: the client takes it off the allow list as well.
  ASSERT_TRUE(server.Send("REM 0 RL erin@example.com"));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("REM") == 4; }));
  EXPECT_EQ(LinesOf(server.Snapshot(), 1).back(), "REM 15 AL erin@example.com");
  ASSERT_TRUE(server.Send("REM 15 AL erin@example.com"));
  ASSERT_TRUE(Eventually([&] { return !Contact(u"erin@example.com"); }));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST_F(MsnListTest, TheAddressSearchProbesTheBlockListBothWays) {
  MsnServer server;
  LogIn(server);
  auto& lists = Session().Lists();
  int found = 0;
  ASSERT_EQ(lists.Search(u"Gina@Example.com", found), MsnListService::SearchStart::Sent);
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("ADC") == 1; }));
  EXPECT_EQ(LinesOf(server.Snapshot(), 1).back(), "ADC " + std::to_string(found) + " BL N=gina@example.com");
  ASSERT_TRUE(server.Send("ADC " + std::to_string(found) + " BL N=gina@example.com"));
  ASSERT_TRUE(ui_->WaitFor(EventCode::MsnSearchFound));
  EXPECT_EQ(ui_->Last<MsnSearchEvent>()->address, u"gina@example.com");
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("REM") == 1; }));
  EXPECT_EQ(LinesFrom(server.Snapshot(), 1, "REM").front(),
            "REM " + std::to_string(found + 1) + " BL gina@example.com");

  int missing = 0;
  ASSERT_EQ(lists.Search(u"nobody@example.com", missing), MsnListService::SearchStart::Sent);
  ASSERT_TRUE(server.Send("205 " + std::to_string(missing)));
  ASSERT_TRUE(ui_->WaitFor(EventCode::MsnSearchNotFound));
  EXPECT_EQ(ui_->Last<MsnSearchEvent>()->transactionId, missing);

  int unused = 0;
  EXPECT_EQ(lists.Search(u"ALICE@example.com", unused), MsnListService::SearchStart::OwnAddress);
  // A typed address never splits a command line.
  EXPECT_EQ(lists.Search(u"x@example.com\r\nOUT", unused), MsnListService::SearchStart::NotSent);
  EXPECT_FALSE(lists.AddContact(u"a b@example.com"));
  EXPECT_EQ(lists.Search(u"gina@example.com", unused), MsnListService::SearchStart::AlreadyContact);
}

TEST_F(MsnListTest, TheChallengeIsAnsweredWithItsDigest) {
  MsnServer server;
  LogIn(server);
  ASSERT_TRUE(server.SendChallenge("15570131571988941333"));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("QRY") == 1; }));
  const auto log = server.Snapshot();
  const auto qry =
      *std::find_if(log.lines.begin(), log.lines.end(), [](const auto& line) { return line.Word() == "QRY"; });
  EXPECT_EQ(qry.text, "QRY 7 msmsgs@msnmsgr.com 32");
  EXPECT_EQ(qry.payload, "8f2f5a91b72102cd28355e9fc9000d6e");
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST_F(MsnListTest, AStatusChosenWhileConnectingGoesOutWithTheInitialPresence) {
  MsnServer::Script script;
  script.synReply.reset();  // the list never becomes current
  MsnServer server(script);
  passport_.SetAccount("alice@example.com", "secret", "t=ticket123&p=profile456");
  Start(server, passport_, "alice@example.com", "secret");
  SetStatus(1);
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("SYN") == 1; }));
  SetStatus(7);
  ASSERT_TRUE(server.Send("SYN 5 0 0"));
  ASSERT_TRUE(ui_->WaitFor(EventCode::MsnOwnStatus));
  EXPECT_EQ(server.Snapshot().Count("CHG"), 1);
  EXPECT_EQ(LinesFrom(server.Snapshot(), 1, "CHG").front(), "CHG 6 LUN 1");
}

}  // namespace
}  // namespace quelt::msn
