// The contact list window driven by its keys over fake accounts, painted as the loop would.
#include <gtest/gtest.h>

#include "support/RecordingListener.h"
#include "support/ui/ContactListScene.h"
#include "ui/toolkit/MenuWindow.h"
#include "ui/toolkit/MessageBox.h"
#include "ui/toolkit/SoftKeyBar.h"
#include "ui/toolkit/WindowStack.h"
#include "ui/windows/ContactListWindow.h"

namespace quelt::ui {
namespace {

using core::EventCode;
using platform::Key;
using test::ContactListScene;

constexpr char kAccounts[] = "ICQ_ENABLED=TRUE\r\nUIN=100000\r\nMSN_ENABLED=TRUE\r\nMSN_EMAIL=me@example.com\r\n";

class ContactListWindowTest : public ::testing::Test {
 protected:
  explicit ContactListWindowTest(const std::string& config = kAccounts) : scene_({.config = config}) {
    test::AddDemoContacts(scene_.Icq(), scene_.Msn());
  }

  // Moves down until the contact is selected.
  void Select(std::u16string_view id) {
    for (size_t i = 0; i < 40 && scene_.Window().SelectionKey() != id; ++i) scene_.Press(i < 20 ? Key::Down : Key::Up);
    ASSERT_EQ(scene_.Window().SelectionKey(), id);
  }
  template <class T>
  std::shared_ptr<T> Top() {
    return std::dynamic_pointer_cast<T>(scene_.Windows().Top());
  }
  ContactEntry& Contact(test::FakeAccount& account, std::u16string_view id) {
    return *std::find_if(account.contacts.begin(), account.contacts.end(), [id](const auto& c) { return c.id == id; });
  }

  ContactListScene scene_;
};

TEST_F(ContactListWindowTest, SelectionFollowsItsContactThroughAResortAndGoesWithIt) {
  Select(u"100002");  // Boris
  const auto before = scene_.Window().Rows();
  Contact(scene_.Icq(), u"100002").unread = true;  // active now: to the top of the contacts
  const auto& after = scene_.Window().Rows();
  EXPECT_EQ(scene_.Window().SelectionKey(), u"100002");
  EXPECT_LT(
      std::find_if(after.begin(), after.end(), [](const auto& row) { return row.key == u"100002"; }) - after.begin(),
      std::find_if(before.begin(), before.end(), [](const auto& row) { return row.key == u"100002"; }) -
          before.begin());
  Contact(scene_.Icq(), u"100002") = {.id = u"100002", .displayName = u"Boris", .presence = -1};  // signed off
  EXPECT_EQ(scene_.Window().SelectionKey(), u"");
  // Nothing selected: Down picks the first visible row.
  scene_.Press(Key::Down);
  EXPECT_EQ(scene_.Window().SelectionKey(), u"chat-1");
}

TEST_F(ContactListWindowTest, ClicksSelectARowOpenTheSelectedOneAndPressTheSoftKeys) {
  ContactListWindow& window = scene_.Window();
  ASSERT_EQ(window.SelectionKey(), u"");
  // The first pixel that selects anything is the top of the list's first row.
  int listTop = 0;
  while (listTop < 320 && window.SelectionKey().empty()) scene_.Windows().OnClick(20, listTop++);
  const auto rows = window.Rows();
  ASSERT_EQ(window.SelectionKey(), rows.front().key);
  const auto boris = std::find_if(rows.begin(), rows.end(), [](const auto& row) { return row.key == u"100002"; });
  ASSERT_NE(boris, rows.end());
  const int y = listTop - 1 + boris->top - rows.front().top + boris->height / 2;
  scene_.Windows().OnClick(20, y);
  EXPECT_EQ(window.SelectionKey(), u"100002");
  EXPECT_TRUE(scene_.Opener().opened.empty());
  scene_.Windows().OnClick(20, y);
  EXPECT_EQ(scene_.Opener().opened, (std::vector<std::string>{"chat 100002"}));

  const auto bar = SoftKeyBar::Area(240, 320);
  scene_.Windows().OnClick(bar.x + bar.width - 5, bar.y + bar.height / 2);
  EXPECT_NE(Top<MenuWindow>(), nullptr);
}

class QuickSearchTest : public ContactListWindowTest {
 protected:
  QuickSearchTest() : ContactListWindowTest(std::string(kAccounts) + "QSEARCH_SOURCE=Russian.QS.xml\r\n") {}
};

TEST_F(QuickSearchTest, TypedKeysFindNamesAndEnterOpensTheChosenOne) {
  ContactListWindow& window = scene_.Window();
  scene_.Press(Key::LeftSoft);  // the left soft key starts quick search
  ASSERT_TRUE(window.QuickSearchActive());
  EXPECT_EQ(window.SelectionKey(), u"1");
  scene_.Press({Key::Digit3, Key::Digit4, Key::Digit3});  // "Еле" on the Russian keypad
  std::vector<std::u16string> keys;
  for (const auto& row : window.Rows()) keys.push_back(row.key);
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"1", u"chat-1", u"100005"}));
  EXPECT_EQ(window.Rows().back().highlight, (resources::TextMatch{0, 3}));

  scene_.Press(Key::Action);  // on the header: nothing
  EXPECT_TRUE(window.QuickSearchActive());
  scene_.Press({Key::Down, Key::Down});
  EXPECT_EQ(window.SelectionKey(), u"100005");
  scene_.Press(Key::Backspace);  // one key less, and the header again
  EXPECT_EQ(window.SelectionKey(), u"1");
  scene_.Press({Key::Digit3, Key::Down, Key::Down, Key::Right});  // joystick right opens the chat
  EXPECT_FALSE(window.QuickSearchActive());
  EXPECT_EQ(scene_.Opener().opened, (std::vector<std::string>{"chat 100005"}));
  EXPECT_EQ(window.SelectionKey(), u"100005");

  // Back with no keys typed leaves quick search, and then Back is no longer the list's.
  scene_.Press({Key::LeftSoft, Key::Back});
  EXPECT_FALSE(window.QuickSearchActive());
  EXPECT_EQ(window.SelectionKey(), u"");
  EXPECT_FALSE(scene_.Press(Key::Back));
}

