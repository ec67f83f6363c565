// The server-side contact list, its edits and the authorization traffic, end to end.
#include "core/HistoryStore.h"
#include "platform/Clock.h"
#include "icq/IcqCache.h"
#include "icq/IcqSessionFixture.h"

namespace quelt::icq {
namespace {

namespace oscar = test::oscar;

class IcqListSessionTest : public IcqSessionFixture {
 protected:
  // A list of two groups with the privacy item, sent in two parts.
  static OscarServer::Script ListScript() {
    OscarServer::Script script;
    script.list = {oscar::GroupItem("Друзья", 1, {50, 51}), oscar::ContactItem("1001", 1, 50, "Ann"),
                   oscar::ContactItem("1002", 1, 51, "Bob", true), oscar::GroupItem("Work", 2, {}),
                   oscar::PrivacyItem(7, 4)};
    script.listParts = 2;
    script.listDate = 0x12345678;
    return script;
  }

  // Signs in and waits until the server has the status that ends the start-up.
  void SignInTo(OscarServer& server, size_t startups = 1) {
    SignIn(Host(server.LoginPort()));
    ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone, startups));
    ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x01, 0x1E) == 1; }));
  }

  // The edit frames the server received after `from`, as (subtype, items).
  static std::vector<std::pair<uint16_t, std::vector<oscar::Item>>> Edits(const OscarServer& server, size_t from) {
    std::vector<std::pair<uint16_t, std::vector<oscar::Item>>> edits;
    const auto frames = server.Frames();
    for (size_t i = from; i < frames.size(); ++i) {
      if (frames[i].channel == 2 && frames[i].family == 0x13 && frames[i].subtype >= 0x08 && frames[i].subtype <= 0x12) {
        edits.emplace_back(frames[i].subtype, OscarServer::ItemsOf(frames[i]));
      }
    }
    return edits;
  }
};

TEST_F(IcqListSessionTest, ListInPartsIsAppliedOnceCachedAndAskedForWithItsDateNextTime) {
  OscarServer server(ListScript());
  SignInTo(server);
  const auto state = Session().ListState();
  EXPECT_EQ(state.modificationDate, 0x12345678u);
  EXPECT_EQ(state.itemCount, 5u);
  EXPECT_EQ(state.privacyItemId, 7u);
  const auto groups = Session().ContactList().List().Groups();
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].name, u"Друзья");
  const auto bob = Session().ContactList().List().Find("1002");
  ASSERT_TRUE(bob.has_value());
  EXPECT_TRUE(bob->awaitingAuthorization);
  EXPECT_EQ(bob->nickname, u"Bob");
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();

  // A second start reads the cache and asks whether the list changed since that date.
  application_.reset();
  OscarServer again;
  SignInTo(again, 2);
  EXPECT_EQ(Session().ContactList().List().Find("1001")->nickname, u"Ann");
  const auto frames = again.Frames();
  const auto check = std::find_if(frames.begin(), frames.end(), [](const auto& f) { return f.Is(0x13, 0x05); });
  ASSERT_NE(check, frames.end());
  EXPECT_EQ(check->data, std::string("\x12\x34\x56\x78\x00\x05", 6));
}

