// Whole screens of the chat window compared with reference pictures, pixel for pixel: headers,
// smileys, the entry area and a selected link, at both screen sizes.
#include <gtest/gtest.h>

#include "support/ui/ContactListScene.h"
#include "support/ui/FakeChat.h"
#include "ui/chat/ChatWindow.h"

namespace quelt::ui {
namespace {

using platform::Key;

TEST(ChatGoldenTest, EntryModeAndASelectedLinkAtBothSizes) {
  const struct {
    ScreenSize screen;
    const char* settings;
    bool listMode;
    std::string name;
  } cases[] = {{{240, 320}, "", false, "chat-240x320"},
               {{176, 220}, "", false, "chat-176x220"},
               {{240, 320}, "SHOW_DT=FALSE\r\n", true, "chat-link-names-240x320"},
               {{176, 220}, "SHOW_NAMES=FALSE\r\n", true, "chat-link-times-176x220"}};
  for (const auto& c : cases) {
    test::ContactListScene scene(
        {.screen = c.screen, .config = std::string("ICQ_ENABLED=TRUE\r\nUIN=100000\r\n") + c.settings});
    std::filesystem::create_directories(scene.Folder() / "history");
    auto chat =
        std::make_shared<test::FakeChat>(Protocol::Icq, scene.Folder() / "history",
                                         std::vector<ParticipantEntry>{{.id = u"200", .displayName = u"Alice"}});
    chat->smileys = resources::SmileySet::Create(scene.Folder() / "Smilies", u"");
    test::AddDemoTalk(*chat);
    const auto window = ChatWindow::Open(scene.App(), scene.Loop(), c.screen, nullptr, chat);
    if (c.listMode) scene.Press({Key::Up, Key::Up, Key::Up});
    EXPECT_TRUE(test::MatchesReference(*scene.Screen(), c.name, QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
  }
}

}  // namespace
}  // namespace quelt::ui