TEST_F(ContactListWindowTest, DigitsAndTheLeftSoftKeyRunTheirActions) {
  auto settings = scene_.App().GetSettings();
  settings->Update([](core::SettingsValues& values) {
    values.keys = {core::KeyAction::None,       core::KeyAction::ShowOffline, core::KeyAction::Sound,
                   core::KeyAction::Vibro,      core::KeyAction::Scrolling,   core::KeyAction::Chat,
                   core::KeyAction::Info,       core::KeyAction::Find,        core::KeyAction::Settings,
                   core::KeyAction::QuickSearch};
    values.leftSoftKey = core::KeyAction::Find;
    values.jrightChat = false;
  });
  ContactListWindow& window = scene_.Window();
  const auto visible = window.Rows().size();
  scene_.Press(Key::Digit1);
  EXPECT_GT(window.Rows().size(), visible);  // offline contacts shown
  scene_.Press({Key::Digit2, Key::Digit3, Key::Digit4});
  // Saved: a fresh reading of the file has every change.
  core::Settings reread(scene_.App().Environment());
  reread.EnsureLoaded();
  const auto saved = reread.Values();
  EXPECT_TRUE(saved.showOffline);
  EXPECT_FALSE(saved.sound);
  EXPECT_FALSE(saved.vibro);
  EXPECT_TRUE(saved.scrolling);

  Select(u"100002");
  scene_.Press({Key::Digit5, Key::Digit6, Key::Digit7, Key::Digit8, Key::LeftSoft, Key::Digit0});
  EXPECT_EQ(scene_.Opener().opened,
            (std::vector<std::string>{"chat 100002", "info 100002", "search icq", "dialog 2", "search icq"}));
  // Cyclic scrolling is on now; joystick right pages down, as JRIGHT_CHAT is off.
  scene_.Press(Key::Right);
  EXPECT_NE(window.SelectionKey(), u"100002");
  scene_.Press(Key::Digit9);
  EXPECT_TRUE(window.QuickSearchActive());
  scene_.Press(Key::Digit9);  // typed, not an action, while searching
  EXPECT_TRUE(window.QuickSearchActive());
}

TEST_F(ContactListWindowTest, QuitAsksFirstAndCancelLeavesEverythingRunning) {
  auto core = std::make_shared<test::RecordingListener>();
  scene_.App().AddListener(core);
  scene_.Press(Key::Digit0);  // the default QUIT key
  auto box = Top<MessageBox>();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->Text(), u"Quit?");
  scene_.Press(Key::RightSoft);  // Cancel
  EXPECT_EQ(scene_.Windows().Top().get(), &scene_.Window());
  scene_.App().PostEvent(core::MakeEvent(EventCode::OtherMarker));
  EXPECT_TRUE(core->WaitFor(EventCode::OtherMarker));

  scene_.Press({Key::Digit0, Key::LeftSoft});  // OK: the sessions and the hub stop
  scene_.App().PostEvent(core::MakeEvent(EventCode::SetIcqStatus, core::StatusPayload{}));
  EXPECT_FALSE(core->WaitFor(EventCode::SetIcqStatus, std::chrono::milliseconds(100)));
}