TEST_F(IcqListSessionTest, EditsSendWholeTransactionsAndKeepBothGroupsRight) {
  OscarServer server(ListScript());
  SignInTo(server);
  auto& list = Session().ContactList();
  size_t mark = server.Frames().size();
  // Move Bob from group 1 to group 2: delete, add with a new id, both groups updated.
  ASSERT_TRUE(list.MoveToGroup("1002", 2));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x13, 0x12) == 1; }));
  auto edits = Edits(server, mark);
  ASSERT_EQ(edits.size(), 5u);
  EXPECT_EQ(edits[0].first, 0x11);
  EXPECT_EQ(edits[1].first, 0x0A);
  EXPECT_EQ(edits[1].second.at(0).itemId, 51);
  EXPECT_EQ(edits[2].first, 0x08);
  EXPECT_EQ(edits[2].second.at(0).groupId, 2);
  EXPECT_EQ(edits[2].second.at(0).itemId, 52);
  EXPECT_TRUE(edits[2].second.at(0).Value(0x0066).has_value());  // still awaiting authorization
  EXPECT_EQ(edits[3].first, 0x09);
  ASSERT_EQ(edits[3].second.size(), 2u);
  EXPECT_EQ(edits[3].second[0].Value(0x00C8), std::string("\x00\x32", 2));  // Друзья keeps Ann
  EXPECT_EQ(edits[3].second[1].Value(0x00C8), std::string("\x00\x34", 2));  // Work gets Bob
  EXPECT_EQ(edits[4].first, 0x12);

  // Rename a group whose name is not ASCII: its length is the UTF-8 byte count.
  mark = server.Frames().size();
  ASSERT_TRUE(list.RenameGroup(1, u"Семья"));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x13, 0x12) == 2; }));
  edits = Edits(server, mark);
  ASSERT_EQ(edits.size(), 3u);
  EXPECT_EQ(edits[1].second.at(0).name, "Семья");
  // Delete Ann: the contact item goes and its group's member list follows.
  mark = server.Frames().size();
  ASSERT_TRUE(list.Delete("1001"));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x13, 0x12) == 3; }));
  edits = Edits(server, mark);
  ASSERT_EQ(edits.size(), 4u);
  EXPECT_EQ(edits[1].second.at(0).name, "1001");
  EXPECT_EQ(edits[2].second.at(0).Value(0x00C8), std::string());
  EXPECT_EQ(list.List().Find("1001")->groupId, 0);
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST_F(IcqListSessionTest, AuthorizationTrafficBothWays) {
  OscarServer server(ListScript());
  SignInTo(server);
  auto& list = Session().ContactList();
  ASSERT_TRUE(list.RequestAuthorization("1002"));
  ASSERT_TRUE(list.Authorize("777"));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x13, 0x1A) == 1; }));
  const auto frames = server.Frames();
  const auto find = [&](uint16_t subtype) {
    return std::find_if(frames.begin(), frames.end(), [&](const auto& f) { return f.Is(0x13, subtype); })->data;
  };
  EXPECT_EQ(find(0x18), std::string("\x04" "1002\x00\x00\x00\x00", 9));
  EXPECT_EQ(find(0x1A), std::string("\x03" "777\x01\x00\x00", 7));

  // Someone asks: the contact appears, the request lands in its history and is announced.
  ASSERT_TRUE(server.SendAuthorizationRequest("777", "hi, it's me"));
  ASSERT_TRUE(ui_->WaitFor(EventCode::IcqMessageReceived));
  EXPECT_TRUE(list.List().Find("777").has_value());
  const auto history = application_->History().ReadPage(*Session().ConversationWith("777"), 0);
  ASSERT_TRUE(history.has_value());
  ASSERT_EQ(history->size(), 1u);
  EXPECT_EQ(history->at(0).text, u"Authorization request: hi, it's me");
  EXPECT_EQ(history->at(0).sender, 1);
  // Bob grants the request; someone adds the user. A second request behind them shows when the
  // hub has handled both.
  ASSERT_TRUE(server.SendAuthorizationReply("1002", 1));
  ASSERT_TRUE(server.SendAddedNotice("888"));
  ASSERT_TRUE(server.SendAuthorizationRequest("999", ""));
  ASSERT_TRUE(ui_->WaitFor(EventCode::IcqMessageReceived, 2));
  EXPECT_FALSE(list.List().Find("1002")->awaitingAuthorization);
  EXPECT_TRUE(list.List().Find("888").has_value());
}

TEST_F(IcqListSessionTest, PrivacyFollowsInvisibilityOnTheRightSideOfTheStatus) {
  OscarServer server(ListScript());
  SignInTo(server);
  const auto order = [&] {
    std::string seen;  // 'P' privacy update, 'S' set status
    for (const auto& frame : server.Frames()) {
      if (frame.Is(0x01, 0x1E)) seen += 'S';
      if (frame.Is(0x13, 0x09) && !OscarServer::ItemsOf(frame).empty() && OscarServer::ItemsOf(frame)[0].type == 4) {
        seen += OscarServer::ItemsOf(frame)[0].Value(0x00CA) == std::string("\x03") ? 'p' : 'P';
      }
    }
    return seen;
  };
  EXPECT_EQ(order(), "S");  // the list's value 4 already suits a visible status
  application_->PostEvent(core::MakeEvent(EventCode::SetIcqStatus, core::StatusPayload{.status = 0x0100}));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x01, 0x1E) == 2; }));
  application_->PostEvent(core::MakeEvent(EventCode::SetIcqStatus, core::StatusPayload{.status = 0x0001}));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x13, 0x09) == 2; }));
  EXPECT_EQ(order(), "SpSSP");  // going invisible: privacy first; leaving it: privacy after
}

TEST_F(IcqListSessionTest, RefreshAsksWithTheStoredVersionAndDraftMarksLapse) {
  OscarServer server(ListScript());
  SignInTo(server);
  auto& list = Session().ContactList();
  ASSERT_TRUE(list.Refresh());
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x13, 0x05) == 2; }));
  EXPECT_EQ(server.Frames().back().data, std::string("\x12\x34\x56\x78\x00\x05", 6));

  const auto keepAlives = [](const OscarServer::Log& log) {
    return std::count_if(log.frames.begin(), log.frames.end(), [](const auto& f) { return f.channel == 5; });
  };
  const auto before = keepAlives(server.Snapshot());
  ASSERT_TRUE(list.List().SetDraft("1001", u"half a thought", platform::Ticks()));
  EXPECT_TRUE(list.List().Find("1001")->draftMarked);
  // Each keep-alive round first lets old marks lapse; two rounds later this one is old enough.
  ASSERT_TRUE(server.WaitFor([&](const auto& log) { return keepAlives(log) >= before + 2; }));
  EXPECT_FALSE(list.List().Find("1001")->draftMarked);
  EXPECT_EQ(list.List().Find("1001")->draft, u"half a thought");  // only the mark lapses
}

}  // namespace
}  // namespace quelt::icq
