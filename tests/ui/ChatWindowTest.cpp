// The chat window driven by keys and typed text over a fake conversation with a real history.
#include <gtest/gtest.h>

#include <thread>

#include "resources/SmileyTable.h"
#include "support/ui/ContactListScene.h"
#include "support/ui/FakeChat.h"
#include "ui/chat/ChatWindow.h"
#include "ui/chat/LinkCommand.h"
#include "ui/chat/SmileyPicker.h"
#include "ui/toolkit/MenuWindow.h"
#include "ui/toolkit/MessageBox.h"

namespace quelt::ui {
namespace {

using platform::Key;
using namespace std::chrono_literals;

class ChatWindowTest : public ::testing::Test {
 protected:
  explicit ChatWindowTest(Protocol service = Protocol::Icq)
      : scene_({.config = "ICQ_ENABLED=TRUE\r\nUIN=100000\r\nMSN_ENABLED=TRUE\r\nMSN_EMAIL=me@example.com\r\n"}),
        chat_(std::make_shared<test::FakeChat>(service, scene_.Folder() / "history",
                                               std::vector<ParticipantEntry>{{.id = u"200", .displayName = u"Bob"}})) {
    std::filesystem::create_directories(scene_.Folder() / "history");
  }

  void Open() {
    window_ = ChatWindow::Open(scene_.App(), scene_.Loop(), {240, 320}, nullptr, chat_,
                               {.setClipboard =
                                    [this](std::u16string_view text) {
                                      clipboard_ = text;
                                      return true;
                                    },
                                .clipboard = [this] { return std::optional<std::u16string>(clipboard_); },
                                .launch =
                                    [this](const std::vector<std::string>& argv) {
                                      launched_.push_back(argv);
                                      return true;
                                    },
                                .browserCommand = [] { return std::string(kDefaultBrowserCommand); },
                                .download = [this](const std::u16string& link) { downloaded_.push_back(link); },
                                .typingPauseMs = 0});
  }
  void Type(std::u16string_view text) { scene_.Windows().OnText(text); }
  void Event(core::EventCode code) { window_->OnEvent(core::MakeEvent(code)); }
  [[nodiscard]] bool OnTop() { return scene_.Windows().Top() == window_; }
  template <class T>
  std::shared_ptr<T> Top() {
    return std::dynamic_pointer_cast<T>(scene_.Windows().Top());
  }

