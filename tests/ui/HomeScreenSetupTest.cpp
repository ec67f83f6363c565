// The messenger's row put on the home screen and taken off again, driven by keys, with the
// home screen itself (and the real row library) watching the same registry.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "homehost/HomeScreen.h"
#include "homeplugin/HomeInterfaces.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"
#include "support/ui/ContactListScene.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/MessageBox.h"

namespace quelt::ui {
namespace {

using namespace std::chrono_literals;
using platform::Key;

constexpr char kScheme[] =
    "<home><title>Home</title><default/>"
    "<plugin clsid=\"{11FCDE36-AF6F-4393-B401-CB79FD343CFB}\" name=\"Owner\"/>"
    "<plugin clsid=\"{B9C26B1D-E14B-4AA1-B4E1-BE458AD26B52}\" name=\"Date and time\"/></home>";

class HomeScreenSetupTest : public ::testing::Test {
 protected:
  explicit HomeScreenSetupTest(ScreenSize screen = {240, 320})
      : scene_({.screen = screen, .config = "", .prepare = [](const std::filesystem::path& folder) {
                  std::filesystem::copy_file(STATUS_TILE_LIBRARY, folder / "StatusTile.so");
                }}) {
    test::WriteFile(Foreign(), kScheme);
    EXPECT_TRUE(registry_.SetString("HKCU\\ControlPanel\\Home", "Scheme", Foreign().string()));
  }

