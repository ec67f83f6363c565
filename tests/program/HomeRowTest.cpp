// The messenger and the home screen as they meet on a handset: the real program signed in to
// the fixtures, and a home screen showing its row through the real plugin library.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "homehost/HomeScreen.h"
#include "homeplugin/TileRegistration.h"
#include "platform/Registry.h"
#include "platform/screen/Surface.h"
#include "support/MessengerProcess.h"
#include "support/OscarBytes.h"
#include "support/PictureCompare.h"
#include "support/ui/ContactListScene.h"

namespace quelt {
namespace {

using namespace std::chrono_literals;

class HomeRowTest : public ::testing::Test {
 protected:
  HomeRowTest() { test::UseShippedFontsOnly(); }

  // Runs the home screen until it shows the reference picture, or for at most 20 s (then says
  // how it differs). With QUELT_UPDATE_GOLDEN it runs for 3 s and takes what it shows.
  ::testing::AssertionResult Shows(home::HomeScreen& home, platform::Surface& screen, const std::string& name) {
    const bool updating = std::getenv("QUELT_UPDATE_GOLDEN") != nullptr;
    const auto reference = platform::Surface::LoadPng(std::filesystem::path(QUELT_GOLDEN_DIR) / (name + ".png"));
    const auto deadline = std::chrono::steady_clock::now() + (updating ? 3s : 20s);
    while (std::chrono::steady_clock::now() < deadline) {
      home.RunPending();
      if (home.NeedsPaint()) home.Paint(screen);
      if (!updating && reference && test::SamePicture(screen, *reference)) return ::testing::AssertionSuccess();
      std::this_thread::sleep_for(20ms);
    }
    return test::MatchesReference(screen, name, QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT);
  }
};

TEST_F(HomeRowTest, TheRowFollowsTheMessengerFromSignInToQuit) {
  test::MessengerProcess messenger({.program = QUELT_PROGRAM_PATH,
                                    .icqContacts = 2,
                                    .msnContacts = 2,
                                    .besideProgram = {STATUS_TILE_LIBRARY},
                                    .programWrapper = {},
                                    .log = true});
  // The home screen shares the program's ports and registry.
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", messenger.RuntimeFolder().string());
  test::ScopedEnv config("XDG_CONFIG_HOME", messenger.ConfigFolder().string());
  auto registry = platform::Registry::ForUser();
  const auto scheme = messenger.Home() / "row.home.xml";
  test::WriteFile(scheme, R"(<home><title>Home</title>
    <default font-face="DejaVu Sans" padding-left="4" padding-top="4" fgcolor="COLOR_HOMETEXT" b-border-width="1">
      <format state="selected" bgcolor="COLOR_HOMEHIGHLIGHT" fgcolor="COLOR_HOMEHIGHLIGHTTEXT"/>
    </default>
    <plugin clsid="{A37FA94B-2EBD-4662-BFEE-EF6434E2EAC3}" name="QUELTMsg" height="24"/></home>)");
  ASSERT_TRUE(registry.SetString("HKCU\\ControlPanel\\Home", "Scheme", scheme.string()));
  // The program registers the row too, but the home screen is up first.
  ASSERT_TRUE(home::RegisterStatusTile(registry, messenger.ProgramFolder() / "StatusTile.so"));

  home::HomeScreen home({.width = 240,
                         .height = 320,
                         .registryFile = registry.File(),
                         .programFolder = messenger.ProgramFolder(),
                         .wake = [] {}});
  home.Load();
  ASSERT_TRUE(home.Listen());
  auto screen = platform::Surface::Create(240, 320);
  EXPECT_TRUE(Shows(home, *screen, "home-row-offline"));

  ASSERT_TRUE(messenger.Start());
  ASSERT_TRUE(messenger.SignIn());
  EXPECT_TRUE(Shows(home, *screen, "home-row-signed-in"));

  // A contact on each service comes online, and an ICQ message waits to be read.
  messenger.Oscar().SetPresence("300000", 0);
  ASSERT_TRUE(messenger.Msn().Send("NLN NLN person0@example.com Person%200 0"));
  ASSERT_TRUE(messenger.Oscar().SendToBos(2, test::oscar::ChannelOneMessage(1, "300001")));
  EXPECT_TRUE(Shows(home, *screen, "home-row-active")) << messenger.Stderr();

  ASSERT_TRUE(messenger.Quit());
  EXPECT_TRUE(Shows(home, *screen, "home-row-offline"));
}

}  // namespace
}  // namespace quelt