  test::ContactListScene scene_;
  std::shared_ptr<test::FakeChat> chat_;
  std::shared_ptr<ChatWindow> window_;
  std::u16string clipboard_;
  std::vector<std::vector<std::string>> launched_;
  std::vector<std::u16string> downloaded_;
};

TEST_F(ChatWindowTest, TypingIsToldOnceEachWaySendingClearsTheEntryAndLeavingKeepsTheDraft) {
  chat_->unsent = u"kept";
  Open();
  ASSERT_TRUE(OnTop());
  EXPECT_EQ(window_->Entry().Text(), u"kept");
  EXPECT_TRUE(chat_->typingCalls.empty());  // restoring the draft is not typing
  EXPECT_EQ(chat_->reads, 1);

  scene_.Press({Key::LeftSoft, Key::Up, Key::Action});  // the menu's last item: close
  EXPECT_TRUE(chat_->closed);
  EXPECT_EQ(chat_->unsent, u"kept");
  EXPECT_FALSE(OnTop());
  chat_->unsent.clear();
  Open();
  EXPECT_EQ(window_->RightSoftKeyLabel(), u"Back");
  Type(u"h");
  scene_.Press(Key::Backspace);
  EXPECT_EQ(chat_->typingCalls, (std::vector<bool>{true, false}));
  Type(u"hi");
  EXPECT_EQ(window_->RightSoftKeyLabel(), u"Send");
  scene_.Press(Key::RightSoft);
  EXPECT_EQ(chat_->sent, (std::vector<std::u16string>{u"hi"}));
  EXPECT_EQ(chat_->typingCalls, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(window_->Entry().Text(), u"");
  EXPECT_EQ(chat_->unsent, u"");
  ASSERT_EQ(window_->Messages().Count(), 1u);
  EXPECT_EQ(window_->Messages().Message(0).text, u"hi");

  // A pause in the typing counts as stopping it.
  Type(u"draft");
  scene_.Loop().RunDueTimers();
  EXPECT_EQ(chat_->typingCalls.back(), false);
  EXPECT_EQ(chat_->typingCalls.size(), 6u);
  scene_.Press(Key::Back);  // deletes
  EXPECT_EQ(window_->Entry().Text(), u"draf");
  for (int i = 0; i < 4; ++i) scene_.Press(Key::Back);
  scene_.Press(Key::Back);  // with nothing left to delete it leaves
  EXPECT_EQ(chat_->unsent, u"");
  EXPECT_FALSE(OnTop());
}

TEST_F(ChatWindowTest, AHeldMessageDisablesTheEntryUntilItArrivesOrComesBack) {
  chat_->holdSends = true;
  Open();
  Type(u"one");
  scene_.Press(Key::RightSoft);
  EXPECT_FALSE(window_->Entry().Enabled());
  EXPECT_EQ(window_->RightSoftKeyLabel(), u"Back");
  chat_->FinishSend(false);
  Event(core::EventCode::MsnSendFailed);
  EXPECT_TRUE(window_->Entry().Enabled());
  EXPECT_EQ(window_->Entry().Text(), u"one");  // for another try
  ASSERT_NE(Top<MessageBox>(), nullptr);
  EXPECT_EQ(Top<MessageBox>()->Text(), u"Can't send message");
  scene_.Press(Key::Action);

  scene_.Press(Key::RightSoft);
  chat_->FinishSend(true);
  Event(core::EventCode::MsnTextDelivered);
  EXPECT_TRUE(window_->Entry().Enabled());
  EXPECT_EQ(window_->Entry().Text(), u"");
  EXPECT_EQ(window_->Messages().Count(), 1u);

  chat_->result = ChatModel::SendResult::CantSend;
  Type(u"Ω");
  scene_.Press(Key::RightSoft);
  const auto box = Top<MessageBox>();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->Caption(), u"Error");
  EXPECT_EQ(box->Text(), u"Can't send message");
}

TEST_F(ChatWindowTest, UpFromTheEntryWalksTheMessagesAndItsLinksOpenWithoutAShell) {
  chat_->Store(u"200", u"old");
  chat_->Store(u"200", u"see www.a.org and http://b.org/\"$(x)");
  Open();
  Type(u"x");
  scene_.Press(Key::Up);  // the caret is on the entry's first line
  ASSERT_TRUE(window_->ListMode());
  EXPECT_EQ(window_->Messages().SelectedLink(), u"http://b.org/\"$(x)");
  scene_.Press(Key::Action);
  ASSERT_EQ(launched_.size(), 1u);
  EXPECT_EQ(launched_[0], (std::vector<std::string>{"xdg-open", "http://b.org/\"$(x)"}));
  scene_.Press({Key::LeftSoft, Key::Down, Key::Down, Key::Action});  // the list's menu: download
  EXPECT_EQ(downloaded_, (std::vector<std::u16string>{u"http://b.org/\"$(x)"}));

  scene_.Press({Key::Up, Key::Up});
  EXPECT_EQ(window_->Messages().SelectedLink(), std::nullopt);
  scene_.Press(Key::LeftSoft);  // the list's menu: copy the message
  ASSERT_NE(Top<MenuWindow>(), nullptr);
  EXPECT_FALSE(Top<MenuWindow>()->Items()[2].enabled);  // open_link: no link selected
  scene_.Press(Key::Action);
  EXPECT_EQ(clipboard_, u"old");

  scene_.Press(Key::RightSoft);  // back to the entry
  EXPECT_FALSE(window_->ListMode());
  EXPECT_EQ(window_->Entry().Text(), u"x");
  // A message that arrives shows at once and counts as read.
  chat_->Store(u"200", u"new");
  const int reads = chat_->reads;
  Event(core::EventCode::IcqMessageReceived);
  EXPECT_EQ(window_->Messages().Message(window_->Messages().Count() - 1).text, u"new");
  EXPECT_EQ(chat_->reads, reads + 1);
}

TEST_F(ChatWindowTest, TheSmileyPickerTypesTheChosenSmileyAtTheCaret) {
  chat_->smileys = resources::SmileySet::Create(scene_.Folder() / "Smilies", u"");
  Open();
  Type(u"ab");
  scene_.Press(Key::Left);
  scene_.Press({Key::LeftSoft, Key::Action});  // the menu's first item
  const auto picker = Top<SmileyPicker>();
  ASSERT_NE(picker, nullptr);
  ASSERT_TRUE(picker->Grid());
  scene_.Press({Key::Right, Key::Down});
  EXPECT_EQ(picker->Selected(), static_cast<size_t>(1 + picker->Columns()));
  scene_.Screen();  // painted once, as the loop would
  scene_.Press(Key::Action);
  EXPECT_TRUE(OnTop());
  const auto& chosen = chat_->smileys->Table().Smileys()[1 + static_cast<size_t>(picker->Columns())].text;
  EXPECT_EQ(window_->Entry().Text(), u"a" + chosen + u"b");
}

TEST_F(ChatWindowTest, ChangedSettingsLayTheMessagesOutAgain) {
  chat_->Store(u"200", u"hello");
  Open();
  (void)scene_.Screen();
  EXPECT_TRUE(window_->Messages().Style().showTime);
  scene_.App().GetSettings()->Update([](core::SettingsValues& values) { values.showDateTime = false; });
  Event(core::EventCode::SettingsChanged);
  (void)scene_.Screen();
  EXPECT_FALSE(window_->Messages().Style().showTime);
  EXPECT_EQ(window_->Messages().Count(), 1u);
}

TEST_F(ChatWindowTest, ASetWithoutPicturesIsATitledListOfItsTexts) {
  const std::string document =
      "<smilies><desc>T</desc><smile><text>:)</text></smile><smile desc='Wink'><text>;)</text></smile></smilies>";
  const auto table = resources::SmileyTable::Parse(
      std::span(reinterpret_cast<const uint8_t*>(document.data()), document.size()), "/set", false);
  ASSERT_TRUE(table);
  std::u16string chosen;
  const auto picker = SmileyPicker::Open(scene_.Windows(), {240, 320}, *table, {}, {.title = u"Choose"},
                                         [&chosen](const std::u16string& text) { chosen = text; });
  EXPECT_FALSE(picker->Grid());
  (void)scene_.Screen();
  scene_.Press({Key::Down, Key::Action});
  EXPECT_EQ(chosen, u";)");
  EXPECT_NE(scene_.Windows().Top(), picker);
}

TEST_F(ChatWindowTest, SmileysInViewAnimateAndNothingTicksOnceTheChatIsGone) {
  chat_->smileys = resources::SmileySet::Create(scene_.Folder() / "Smilies", u"");
  chat_->Store(u"200", u"O:)");
  Open();
  (void)scene_.Screen();
  auto& dispatcher = scene_.App().Dispatcher();
  for (int i = 0; i < 200 && dispatcher.PendingCount() == 0; ++i) std::this_thread::sleep_for(10ms);
  ASSERT_GT(dispatcher.PendingCount(), 0u);  // a repaint asked for by the next frame
  dispatcher.Drain();
  EXPECT_TRUE(scene_.Windows().NeedsPaint());

  scene_.Press({Key::LeftSoft, Key::Up, Key::Action});  // close
  dispatcher.Drain();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(dispatcher.PendingCount(), 0u);
}

}  // namespace
}  // namespace quelt::ui
