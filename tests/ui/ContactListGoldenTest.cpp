// Whole screens of the contact list compared with reference pictures, pixel for pixel. After an
// intended change of the look, tools/update-golden.sh draws the references again.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/ui/ContactListScene.h"

namespace quelt::ui {
namespace {

using platform::Key;
using test::ContactListScene;

constexpr char kAccounts[] = "ICQ_ENABLED=TRUE\r\nUIN=100000\r\nMSN_ENABLED=TRUE\r\nMSN_EMAIL=me@example.com\r\n";

std::string Name(const std::string& what, ScreenSize screen) {
  return what + "-" + std::to_string(screen.width) + "x" + std::to_string(screen.height);
}

void SignedInWithDemoContacts(ContactListScene& scene) {
  test::AddDemoContacts(scene.Icq(), scene.Msn());
  scene.App().PostEvent(core::MakeEvent(core::EventCode::IcqOwnStatus, uint32_t{0}));
  scene.App().PostEvent(core::MakeEvent(core::EventCode::MsnOwnStatus, int32_t{2}));
  scene.Deliver();
}

TEST(ContactListGoldenTest, ShippedSkinsAtBothScreenSizes) {
  for (const char* skin : {"Default", "QVGA"}) {
    for (const ScreenSize screen : {ScreenSize{240, 320}, ScreenSize{176, 220}}) {
      ContactListScene scene(
          {.screen = screen, .config = std::string(kAccounts) + "SKIN_SOURCE=" + skin + ".Skin.xml\r\n"});
      SignedInWithDemoContacts(scene);
      scene.Press({Key::Down, Key::Down, Key::Down});
      EXPECT_TRUE(test::MatchesReference(*scene.Screen(), Name(skin, screen), QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
    }
  }
}

// A skin of its own: an opaque background image centred behind a see-through list, and no
// typing image (its slot keeps its place); quick search shows its highlight.
TEST(ContactListGoldenTest, BackgroundImageMissingIndicatorAndQuickSearch) {
  const auto prepare = [](const std::filesystem::path& program) {
    const auto shipped = std::filesystem::path(QUELT_DATA_DIR) / "Skin" / "QVGA";
    const auto own = program / "Skin" / "Test";
    std::filesystem::create_directories(own);
    for (const char* image : {"chat.png", "message.png", "auth.png", "main_bg.png", "chat_bg.png"}) {
      std::filesystem::copy_file(shipped / image, own / image);
    }
    std::stringstream text;
    text << std::ifstream(shipped / "QVGA.Skin.xml").rdbuf();
    std::string skin = text.str();
    const auto replace = [&skin](const std::string& from, const std::string& to) {
      const size_t at = skin.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      skin.replace(at, from.size(), to);
    };
    replace("<typingimage>typing.png</typingimage>", "");
    replace("<bgimage>list_bg.png</bgimage>", "<bgimage>chat_bg.png</bgimage>");
    replace("<bgimage_align>rb</bgimage_align>", "<bgimage_align>cc</bgimage_align>");
    std::ofstream(own / "Test.Skin.xml") << skin;
  };
  ContactListScene scene({.screen = {240, 320},
                          .config = std::string(kAccounts) + "SKIN_SOURCE=Test.Skin.xml\r\nSHOW_OFFLINE=TRUE\r\n",
                          .prepare = prepare});
  SignedInWithDemoContacts(scene);
  scene.Icq().contacts[2].asksAuthorization = true;        // Carmen, typing too: the empty slot between
  scene.Press({Key::LeftSoft, Key::Digit3, Key::Digit6});  // "en", "Dm", "eo", ...
  EXPECT_TRUE(
      test::MatchesReference(*scene.Screen(), "quick-search-own-skin-240x320", QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
}

}  // namespace
}  // namespace quelt::ui