  [[nodiscard]] std::filesystem::path Foreign() const { return folder_ / "x.home.xml"; }
  [[nodiscard]] std::filesystem::path Own(const std::string& name) const { return folder_ / "data" / "Home" / name; }
  [[nodiscard]] std::string Current() const {
    return registry_.GetString("HKCU\\ControlPanel\\Home", "Scheme").value_or("");
  }
  void Press(std::initializer_list<Key> keys) {
    for (const Key key : keys) scene_.Press(key);
    scene_.Deliver();
  }
  [[nodiscard]] std::u16string Notice() {
    const auto box = std::dynamic_pointer_cast<MessageBox>(scene_.Windows().Top());
    return box ? box->Text() : u"";
  }
  [[nodiscard]] std::u16string Title() {
    const auto form = std::dynamic_pointer_cast<FormWindow>(scene_.Windows().Top());
    return form ? form->Title() : u"";
  }
  // The delayed deletion of a replaced scheme runs on the application's own time.
  bool GoneWithin(const std::filesystem::path& file, std::chrono::milliseconds limit) {
    for (const auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
      scene_.Deliver();
      if (!std::filesystem::exists(file)) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  test::TempFolder folder_;
  test::ScopedEnv config_{"XDG_CONFIG_HOME", (folder_ / "config").string()};
  test::ScopedEnv data_{"XDG_DATA_HOME", (folder_ / "data").string()};
  test::ScopedEnv runtime_{"XDG_RUNTIME_DIR", folder_.Path().string()};
  platform::Registry registry_ = platform::Registry::ForUser();
  test::ContactListScene scene_;
};

// Both pages at both sizes; "previous" keeps what was chosen, "done" installs, and the home
// screen shows the row at once.
TEST_F(HomeScreenSetupTest, TheWizardPutsTheRowWhereChosenAndTheHomeScreenShowsIt) {
  home::HomeScreen home(
      {.width = 240, .height = 320, .registryFile = registry_.File(), .programFolder = {}, .wake = [] {}});
  home.Load();
  ASSERT_TRUE(home.Listen());
  const auto shown = [&home] {
    std::vector<std::string> rows;
    for (const auto& row : home.Rows()) rows.push_back(row.clsid ? home::GuidText(*row.clsid) : "?");
    return rows;
  };
  const auto before = shown();

  // "Menu", "Options", "Home screen", "Set up" asks for the set-up, which the program opens so.
  Press({Key::RightSoft, Key::Digit3, Key::Digit7, Key::Digit1});
  ASSERT_EQ(scene_.Opener().opened,
            std::vector<std::string>{"dialog " + std::to_string(int(WindowOpener::Dialog::HomeScreenSetup))});
  OpenHomeScreenSetup(scene_.App(), scene_.Windows(), {240, 320});
  EXPECT_EQ(Title(), scene_.App().Text("home_screen_setup"));
  EXPECT_TRUE(test::MatchesReference(*scene_.Screen(), "row-wizard-place-240", QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
  Press({Key::Up, Key::RightSoft});  // between the owner and the date
  EXPECT_TRUE(test::MatchesReference(*scene_.Screen(), "row-wizard-look-240", QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
  Press({Key::Backspace, Key::Backspace});
  scene_.Windows().OnText(u"30");
  Press({Key::Down, Key::Action, Key::Down, Key::Right, Key::LeftSoft});  // auto-hide, rule on, previous
  EXPECT_EQ(Title(), scene_.App().Text("home_screen_setup"));
  Press({Key::RightSoft, Key::RightSoft});  // next, done
  ASSERT_EQ(Current(), Own("QUELTMsg.x.home.xml").string()) << test::ReadFile(Foreign());
  const std::string made = test::ReadFile(Own("QUELTMsg.x.home.xml"));
  EXPECT_NE(made.find("name=\"Owner\"/><plugin clsid=\"{A37FA94B-2EBD-4662-BFEE-EF6434E2EAC3}\" name=\"QUELTMsg\" "
                      "height=\"30\" autoheight=\"True\" show-b-border=\"1\"><oldschema>" +
                      Foreign().string() + "</oldschema></plugin><plugin clsid=\"{B9C2"),
            std::string::npos)
      << made;

  std::vector<std::string> after;
  for (const auto end = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < end;) {
    home.RunPending();
    after = shown();
    if (after.size() == 3) break;
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(after, (std::vector<std::string>{before[0], home::GuidText(home::CLSID_StatusTile), before[1]}));

  // Taken off again: the home screen is back where it was, and the messenger's file goes.
  DeleteHomeScreenScheme(scene_.App(), scene_.Windows(), {240, 320});
  EXPECT_EQ(Current(), Foreign().string());
  for (const auto end = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < end;) {
    home.RunPending();
    if (shown() == before) break;
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(shown(), before);
  EXPECT_TRUE(GoneWithin(Own("QUELTMsg.x.home.xml"), 5s));
}

TEST_F(HomeScreenSetupTest, WhatEachCommandRefusesOrReplaces) {
  // Back on either page changes nothing.
  OpenHomeScreenSetup(scene_.App(), scene_.Windows(), {240, 320});
  Press({Key::Back});
  OpenHomeScreenSetup(scene_.App(), scene_.Windows(), {240, 320});
  Press({Key::RightSoft, Key::Back});
  EXPECT_EQ(Current(), Foreign().string());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "data" / "Home"));

  // A scheme that cannot be written is said so, and the home screen keeps its layout.
  test::WriteFile(folder_ / "data" / "Home", "a file where the folder should be");
  OpenHomeScreenSetup(scene_.App(), scene_.Windows(), {240, 320});
  Press({Key::RightSoft, Key::RightSoft});
  EXPECT_EQ(Notice(), u"Can't save schema file");
  Press({Key::Action});
  EXPECT_EQ(Current(), Foreign().string());
  std::filesystem::remove(folder_ / "data" / "Home");

  // Not the messenger's scheme: nothing to take back.
  DeleteHomeScreenScheme(scene_.App(), scene_.Windows(), {240, 320});
  EXPECT_EQ(Notice(), scene_.App().Text("cant_delete_cur_scheme"));
  Press({Key::Action});
  EXPECT_EQ(Current(), Foreign().string());

  // The messenger's scheme with no record of the one before it.
  test::WriteFile(Own("QUELTMsg.y.xml"), "<home><plugin clsid=\"{A37FA94B-2EBD-4662-BFEE-EF6434E2EAC3}\"/></home>");
  ASSERT_TRUE(registry_.SetString("HKCU\\ControlPanel\\Home", "Scheme", Own("QUELTMsg.y.xml").string()));
  DeleteHomeScreenScheme(scene_.App(), scene_.Windows(), {240, 320});
  EXPECT_EQ(Notice(), scene_.App().Text("prev_scheme_name_unknown"));
  Press({Key::Action});

  ASSERT_TRUE(registry_.SetString("HKCU\\ControlPanel\\Home", "Scheme", Foreign().string()));
  const auto setUp = [this](const char* made) {
    OpenHomeScreenSetup(scene_.App(), scene_.Windows(), {240, 320});
    Press({Key::RightSoft, Key::RightSoft});
    ASSERT_EQ(Current(), Own(made).string());
  };
  setUp("QUELTMsg.x.home.xml");
  // Removed and set up again at once: the new scheme takes the name of the one whose deletion
  // waits, and stays.
  DeleteHomeScreenScheme(scene_.App(), scene_.Windows(), {240, 320});
  ASSERT_EQ(Current(), Foreign().string());
  setUp("QUELTMsg.x.home.xml");
  EXPECT_FALSE(GoneWithin(Own("QUELTMsg.x.home.xml"), 3s));

  // A second setup over the messenger's own scheme replaces it with the next number, and the
  // replaced file goes about two seconds later.
  setUp("QUELTMsg1.x.home.xml");
  EXPECT_FALSE(GoneWithin(Own("QUELTMsg.x.home.xml"), 1500ms));
  EXPECT_TRUE(GoneWithin(Own("QUELTMsg.x.home.xml"), 2s));
  EXPECT_NE(test::ReadFile(Own("QUELTMsg1.x.home.xml")).find("<oldschema>" + Foreign().string()), std::string::npos);
}

class SmallHomeScreenSetupTest : public HomeScreenSetupTest {
 protected:
  SmallHomeScreenSetupTest() : HomeScreenSetupTest({176, 220}) {}
};

TEST_F(SmallHomeScreenSetupTest, BothPagesFitTheSmallScreen) {
  OpenHomeScreenSetup(scene_.App(), scene_.Windows(), {176, 220});
  EXPECT_TRUE(test::MatchesReference(*scene_.Screen(), "row-wizard-place-176", QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
  Press({Key::RightSoft});
  EXPECT_TRUE(test::MatchesReference(*scene_.Screen(), "row-wizard-look-176", QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
}

}  // namespace
}  // namespace quelt::ui
