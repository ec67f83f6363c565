// Paints the contact list with a scripted set of contacts, headless, and writes the pictures the
// README shows: quelt_demo_screens [output folder].
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/ui/ContactListScene.h"
#include "support/ui/FakeChat.h"
#include "ui/chat/ChatWindow.h"

namespace {

using namespace quelt;
using platform::Key;

bool Write(test::ContactListScene& scene, const std::filesystem::path& file) {
  const auto screen = scene.Screen();
  if (!screen || !screen->SavePng(file)) {
    std::fprintf(stderr, "quelt_demo_screens: cannot write %s\n", file.c_str());
    return false;
  }
  std::printf("%s\n", file.c_str());
  return true;
}

std::string Config() { return "ICQ_ENABLED=TRUE\r\nUIN=100000\r\nMSN_ENABLED=TRUE\r\nMSN_EMAIL=me@example.com\r\n"; }

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder = argc > 1 ? argv[1] : "docs";
  std::filesystem::create_directories(folder);
  bool written = true;
  for (const ui::ScreenSize size : {ui::ScreenSize{240, 320}, ui::ScreenSize{176, 220}}) {
    const std::string suffix = std::to_string(size.width) + "x" + std::to_string(size.height);
    {
      test::ContactListScene scene({.screen = size, .config = Config()});
      test::AddDemoContacts(scene.Icq(), scene.Msn());
      scene.App().PostEvent(core::MakeEvent(core::EventCode::IcqOwnStatus, uint32_t{0}));
      scene.App().PostEvent(core::MakeEvent(core::EventCode::MsnOwnStatus, int32_t{1}));
      scene.Deliver();
      scene.Press({Key::Down, Key::Down, Key::Down});
      written = Write(scene, folder / ("contact-list-" + suffix + ".png")) && written;
      scene.Press(Key::RightSoft);
      scene.Press(Key::Action);
      written = Write(scene, folder / ("user-menu-" + suffix + ".png")) && written;
    }
    {
      test::ContactListScene scene({.screen = size, .config = Config() + "SHOW_OFFLINE=TRUE\r\n"});
      test::AddDemoContacts(scene.Icq(), scene.Msn());
      scene.Press({Key::LeftSoft, Key::Digit3, Key::Digit6});  // quick search, then "em" or "en"
      written = Write(scene, folder / ("quick-search-" + suffix + ".png")) && written;
    }
    {
      test::ContactListScene scene({.screen = size, .config = Config()});
      std::filesystem::create_directories(scene.Folder() / "history");
      auto chat = std::make_shared<test::FakeChat>(
          ui::Protocol::Icq, scene.Folder() / "history",
          std::vector<ui::ParticipantEntry>{{.id = u"200", .displayName = u"Alice Cooper"}});
      chat->smileys = resources::SmileySet::Create(scene.Folder() / "Smilies", u"");
      test::AddDemoTalk(*chat);
      auto window = ui::ChatWindow::Open(scene.App(), scene.Loop(), size, nullptr, chat);
      written = Write(scene, folder / ("chat-" + suffix + ".png")) && written;
      scene.Press({Key::Up, Key::Up, Key::Up});
      written = Write(scene, folder / ("chat-link-" + suffix + ".png")) && written;
      scene.Press({Key::RightSoft, Key::LeftSoft, Key::Action, Key::Right, Key::Right, Key::Down});
      written = Write(scene, folder / ("smileys-" + suffix + ".png")) && written;
    }
  }
  return written ? 0 : 1;
}
