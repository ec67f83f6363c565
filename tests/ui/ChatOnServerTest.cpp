// A chat window on a real ICQ session against the loopback OSCAR server, its loop on a thread of
// its own as in the program: typed text goes out, the contact's answer shows and both are kept.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "core/Application.h"
#include "icq/IcqSessionFactory.h"
#include "icq/IcqTimings.h"
#include "msn/MsnAccount.h"
#include "net/ConnectionWatcher.h"
#include "platform/TextCodec.h"
#include "resources/TextResources.h"
#include "support/OscarServer.h"
#include "support/TempFolder.h"
#include "support/TestUiThread.h"
#include "ui/chat/ChatWindow.h"
#include "ui/model/AccountModels.h"
#include "ui/shell/HeadlessUiLoop.h"
#include "ui/toolkit/MessageBox.h"

namespace quelt::ui {
namespace {

using namespace std::chrono_literals;
using platform::InputEvent;
using platform::Key;
using test::OscarServer;

using test::OnThreadOf;

class ChatOnServerTest : public ::testing::Test {
 protected:
  ChatOnServerTest() : server_(OscarServer::Script{.list = {{"Friends", 1, 0, 1}, {"2222", 1, 60, 0}}}) {
    std::filesystem::create_directories(folder_ / "Language");
    std::filesystem::copy_file(std::filesystem::path(QUELT_DATA_DIR) / "Language" / "English.Lang.xml",
                               folder_ / "Language" / "English.Lang.xml");
    test::WriteFile(folder_ / "Messenger.config",
                    "ICQ_ENABLED=TRUE\r\nUIN=123456789\r\nPASSWORD=secret\r\n"
                    "LOGINHOSTS=127.0.0.1:" +
                        std::to_string(server_.LoginPort()) + "\r\n");
    application_ = std::make_unique<core::Application>(
        core::SettingsEnvironment{.programFolder = folder_.Path()}, dispatcher_,
        core::ApplicationServices{
            .language = std::make_shared<resources::TextResources>(),
            .sessions = std::make_shared<icq::IcqSessionFactory>(icq::IcqTimings{.keepAliveMs = 150}),
            .connections = std::make_shared<net::ConnectionWatcher>(),
            .timings = {.autoConnectDelayMs = 50, .reconnectDelayMs = 100}});
    application_->Initialise();
    ui_ = std::thread([this] { loop_.Run(); });
    application_->PostEvent(core::MakeEvent(core::EventCode::SetIcqStatus, core::StatusPayload{.status = 0}));
  }
  // Runs `work` on the window's thread and gives back what it returns.
  template <class Work>
  auto OnUi(Work work) {
    return OnThreadOf(*dispatcher_, work);
  }
  template <class Check>
  bool Eventually(Check check) {
    for (int i = 0; i < 1000; ++i) {
      if (OnUi(check)) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  ~ChatOnServerTest() override {
    OnUi([this] {
      while (const auto top = loop_.Windows().Top()) loop_.Windows().Remove(top.get());
      window_.reset();
      return true;
    });
    loop_.Quit(0);
    ui_.join();
  }

  void Type(std::u16string text) { loop_.PostInput({.kind = InputEvent::Kind::Text, .text = std::move(text)}); }
  void Press(Key key) { loop_.PostInput({.kind = InputEvent::Kind::Key, .key = key}); }

  test::TempFolder folder_;
  OscarServer server_;
  std::shared_ptr<core::UiDispatcher> dispatcher_ = std::make_shared<core::UiDispatcher>();
  HeadlessUiLoop loop_{*dispatcher_, ScreenSize{}};
  std::unique_ptr<core::Application> application_;
  std::shared_ptr<ChatWindow> window_;
  std::thread ui_;
};

TEST_F(ChatOnServerTest, TypedTextGoesOutTheAnswerShowsAndBothAreKept) {
  // Once the list has the contact.
  ASSERT_TRUE(Eventually([this] {
    const auto accounts = AccountModels(*application_);
    const auto chat = accounts.empty() ? nullptr : accounts.front()->OpenChat(u"2222");
    if (chat && accounts.front()->SignedIn()) {
      window_ = ChatWindow::Open(*application_, loop_, ScreenSize{}, accounts.front(), chat);
    }
    return window_ != nullptr;
  }));
  Type(u"hello");
  Press(Key::RightSoft);
  EXPECT_TRUE(server_.WaitFor([](const auto& log) { return log.Count(0x04, 0x06) == 1; }, 10s));
  ASSERT_TRUE(server_.SendChannel2("123456789", "2222", "hi back"));
  ASSERT_TRUE(Eventually([this] { return window_->Messages().Count() == 2; }));
  EXPECT_TRUE(OnUi([this] {
    const auto& list = window_->Messages();
    return list.Message(0).text == u"hello" && list.Message(0).sender == 0 && list.Message(1).text == u"hi back" &&
           list.Message(1).sender == 1 && window_->Entry().Text().empty();
  }));
  const auto stored = core::ReadRecords(*OnUi([this] { return window_->Chat()->History(); }), 0, 10);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->total, 2u);

  // Text the contact's code page cannot carry, to a contact without Unicode, is refused.
  Type(u"Ω");
  Press(Key::RightSoft);
  EXPECT_TRUE(Eventually([this] {
    const auto box = std::dynamic_pointer_cast<MessageBox>(loop_.Windows().Top());
    return box && box->Caption() == u"Error" && box->Text() == u"Can't send message";
  }));
  EXPECT_EQ(server_.Snapshot().Count(0x04, 0x06), 1);
  EXPECT_TRUE(server_.Violations().empty()) << server_.Violations().front();
}

TEST(MsnChatOnServerTest, AMessageIsHeldUntilTheSwitchboardHasItAndTheAnswerShows) {
  msn::MsnSwitchboardServer switchboards;
  msn::Account alice(switchboards, msn::kAlice, {msn::kBob});
  msn::Account bob(switchboards, msn::kBob, {msn::kAlice});
  switchboards.SetRinger(msn::kAlice, [&](const std::string& line) { alice.server.Send(line); });
  switchboards.SetRinger(msn::kBob, [&](const std::string& line) { bob.server.Send(line); });
  ASSERT_TRUE(alice.SignedIn() && bob.SignedIn());
  ASSERT_TRUE(alice.Online(msn::kBob) && bob.Online(msn::kAlice));
  // The window lives on alice's user-interface thread, where her events arrive.
  core::UiDispatcher& ui = *alice.peer.dispatcher;
  core::UiDispatcher unused;
  HeadlessUiLoop loop(unused, ScreenSize{});
  std::shared_ptr<ChatWindow> window;
  ASSERT_TRUE(OnThreadOf(ui, [&] {
    const auto accounts = AccountModels(*alice.peer.application);
    const auto chat = accounts.empty() ? nullptr : accounts.front()->OpenChat(u"bob@example.com");
    if (chat) window = ChatWindow::Open(*alice.peer.application, loop, ScreenSize{}, accounts.front(), chat);
    return window != nullptr;
  }));
  EXPECT_TRUE(OnThreadOf(ui, [&] {
    loop.Windows().OnText(u"hi bob");
    loop.Windows().OnKey(Key::RightSoft);
    return !window->Entry().Enabled() && window->Entry().Text() == u"hi bob";
  }));
  const auto settled = [&](size_t count) {
    for (int i = 0; i < 1000; ++i) {
      if (OnThreadOf(ui, [&] {
            return window->Messages().Count() == count && window->Entry().Enabled() && window->Entry().Text().empty();
          })) {
        return true;
      }
      std::this_thread::sleep_for(10ms);
    }
    return false;
  };
  ASSERT_TRUE(settled(1));
  ASSERT_TRUE(bob.peer.core->WaitFor(core::EventCode::MsnTextReceived));
  const auto answer = bob.Open(msn::kAlice);
  ASSERT_TRUE(answer && bob.Send(*answer, u"hi alice"));
  ASSERT_TRUE(settled(2));
  EXPECT_TRUE(OnThreadOf(ui, [&] {
    const auto& list = window->Messages();
    return list.Message(0).text == u"hi bob" && list.Message(0).sender == 0 && list.Message(1).text == u"hi alice";
  }));
  OnThreadOf(ui, [&] {
    loop.Windows().Remove(window.get());
    window.reset();
    return true;
  });
  msn::ExpectNoViolations(switchboards, {&alice, &bob});
}

}  // namespace
}  // namespace quelt::ui
