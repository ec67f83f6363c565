// The dialogs on a real ICQ session against the loopback OSCAR server, the loop on a thread of its
// own as in the program: an account typed into the account dialog signs in; the search window
// finds a user and "add" puts them into a group of the server list.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "core/Application.h"
#include "icq/IcqSessionFactory.h"
#include "net/ConnectionWatcher.h"
#include "resources/TextResources.h"
#include "support/OscarServer.h"
#include "support/TempFolder.h"
#include "support/TestUiThread.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/model/AccountModels.h"
#include "ui/shell/HeadlessUiLoop.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/InfoLine.h"
#include "ui/toolkit/WindowStack.h"
#include "ui/windows/SearchWindow.h"

namespace quelt::ui {
namespace {

using namespace std::chrono_literals;
using platform::InputEvent;
using platform::Key;
using test::OscarServer;

TEST(DialogsOnServerTest, AnAccountTypedInSignsInAndASearchAddsTheUserFound) {
  OscarServer server(OscarServer::Script{.list = {test::oscar::GroupItem("Friends", 1, {})},
                                         .profiles = {{.uin = "4444", .nickname = "Dora"}}});
  test::TempFolder folder;
  std::filesystem::create_directories(folder / "Language");
  std::filesystem::copy_file(std::filesystem::path(QUELT_DATA_DIR) / "Language" / "English.Lang.xml",
                             folder / "Language" / "English.Lang.xml");
  test::WriteFile(folder / "Messenger.config",
                  "ICQ_ENABLED=FALSE\r\nLOGINHOSTS=127.0.0.1:" + std::to_string(server.LoginPort()) + "\r\n");
  auto dispatcher = std::make_shared<core::UiDispatcher>();
  HeadlessUiLoop loop(*dispatcher, ScreenSize{});
  core::Application application(core::SettingsEnvironment{.programFolder = folder.Path()}, dispatcher,
                                core::ApplicationServices{.language = std::make_shared<resources::TextResources>(),
                                                          .sessions = std::make_shared<icq::IcqSessionFactory>(),
                                                          .connections = std::make_shared<net::ConnectionWatcher>()});
  application.Initialise();
  std::thread ui([&loop] { loop.Run(); });
  const auto onUi = [&dispatcher](auto work) { return test::OnThreadOf(*dispatcher, work); };
  const auto press = [&loop](std::initializer_list<Key> keys) {
    for (const Key key : keys) loop.PostInput({.kind = InputEvent::Kind::Key, .key = key});
  };
  const auto type = [&loop](std::u16string text) {
    loop.PostInput({.kind = InputEvent::Kind::Text, .text = std::move(text)});
  };

  onUi([&] { return (OpenAccountDialog(application, loop.Windows(), ScreenSize{}), true); });
  press({Key::Action, Key::Down});
  type(u"123456789");
  press({Key::Down});
  type(u"secret");
  press({Key::RightSoft});
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Online("123456789"); }, 20s));

  onUi([&] {
    for (const auto& account : ApplicationAccounts(application).Accounts())
      OpenSearch(application, loop.Windows(), ScreenSize{}, account);
    return true;
  });
  type(u"4444");
  press({Key::RightSoft});
  const auto found = [&] {
    const auto form = std::dynamic_pointer_cast<FormWindow>(loop.Windows().Top());
    const auto line = form ? std::dynamic_pointer_cast<InfoLine>(form->Controls().back()) : nullptr;
    return line && line->Value().starts_with(u"User found: 4444");
  };
  bool shown = false;
  for (int i = 0; i < 500 && !shown; ++i) {
    shown = onUi(found);
    if (!shown) std::this_thread::sleep_for(10ms);
  }
  ASSERT_TRUE(shown);
  press({Key::LeftSoft, Key::Digit1, Key::Digit1});  // add, the first group
  EXPECT_TRUE(server.WaitFor(
      [](const auto& log) {
        for (const auto& frame : log.frames) {
          for (const auto& item : OscarServer::ItemsOf(frame)) {
            if (frame.Is(0x13, 0x08) && item.name == "4444" && item.groupId == 1) return true;
          }
        }
        return false;
      },
      10s));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();

  onUi([&] {
    while (const auto top = loop.Windows().Top()) loop.Windows().Remove(top.get());
    return true;
  });
  loop.Quit(0);
  ui.join();
}

}  // namespace
}  // namespace quelt::ui