TEST_F(ContactListWindowTest, MenuCommandsReachTheAccounts) {
  auto core = std::make_shared<test::RecordingListener>();
  scene_.App().AddListener(core);
  Select(u"leo@example.com");
  scene_.Press({Key::RightSoft, Key::Digit1});  // menu, user
  auto user = Top<MenuWindow>();
  ASSERT_TRUE(user);
  ASSERT_EQ(user->Items()[3].label, u"Block");
  scene_.Press(Key::Digit4);
  EXPECT_FALSE(Top<MenuWindow>());  // every level closed
  EXPECT_EQ(scene_.Msn().calls, (std::vector<std::string>{"block leo@example.com"}));

  Select(u"100001");  // Alice, in Friends: moves to Work, the only other group
  scene_.Press({Key::RightSoft, Key::Digit1, Key::Digit4, Key::Digit1});
  scene_.Press({Key::RightSoft, Key::Digit1, Key::Digit3});  // show status: off
  EXPECT_EQ(scene_.Icq().calls, (std::vector<std::string>{"move_to_group_2 100001", "hide_status 100001"}));

  scene_.Press({Key::RightSoft, Key::Up, Key::Right, Key::Digit2});  // ICQ status, away
  ASSERT_TRUE(core->WaitFor(EventCode::SetIcqStatus));
  EXPECT_EQ(core::PayloadOf<core::StatusPayload>(*core->Events().back().event)->status, 1);
  // Left closes one level, the right soft key all of them.
  scene_.Press({Key::RightSoft, Key::Digit1, Key::Left});
  EXPECT_TRUE(Top<MenuWindow>());
  scene_.Press(Key::RightSoft);
  EXPECT_FALSE(Top<MenuWindow>());
}

TEST_F(ContactListWindowTest, StatusPaneFollowsEventsUnderAModalBox) {
  scene_.Press(Key::Digit0);  // the QUIT box stays open throughout
  const auto before = scene_.Screen();
  auto& app = scene_.App();
  const auto& status = scene_.Window().Status();
  using core::MakeEvent;
  struct Step {
    core::AppEventPtr event;
    std::u16string icq, msn;
  };
  const Step steps[] = {
      {MakeEvent(EventCode::IcqProgressText, app.Text("logging_on")), app.Text("logging_on"), u"Offline"},
      {MakeEvent(EventCode::IcqOwnStatus, uint32_t{0x10011}), u"Occupied", u"Offline"},
      {MakeEvent(EventCode::MsnOwnStatus, int32_t{6}), u"Occupied", u"On the phone"},
      {MakeEvent(EventCode::MsnDisconnected), u"Occupied", u"Offline"},
      {MakeEvent(EventCode::Marker), u"Occupied", u"Offline"},  // the same words again
      {MakeEvent(EventCode::NetworkLost), u"Offline", u"Offline"},
  };
  for (const Step& step : steps) {
    app.PostEvent(step.event);
    scene_.Deliver();
    EXPECT_EQ(status.Icq(), step.icq);
    EXPECT_EQ(status.Msn(), step.msn);
    if (step.icq == u"Occupied" && step.msn == u"On the phone") {
      // Painted beneath the box: the status pane has changed on the screen.
      const auto after = scene_.Screen();
      int changed = 0;
      for (int x = 0; x < 240; ++x) changed += before->PixelAt(x, 270) != after->PixelAt(x, 270) ? 1 : 0;
      EXPECT_GT(changed, 0);
    }
  }
  EXPECT_TRUE(Top<MessageBox>());
}

TEST_F(ContactListWindowTest, DisconnectionNoticeIsShownAndKeptInTheHeaderRow) {
  scene_.App().SetUserMessage(u"You were disconnected");
  scene_.App().PostEvent(core::MakeEvent(EventCode::ViewRefresh));
  scene_.Deliver();
  auto box = Top<MessageBox>();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->Text(), u"You were disconnected");
  scene_.Press(Key::Action);
  ASSERT_EQ(scene_.Window().Rows().front().key, u"1");
  scene_.Press({Key::Down, Key::Action});  // the header row shows it again
  ASSERT_TRUE(Top<MessageBox>());
  scene_.Press(Key::Back);
  scene_.App().PostEvent(core::MakeEvent(EventCode::IcqOwnStatus, uint32_t{0}));
  scene_.Deliver();
  EXPECT_NE(scene_.Window().Rows().front().key, u"1");
}

}  // namespace
}  // namespace quelt::ui
